#include "ui/skin/window_ops.h"

#include <QBitmap>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

void PostWindowMessage(QWidget* target, int message, std::intptr_t wParam, std::intptr_t lParam)
{
    if (target != nullptr) {
        QCoreApplication::postEvent(target, new CWindowMessageEvent(message, wParam, lParam));
    }
}

Rect WindowRect(const QWidget* window)
{
    const QRect g = window->frameGeometry();
    return Rect{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

QRect PrimaryScreenArea()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry() : QRect(0, 0, PageDefaultWidth, PageDefaultHeight);
}

Rect CentredOnPrimaryScreen(int width, int height)
{
    const QRect area = PrimaryScreenArea();
    const int x = area.left() + (area.width() - width) / 2;
    const int y = area.top() + (area.height() - height) / 2;
    return {x, y, x + width, y + height};
}

Rect DefaultPageRect()
{
    return CentredOnPrimaryScreen(PageDefaultWidth, PageDefaultHeight);
}

void ApplyToolWindowStyle(QWidget* window)
{
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::Tool, true);
    if (visible) {
        window->show();
    }
}

QRegion RoundedRegion(const QRect& area, int corner)
{
    QBitmap shape(area.right() + 1, area.bottom() + 1);
    shape.fill(Qt::color0);
    QPainter p(&shape);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::color1);
    p.drawRoundedRect(area, corner / 2.0, corner / 2.0);
    p.end();
    return QRegion(shape);
}

void ApplyRoundedRegion(QWidget* window)
{
    window->setMask(RoundedRegion(QRect(QPoint(0, 0), window->size()), 9));
}

QImage ColourKeyMaskSource(const QImage& rendered)
{
    return rendered.convertToFormat(QImage::Format_RGB32)
        .createMaskFromColor(qRgb(128, 128, 128), Qt::MaskInColor);
}

bool ApplyColourKey(QWidget* window, const QImage& rendered)
{
    if (rendered.isNull()) {
        return false;
    }
    const QBitmap shape = QBitmap::fromImage(ColourKeyMaskSource(rendered));
    window->setMask(shape);
    return true;
}

namespace {

bool Within(int value, int low, int high)
{
    return low <= value && value <= high;
}

// Both docking rules: an edge of the moving window within the target's span counts; with
// containedSpans, so does a target that lies within the moving window's span.
bool Snap(WindowPos& pos, const Rect& t, bool containedSpans)
{
    const int x = pos.x;
    const int y = pos.y;
    const int right = x + pos.cx;
    const int bottom = y + pos.cy;
    bool docked = false;
    const bool horizontal = Within(x, t.left, t.right) || Within(right, t.left, t.right) ||
                            (containedSpans && (Within(t.left, x, right) || Within(t.right, x, right)));
    if (horizontal) {
        if (std::abs(y - t.bottom) <= SnapDistance) {
            pos.y = t.bottom;
            docked = true;
        } else if (std::abs(bottom - t.top) <= SnapDistance) {
            pos.y = t.top - pos.cy;
            docked = true;
        }
    }
    const bool vertical = Within(y, t.top, t.bottom) || Within(bottom, t.top, t.bottom) ||
                          (containedSpans && (Within(t.top, y, bottom) || Within(t.bottom, y, bottom)));
    if (vertical) {
        if (std::abs(right - t.left) <= SnapDistance) {
            pos.x = t.left - pos.cx;
            docked = true;
        } else if (std::abs(x - t.right) <= SnapDistance) {
            pos.x = t.right;
            docked = true;
        }
    }
    return docked;
}

} // namespace

bool SnapAfterMove(WindowPos& pos, const Rect& target)
{
    return Snap(pos, target, true);
}

bool SnapWhileMoving(WindowPos& pos, const Rect& target)
{
    return Snap(pos, target, false);
}

bool IsAdjacent(const Rect& a, const Rect& b)
{
    const bool verticalMeet = std::max(a.top, b.top) <= std::min(a.bottom, b.bottom);
    if (a.right <= b.left) {
        return b.left - a.right < SnapDistance + 1 && verticalMeet;
    }
    if (b.right <= a.left) {
        return a.left - b.right < SnapDistance + 1 && verticalMeet;
    }
    if (a.bottom <= b.top) {
        return b.top - a.bottom < SnapDistance + 1;
    }
    if (b.bottom <= a.top) {
        return a.top - b.bottom < SnapDistance + 1;
    }
    return false;
}

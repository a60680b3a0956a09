#include "ui/skin/draw_kit.h"

#include <algorithm>
#include <cmath>

QColor ToQColor(COLORREF colour)
{
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

void InstallFontSubstitutes()
{
    QFont::insertSubstitution(QString::fromUtf8("굴림"), QStringLiteral("NanumGothic"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
}

int FontHeightForPoints(int points, int dpi)
{
    const long long product = static_cast<long long>(points) * dpi;
    const long long rounded = product >= 0 ? (product + 36) / 72 : -((-product + 36) / 72);
    return -static_cast<int>(rounded);
}

bool CKvBitmap::LoadBitmap(int resourceId)
{
    return LoadFile(QStringLiteral(":/skin/%1.bmp").arg(resourceId));
}

bool CKvBitmap::LoadFile(const QString& path)
{
    QImage image(path);
    if (image.isNull()) {
        return false;
    }
    SetImage(image);
    return true;
}

namespace {

// A plain copy: the source's pixels replace the target's, whatever the painter's mode was.
void Copy(QPainter& dc, int x, int y, const QImage& image, int sx, int sy, int cx, int cy)
{
    if (cx <= 0 || cy <= 0) {
        return;
    }
    dc.save();
    dc.setCompositionMode(QPainter::CompositionMode_Source);
    dc.setOpacity(1.0);
    dc.drawImage(QPoint(x, y), image, QRect(sx, sy, cx, cy));
    dc.restore();
}

void TileRow(QPainter& dc, const CKvBitmap& tile, int from, int to, int y)
{
    if (tile.Width() <= 0) {
        return;
    }
    for (int x = from; x < to; x += tile.Width()) {
        Copy(dc, x, y, tile.Image(), 0, 0, std::min(tile.Width(), to - x), tile.Height());
    }
}

void TileColumn(QPainter& dc, const CKvBitmap& tile, int x, int from, int to)
{
    if (tile.Height() <= 0) {
        return;
    }
    for (int y = from; y < to; y += tile.Height()) {
        Copy(dc, x, y, tile.Image(), 0, 0, tile.Width(), std::min(tile.Height(), to - y));
    }
}

} // namespace

bool DrawBitmap(QPainter& dc, const CKvBitmap& bitmap, int cx, int cy)
{
    if (bitmap.IsNull()) {
        return false;
    }
    Copy(dc, 0, 0, bitmap.Image(), 0, 0, cx, cy);
    return true;
}

void DrawBitmapAt(const CKvBitmap& bitmap, QPainter& dc, int x, int y, int cx, int cy)
{
    if (!bitmap.IsNull()) {
        Copy(dc, x, y, bitmap.Image(), 0, 0, cx, cy);
    }
}

void DrawFrame(QPainter& dc, const QRect& rect, const CKvBitmap* topLeft, const CKvBitmap* top,
               const CKvBitmap* topRight, const CKvBitmap* bottomLeft, const CKvBitmap* bottom,
               const CKvBitmap* bottomRight, const CKvBitmap* left, const CKvBitmap* right)
{
    const int l = rect.left();
    const int t = rect.top();
    const int r = rect.left() + rect.width();
    const int b = rect.top() + rect.height();
    auto whole = [&dc](const CKvBitmap* piece, int x, int y) {
        Copy(dc, x, y, piece->Image(), 0, 0, piece->Width(), piece->Height());
    };
    whole(topLeft, l, t);
    whole(topRight, r - topRight->Width(), t);
    TileRow(dc, *top, l + topLeft->Width(), r - topRight->Width(), t);
    whole(bottomLeft, l, b - bottomLeft->Height());
    whole(bottomRight, r - bottomRight->Width(), b - bottomRight->Height());
    TileRow(dc, *bottom, l + bottomLeft->Width(), r - bottomRight->Width(), b - bottom->Height());
    TileColumn(dc, *left, l, t + topLeft->Height(), b - bottomLeft->Height());
    TileColumn(dc, *right, r - right->Width(), t + topRight->Height(), b - bottomRight->Height());
}

void CKvFont::Realize()
{
    QFont font(QString::fromStdString(Desc.FaceName));
    font.setPixelSize(std::max(1, std::abs(Desc.Height)));
    font.setWeight(static_cast<QFont::Weight>(std::clamp(Desc.Weight == 0 ? 400 : Desc.Weight, 100, 900)));
    font.setItalic(Desc.Italic);
    font.setUnderline(Desc.Underline);
    font.setStrikeOut(Desc.StrikeOut);
    m_font = font;
    m_realized = true;
}

int AlignmentForFormat(unsigned format)
{
    int align = Qt::AlignLeft;
    if ((format & DT_CENTER) != 0) {
        align = Qt::AlignHCenter;
    } else if ((format & DT_RIGHT) != 0) {
        align = Qt::AlignRight;
    }
    // The vertical placements only apply to single lines, as with the platform's DrawText.
    if ((format & DT_SINGLELINE) != 0) {
        align |= Qt::TextSingleLine;
        if ((format & DT_VCENTER) != 0) {
            align |= Qt::AlignVCenter;
        } else if ((format & DT_BOTTOM) != 0) {
            align |= Qt::AlignBottom;
        } else {
            align |= Qt::AlignTop;
        }
    } else {
        align |= Qt::AlignTop | Qt::TextWordWrap;
    }
    return align;
}

void CKvFont::Draw(QPainter& dc, const QString& text, const QRect& rect, unsigned format)
{
    if (!m_realized) {
        Realize();
    }
    dc.save();
    dc.setFont(m_font);
    if (TextColor != KeepColour) {
        dc.setPen(ToQColor(TextColor));
    }
    if ((format & DT_NOCLIP) == 0) {
        dc.setClipRect(rect, Qt::IntersectClip);
    }
    dc.drawText(rect, AlignmentForFormat(format) | ((format & DT_NOCLIP) != 0 ? Qt::TextDontClip : 0), text);
    dc.restore();
}

CKvMemDC::CKvMemDC(QPainter* target, const QRect& area)
    : m_target(target), m_area(area), m_buffer(area.size().expandedTo(QSize(1, 1)), QImage::Format_RGB32)
{
    // The buffer is not cleared: painters draw their background first.
    m_painter = std::make_unique<QPainter>(&m_buffer);
    m_painter->translate(-area.topLeft());
}

CKvMemDC::~CKvMemDC()
{
    m_painter->end();
    if (m_target != nullptr) {
        m_target->save();
        m_target->setCompositionMode(QPainter::CompositionMode_Source);
        m_target->setOpacity(1.0);
        m_target->drawImage(m_area.topLeft(), m_buffer);
        m_target->restore();
        m_target = nullptr;
    }
}

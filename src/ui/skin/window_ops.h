#pragma once

// What every skinned window shares: the window messages owners receive, the position record the move
// routine hands to its hooks, window shapes, and docking within SnapDistance pixels.

#include "settings/geometry.h"

#include <QEvent>
#include <QImage>
#include <QRect>
#include <QRegion>

#include <cstdint>

class QWidget;

// Posted (never sent) to the owner of modeless windows.
enum WindowMessage : int
{
    WM_USER = 0x0400,
    WM_MODELESS_CLOSED = WM_USER + 11,
    WM_WEBDLG_CLOSED = WM_USER + 12,
    WM_TRAY_NOTIFY = WM_USER + 13,
};

class CWindowMessageEvent : public QEvent
{
public:
    CWindowMessageEvent(int message, std::intptr_t wParam, std::intptr_t lParam)
        : QEvent(static_cast<QEvent::Type>(message)), WParam(wParam), LParam(lParam)
    {
    }
    int Message() const { return static_cast<int>(type()); }

    std::intptr_t WParam;
    std::intptr_t LParam;
};

// Queues a window message for target; it is handled after the caller's own handler has returned.
void PostWindowMessage(QWidget* target, int message, std::intptr_t wParam, std::intptr_t lParam);

// A proposed or completed window position: top-left corner and size, screen pixels.
struct WindowPos
{
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
};

constexpr int SnapDistance = 9;

// A window's rectangle in screen pixels, right and bottom exclusive.
Rect WindowRect(const QWidget* window);

// The primary screen's area; 1024 x 768 at the origin when there is no screen at all.
QRect PrimaryScreenArea();
// A window of that size centred on the primary screen, where a window without a place of its own
// comes up.
Rect CentredOnPrimaryScreen(int width, int height);
// Where a page window without a remembered place opens: 1024 x 768, centred on the primary screen.
constexpr int PageDefaultWidth = 1024;
constexpr int PageDefaultHeight = 768;
Rect DefaultPageRect();

// No taskbar entry. Takes effect the next time the window is shown.
void ApplyToolWindowStyle(QWidget* window);
// The pixels of a rectangle with rounded corners (corner x corner ellipses), as a window shape.
QRegion RoundedRegion(const QRect& area, int corner);
// Clips the window to its client rectangle with 9 x 9 corner ellipses.
void ApplyRoundedRegion(QWidget* window);
// The window's shape becomes every pixel of rendered that is not exactly RGB(128, 128, 128): those are
// transparent and let clicks through. False when the window has no pixels to keep.
bool ApplyColourKey(QWidget* window, const QImage& rendered);
QImage ColourKeyMaskSource(const QImage& rendered);

// Docking of a window that has just moved to pos against target: pos is changed to touch the target's
// edge when within SnapDistance. True when it docked. (The window is not moved here; see the dialog.)
bool SnapAfterMove(WindowPos& pos, const Rect& target);
// The same for a proposed position, with the narrower overlap rule: only an edge of the moving window
// within the target's span counts.
bool SnapWhileMoving(WindowPos& pos, const Rect& target);

// Side by side with a gap of 0 to 9 pixels and sharing some extent along the other axis; overlapping
// rectangles are not adjacent.
bool IsAdjacent(const Rect& a, const Rect& b);

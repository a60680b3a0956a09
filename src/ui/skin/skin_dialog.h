#pragma once

// The skinned dialog base. Windows paint themselves from skin bitmaps, have no system caption or
// border, and are dragged by a band at their top; every move goes through MoveWindow, which lets the
// window adjust the proposed position (OnWindowPosChanging), moves it, and tells it where it now is
// (OnWindowPosChanged). A move to where the window already is does nothing, so a dock that moves the
// window from inside OnWindowPosChanged ends there.
//
// Dragging is the window's own: a left press where StartsDrag answers takes the mouse, and every
// step moves the window to where it was when the drag began plus the cursor's whole offset, never
// by adding up small steps, so the windows glued to it (OnDragBegin, OnDragMove) keep their exact
// offsets. Losing the mouse to another window ends the drag.

#include "ui/skin/draw_kit.h"
#include "ui/skin/window_ops.h"

#include <QDialog>
#include <QEventLoop>
#include <QRegion>

enum HitTestCode : int
{
    HTNOWHERE = 0,
    HTCLIENT = 1,
    HTCAPTION = 2,
    HTLEFT = 10,
    HTRIGHT = 11,
    HTTOP = 12,
    HTTOPLEFT = 13,
    HTTOPRIGHT = 14,
    HTBOTTOM = 15,
    HTBOTTOMLEFT = 16,
    HTBOTTOMRIGHT = 17,
};

enum DialogResult : int
{
    IDOK = 1,
    IDCANCEL = 2
};

class CWGDialog : public QDialog
{
    Q_OBJECT
public:
    CWGDialog(int templateId, QWidget* parent);

    int TemplateId() const { return m_templateId; }

    // Initialises (OnInitDialog) and runs the window until EndDialog; the result is what EndDialog
    // gave. Hiding the window does not end the run (the widget hides itself behind the mini bar).
    int DoModal();
    void EndDialog(int result);

    // Paints the skin; the default copies Background to the origin.
    virtual void PaintSkin(QPainter& dc);
    // The part of the window the paint under way must renew: the paint event's region, or the whole
    // window when painting is asked for outside one.
    QRegion PaintArea() const { return m_paintArea.isEmpty() ? QRegion(rect()) : m_paintArea; }
    // HTCAPTION inside the drag band, else HTCLIENT.
    virtual int HitTest(const QPoint& clientPoint) const;
    // The band along the top of the client area, CaptionHeight high.
    bool InDragBand(const QPoint& clientPoint) const;
    bool Dragging() const { return m_dragging; }

    // SetWindowPos / MoveWindow: position and size through the hooks.
    void MoveWindow(int x, int y, int cx, int cy);
    void MoveTo(int x, int y) { MoveWindow(x, y, width(), height()); }
    // Docks against the target after a move and, when it docked, moves there.
    bool SnapAfterMove(const WindowPos& moved, const Rect& target);

    int CaptionHeight = 0;
    CKvBitmap Background;

protected:
    virtual bool OnInitDialog() { return true; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    virtual void OnWindowPosChanging(WindowPos&) {}
    virtual void OnWindowPosChanged(const WindowPos&) {}
    // A posted window message (WM_MODELESS_CLOSED and the like).
    virtual void OnWindowMessage(int message, std::intptr_t wParam, std::intptr_t lParam);
    // Whether a left press at clientPoint starts a drag: by default where HitTest answers HTCAPTION.
    virtual bool StartsDrag(const QPoint& clientPoint) const { return HitTest(clientPoint) == HTCAPTION; }
    // A drag began; the window notes the windows that move with it and where they are.
    virtual void OnDragBegin() {}
    // The window has moved by (dx, dy) from where the drag began.
    virtual void OnDragMove(int /*dx*/, int /*dy*/) {}
    virtual void OnDragEnd() {}

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    void reject() override { OnCancel(); }

private:
    void EndDrag();

    int m_templateId;
    QEventLoop* m_modalLoop = nullptr;
    bool m_dragging = false;
    QRegion m_paintArea;
    QPoint m_dragStart;
    QPoint m_dragLast;
    Rect m_dragRect;
};

// A window that lives beside the main window. It never destroys itself: closing it asks its owner
// (NotifyWnd) with a posted WM_MODELESS_CLOSED, and the owner remembers its place and destroys it.
class CModelessDlg : public CWGDialog
{
    Q_OBJECT
public:
    using CWGDialog::CWGDialog;

    virtual int GetTemplateId() const = 0;
    // Initialises the window with notify as its owner, places it at rect when given, shows it when
    // Shown is set.
    virtual bool CreateModeless(QWidget* notify, const Rect* rect);

    QWidget* NotifyWnd = nullptr;
    bool Shown = true;

protected:
    void OnOK() override {}
    void OnCancel() override;
};

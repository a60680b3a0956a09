#pragma once

// The skinned dialog base. Windows paint themselves from skin bitmaps, have no system caption or
// border, and are dragged by a band at their top; every move goes through MoveWindow, which lets the
// window adjust the proposed position (OnWindowPosChanging), moves it, and tells it where it now is
// (OnWindowPosChanged). A move to where the window already is does nothing, so a dock that moves the
// window from inside OnWindowPosChanged ends there.

#include "ui/skin/draw_kit.h"
#include "ui/skin/window_ops.h"

#include <QDialog>
#include <QEventLoop>

enum HitTestCode : int {
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

enum DialogResult : int { IDOK = 1, IDCANCEL = 2 };

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
    // HTCAPTION inside the drag band (client y < CaptionHeight), else HTCLIENT.
    virtual int HitTest(const QPoint& clientPoint) const;

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

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    void reject() override { OnCancel(); }

private:
    int m_templateId;
    QEventLoop* m_modalLoop = nullptr;
    bool m_captionDrag = false;
    QPoint m_dragStart;
    QPoint m_windowStart;
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

#pragma once

// The compact bar that takes the widget's place: a one-line summary of the figures, the feed's extra
// text, the five page buttons, and two tabs above its top edge (back to the widget; hide the bar too).
// It has no data of its own: it reads the main window's record and hands every command to it.

#include "ui/skin/img_button.h"
#include "ui/skin/skin_dialog.h"
#include "ui/windows/main_parts.h"

class CMainDlg;

class CMiniBarDlg : public CModelessDlg, public IMiniBar
{
    Q_OBJECT
public:
    explicit CMiniBarDlg(CMainDlg& main);

    int GetTemplateId() const override;
    void PaintSkin(QPainter& dc) override;
    int HitTest(const QPoint&) const override { return HTCLIENT; }

    // IMiniBar
    bool CreateAt(QWidget* owner, int x, int y) override;
    void Repaint() override { update(); }
    bool CreateModeless(QWidget* owner, const Rect* rect) override;
    bool HasWindow() const override { return m_created; }
    bool IsVisible() const override { return isVisible(); }
    Rect GetWindowRect() const override { return WindowRect(this); }
    void MoveTo(int x, int y) override { CWGDialog::MoveTo(x, y); }
    void Show() override;
    void Hide() override { hide(); }
    void Destroy() override;

    CKvImgButton* Button(int controlId) const;
    bool GlueWeather() const { return m_glueWeather; }
    bool Dragging() const { return m_dragging; }
    // The bar's shape: its rounded body below the ten blank rows, and the two tabs.
    QRegion Shape() const;

protected:
    bool OnInitDialog() override;
    void OnWindowPosChanged(const WindowPos& pos) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void OnCommand(int id);
    void EndDrag();

    CMainDlg& m_main;
    CKvImgButton* m_buttons[7] = {};
    bool m_created = false;
    bool m_dragging = false;
    bool m_glueWeather = false;
    QPoint m_dragStart;
    QPoint m_dragLast;
    Rect m_dragRect;
    Rect m_dragRectWeather;
};

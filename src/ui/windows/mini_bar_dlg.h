#pragma once

// The compact bar that takes the widget's place: a one-line summary of the figures, the feed's extra
// text, the five page buttons, and two tabs above its top edge (back to the widget; hide the bar too).
// It has no data of its own: it reads its owner's record and hands every command to it.

#include "ui/skin/img_button.h"
#include "ui/skin/skin_dialog.h"
#include "ui/windows/main_parts.h"

// The mini bar's window text.
extern const char* const MiniBarWindowText;

class CMiniBarDlg : public CModelessDlg, public IMiniBar
{
    Q_OBJECT
public:
    explicit CMiniBarDlg(IMiniBarOwner& owner);

    int GetTemplateId() const override;
    void PaintSkin(QPainter& dc) override;
    int HitTest(const QPoint&) const override { return HTCLIENT; }

    // IMiniBar
    bool CreateAt(QWidget* owner, int x, int y) override;
    // Redraws the figures and says in the tooltip whether they are stale.
    void Repaint() override;
    bool CreateModeless(QWidget* owner, const Rect* rect) override;
    bool HasWindow() const override { return m_created; }
    bool IsVisible() const override { return isVisible(); }
    Rect GetWindowRect() const override { return WindowRect(this); }
    void MoveTo(int x, int y) override { CWGDialog::MoveTo(x, y); }
    void Show() override;
    void Hide() override { hide(); }
    void Destroy() override;

    CKvImgButton* Button(int controlId) const { return m_buttons.Button(controlId); }
    bool GlueWeather() const { return m_glueWeather; }
    // The bar's shape: its rounded body below the ten blank rows, and the two tabs.
    QRegion Shape() const;

protected:
    bool OnInitDialog() override;
    void OnWindowPosChanged(const WindowPos& pos) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool StartsDrag(const QPoint& clientPoint) const override { return InDragBand(clientPoint); }
    void OnDragBegin() override;
    void OnDragMove(int dx, int dy) override;
    void OnDragEnd() override { m_glueWeather = false; }

private:
    void OnCommand(int id);

    IMiniBarOwner& m_owner;
    CKvButtonSet m_buttons;
    bool m_created = false;
    bool m_glueWeather = false;
    Rect m_dragRectWeather;
};

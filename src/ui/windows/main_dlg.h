#pragma once

// The widget itself: 259 x 138 pixels, the date, a clock, the day's volumes and truck counts, and the
// buttons and menus that open every other window. Run modally; the program ends when it ends, which
// only the exit and reset commands do.

#include "feed/status_feed.h"
#include "platform/clock.h"
#include "ui/skin/img_button.h"
#include "ui/skin/skin_dialog.h"
#include "ui/windows/main_parts.h"

#include <QIcon>

#include <memory>
#include <string>

class CTolvikWGApp;
class QMenu;

class CMainDlg : public CWGDialog
{
    Q_OBJECT
public:
    static constexpr int ClockRectLeft = 122, ClockRectTop = 27, ClockRectRight = 243, ClockRectBottom = 85;
    static constexpr long TrayDoubleClick = 0x203; // WM_LBUTTONDBLCLK from the icon

    CMainDlg(CTolvikWGApp& app, IMainWindowParts& parts);
    ~CMainDlg() override;

    void PaintSkin(QPainter& dc) override;
    int HitTest(const QPoint&) const override { return HTCLIENT; }
    void OnCommand(int id);

    // What the page buttons and the mini bar call.
    void TogglePage(int index);
    void OpenWeather();
    void CloseWeather();
    void OpenFactory();
    void CloseFactory();
    void ShowMiniBar();
    void CloseMiniBar(bool showMain);
    void CloseAllPages();
    void PollStatusFeed();

    // Fills a context menu (161) by the current switches and rights.
    void FillContextMenu(QMenu& menu);
    static bool IsAdjacentRect(const Rect& a, const Rect& b);

    const StatusRecord& Status() const { return m_feed.Record(); }
    CStatusFeed& Feed() { return m_feed; }
    const CKvBitmap* FrameBitmaps() const { return m_frameBitmaps; }
    IOwnedWindow* WeatherDlg() const { return m_weatherDlg.get(); }
    IOwnedWindow* FactoryDlg() const { return m_factoryDlg.get(); }
    IMiniBar* MiniBar() const { return m_miniBar.get(); }
    const CWebDlgList& WebDlgs() const { return m_webDlgs; }
    CKvImgButton* Button(int controlId) const;
    bool GlueWeather() const { return m_glueWeather; }
    bool GlueFactory() const { return m_glueFactory; }
    bool Dragging() const { return m_dragging; }
    const QIcon& AppIcon() const { return m_appIcon; }

    // The clock the widget shows; tests set their own.
    void SetTimeSource(platform::LocalTimeSource source) { m_now = source; }

protected:
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    void OnWindowPosChanged(const WindowPos& pos) override;
    void OnWindowMessage(int message, std::intptr_t wParam, std::intptr_t lParam) override;
    // A Yes/No question in the program's message box (CP949 text); tests answer it themselves.
    virtual bool Ask(const std::string& question);

    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void ApplyWindowShape();
    void SetAlwaysOnTop(bool on);
    void ToggleAutoLogin();
    void ToggleAlwaysOnTop();
    void Exit();
    void ResetPositions();
    void EndDrag();
    void Teardown();

    CTolvikWGApp& m_app;
    IMainWindowParts& m_parts;
    std::unique_ptr<IOwnedWindow> m_weatherDlg;
    std::unique_ptr<IOwnedWindow> m_factoryDlg;
    CWebDlgList m_webDlgs;
    CStatusFeed m_feed;
    QPoint m_dragStart;
    QPoint m_dragLast;
    bool m_dragging = false;
    bool m_glueWeather = false;
    bool m_glueFactory = false;
    Rect m_dragRect;
    Rect m_dragRectWeather;
    Rect m_dragRectFactory;
    std::unique_ptr<IMiniBar> m_miniBar;
    CKvBitmap m_frameBitmaps[8];
    QIcon m_appIcon;
    CKvImgButton* m_buttons[8] = {};
    platform::LocalTimeSource m_now = &platform::GetLocalTime;
    bool m_tornDown = false;
};

// The widget's window text, and the mini bar's.
extern const char* const MainWindowText;
extern const char* const MiniBarWindowText;

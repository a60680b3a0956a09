#pragma once

// The widget itself: 259 x 138 pixels, the date, a clock, the day's volumes and truck counts, and the
// buttons and menus that open every other window. Run modally; the program ends when it ends, which
// only the exit and reset commands do.

#include "feed/status_feed.h"
#include "platform/clock.h"
#include "settings/environment.h"
#include "settings/session_identity.h"
#include "ui/skin/img_button.h"
#include "ui/skin/skin_dialog.h"
#include "ui/windows/main_parts.h"

#include <QRegion>

#include <memory>
#include <string>

class QMenu;

class CMainDlg : public CWGDialog, public IMiniBarOwner
{
    Q_OBJECT
public:
    static constexpr int ClockRectLeft = 122, ClockRectTop = 27, ClockRectRight = 243, ClockRectBottom = 85;
    static constexpr long TrayDoubleClick = 0x203; // WM_LBUTTONDBLCLK from the icon
    // The texts the window draws: the date and the clock, then the figures from the feed.
    static constexpr int TextRowCount = 9, FirstFigureRow = 2;

    // environment: the run's settings, whose remembered points the window keeps up to date; session:
    // the signed-in user, for the page addresses, the menu's rights and the automatic sign-in switch.
    CMainDlg(EnvironmentSettings& environment, const SessionIdentity& session, IMainWindowParts& parts);
    ~CMainDlg() override;

    void PaintSkin(QPainter& dc) override;
    // No caption of its own: the window moves itself from its band (see StartsDrag).
    int HitTest(const QPoint&) const override { return HTCLIENT; }
    void OnCommand(int id);

    // What the page buttons and the mini bar call.
    void TogglePage(int index) override;
    void OpenWeather();
    void CloseWeather();
    void OpenFactory();
    void CloseFactory();
    void ShowMiniBar();
    void CloseMiniBar(bool showMain);
    void CloseAllPages();

    // Fills a context menu (161) by the current switches and rights.
    void FillContextMenu(QMenu& menu) override;

    const StatusRecord& Status() const override { return m_feed.Record(); }
    CStatusFeed& Feed() { return m_feed; }
    IOwnedWindow* WeatherDlg() const override { return m_weatherDlg.get(); }
    IOwnedWindow* FactoryDlg() const { return m_factoryDlg.get(); }
    IMiniBar* MiniBar() const { return m_miniBar.get(); }
    const CWebDlgList& WebDlgs() const { return m_webDlgs; }
    CKvImgButton* Button(int controlId) const;
    bool GlueWeather() const override { return m_glueWeather; }
    bool GlueFactory() const { return m_glueFactory; }
    bool FiguresStale() const override { return m_feed.Freshness().Stale(); }
    QString FreshnessTip() const override;

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
    bool StartsDrag(const QPoint& clientPoint) const override { return InDragBand(clientPoint); }
    void OnDragBegin() override;
    void OnDragMove(int dx, int dy) override;
    void OnDragEnd() override;

private:
    using MakeDocked = std::unique_ptr<IOwnedWindow> (IMainWindowParts::*)();
    // The weather and plant windows open the same way: at their remembered point, else right below
    // the other one when it is open, else below the widget; as wide as the widget plus one.
    void OpenDocked(std::unique_ptr<IOwnedWindow>& window, MakeDocked make, const Point& remembered,
                    const IOwnedWindow* other, int height);
    // Remembers the window's point under the index's name and lets it go.
    void CloseDocked(std::unique_ptr<IOwnedWindow>& window, int index);
    void ApplyWindowShape();
    QString RowText(int row) const;
    // The rectangles of the figures that differ between two records.
    static QRegion ChangedFigures(const StatusRecord& before, const StatusRecord& after);
    // Tells every place that shows the figures whether they are stale.
    void ShowFreshness();
    void SetAlwaysOnTop(bool on);
    void ToggleAutoLogin();
    void ToggleAlwaysOnTop();
    void Exit();
    void ResetPositions();
    void Teardown();

    EnvironmentSettings& m_environment;
    const SessionIdentity& m_session;
    IMainWindowParts& m_parts;
    std::unique_ptr<IOwnedWindow> m_weatherDlg;
    std::unique_ptr<IOwnedWindow> m_factoryDlg;
    CWebDlgList m_webDlgs;
    CStatusFeed m_feed;
    StatusRecord m_drawnStatus;           // the figures the window last showed, to renew only what changed
    QString m_drawnClock[FirstFigureRow]; // the date and the time last drawn
    CKvFont m_rowFonts[TextRowCount];
    bool m_glueWeather = false;
    bool m_glueFactory = false;
    Rect m_dragRectWeather;
    Rect m_dragRectFactory;
    std::unique_ptr<IMiniBar> m_miniBar;
    CKvButtonSet m_buttons;
    platform::LocalTimeSource m_now = &platform::GetLocalTime;
    bool m_tornDown = false;
};

// The widget's window text.
extern const char* const MainWindowText;

#include "ui/windows/main_dlg.h"

#include "platform/text.h"
#include "resource_ids.h"
#include "settings/reg_config.h"
#include "settings/window_positions.h"
#include "ui/skin/message_box.h"

#include <QContextMenuEvent>
#include <QIcon>
#include <QMenu>

#include <cstdio>

const char* const MainWindowText = "내부용 위젯";

namespace {

// In member order; the weather button is skinned and placed but never shown.
const ImgButtonSpec kButtons[] = {
    {res::IDC_WEATHER, res::MainWeatherButton, 167, 4, false},
    {res::IDC_OFFICE, res::MainOfficeButton, 199, 4, true},
    {res::IDC_CLOSE, res::MainCloseButton, 239, 4, true},
    {res::IDC_MAP, res::MainMapButton, 127, 94, true},
    {res::IDC_SITE, res::MainSiteButton, 152, 94, true},
    {res::IDC_VEHICLE, res::MainVehicleButton, 177, 94, true},
    {res::IDC_SHIPMENT, res::MainShipmentButton, 203, 94, true},
    {res::IDC_SMS, res::MainSmsButton, 230, 94, true},
};

const char* const kWeekdays[7] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};

constexpr QRect Area(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

const unsigned kCentred = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
const unsigned kRight = DT_RIGHT | DT_VCENTER | DT_SINGLELINE;
const unsigned kLeft = DT_LEFT | DT_VCENTER | DT_SINGLELINE;

// The date, the clock, the four volumes and the three counts, in drawing order; each text is cut at
// its rectangle (right and bottom exclusive).
struct TextRow
{
    QRect Area;
    const char* Face;
    int Points;
    COLORREF Colour;
    unsigned Format;
};
const TextRow kTextRows[] = {
    {Area(128, 30, 245, 44), "Arial", 10, RGB(64, 109, 171), kCentred},
    {Area(128, 45, 245, 86), "Arial", 27, RGB(255, 126, 1), kCentred},
    {Area(42, 34, 96, 47), "굴림", 10, RGB(0, 146, 156), kRight},
    {Area(42, 52, 96, 70), "굴림", 10, RGB(9, 161, 2), kRight},
    {Area(42, 73, 96, 89), "굴림", 10, RGB(255, 102, 0), kRight},
    {Area(42, 92, 96, 110), "굴림", 10, RGB(47, 69, 241), kRight},
    {Area(17, 120, 88, 136), "굴림", 9, RGB(255, 255, 255), kLeft},
    {Area(97, 120, 177, 136), "굴림", 9, RGB(255, 255, 255), kLeft},
    {Area(184, 120, 250, 136), "굴림", 9, RGB(255, 255, 255), kLeft},
};
static_assert(sizeof kTextRows / sizeof kTextRows[0] == CMainDlg::TextRowCount);

} // namespace

CMainDlg::CMainDlg(EnvironmentSettings& environment, const SessionIdentity& session, IMainWindowParts& parts)
    : CWGDialog(res::IDD_MAIN, nullptr), m_environment(environment), m_session(session), m_parts(parts),
      m_feed([&environment, &session](std::string& url) {
          return BuildServiceUrl(environment, session, Main, url);
      })
{
    // A window of its own with a taskbar entry, not a dialog of another window.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
    CaptionHeight = 23;
    m_buttons.Create(this, kButtons, [this](int id) { OnCommand(id); });
    connect(&m_feed, &CStatusFeed::ClockTick, this, [this] {
        // The clock shows minutes: a second that changes neither it nor the date repaints nothing.
        if (RowText(0) != m_drawnClock[0] || RowText(1) != m_drawnClock[1]) {
            update(
                QRect(QPoint(ClockRectLeft, ClockRectTop), QPoint(ClockRectRight - 1, ClockRectBottom - 1)));
        }
    });
    connect(&m_feed, &CStatusFeed::Polled, this, [this](bool downloaded) {
        // A poll renews only the figures it changed; the same figures again draw nothing.
        const StatusRecord& now = Status();
        const bool barChanged = now.PlannedVolume != m_drawnStatus.PlannedVolume ||
                                now.ShippedVolume != m_drawnStatus.ShippedVolume ||
                                now.WaitingCount != m_drawnStatus.WaitingCount ||
                                now.Extra != m_drawnStatus.Extra;
        const QRegion changed = ChangedFigures(m_drawnStatus, now);
        m_drawnStatus = now;
        if (downloaded && barChanged && m_miniBar != nullptr && m_miniBar->HasWindow()) {
            m_miniBar->Repaint();
        }
        if (!changed.isEmpty()) {
            update(changed);
        }
    });
    connect(&m_feed, &CStatusFeed::FreshnessChanged, this, [this] { ShowFreshness(); });
}

QString CMainDlg::FreshnessTip() const
{
    const CFeedFreshness& freshness = m_feed.Freshness();
    if (!freshness.Stale()) {
        return {};
    }
    if (!freshness.HasSucceeded()) {
        return QString::fromUtf8("갱신 없음");
    }
    const platform::LocalTime& last = freshness.LastSuccess();
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", last.Hour, last.Minute, last.Second);
    return QString::fromUtf8("마지막 갱신 ") + QString::fromLatin1(time);
}

void CMainDlg::ShowFreshness()
{
    const QString tip = FreshnessTip();
    setToolTip(tip);
    if (ITrayIcon* tray = m_parts.TrayIcon(); tray != nullptr && tray->IsAdded()) {
        tray->SetTip(tip);
    }
    if (m_miniBar != nullptr && m_miniBar->HasWindow()) {
        m_miniBar->Repaint();
    }
    update();
}

CMainDlg::~CMainDlg()
{
    Teardown();
    if (ITrayIcon* tray = m_parts.TrayIcon(); tray != nullptr && tray->IsAdded()) {
        tray->RemoveIcon();
    }
}

CKvImgButton* CMainDlg::Button(int controlId) const
{
    return m_buttons.Button(controlId);
}

bool CMainDlg::OnInitDialog()
{
    setWindowTitle(QString::fromUtf8(MainWindowText));
    Background.LoadBitmap(res::MainBackground);
    const Point& remembered = m_environment.MainPoint;
    if (remembered.x != NoPosition) {
        move(remembered.x, remembered.y);
    } else {
        const Rect centred = CentredOnPrimaryScreen(Background.Width(), Background.Height());
        move(centred.left, centred.top);
    }
    ApplyWindowShape();

    // Without a notification area the widget still runs; it only lacks the icon.
    if (ITrayIcon* tray = m_parts.TrayIcon(); tray != nullptr && tray->AddIcon(this)) {
        tray->SetIcon(res::TrayIcon);
    }
    setWindowIcon(QIcon(QStringLiteral(":/skin/%1.png").arg(res::AppIcon)));
    m_buttons.LoadImages();
    CKvRegConfig store;
    store.Load();
    if (store.AlwaysTop != 0) {
        SetAlwaysOnTop(true);
    }
    // The first poll now, so that the figures come as soon as the feed answers; then the clock and
    // the refresh period.
    m_feed.Start(m_environment.RefreshRate);
    return true;
}

void CMainDlg::ApplyWindowShape()
{
    resize(Background.Width(), Background.Height());
    setFixedSize(Background.Width(), Background.Height());
    ApplyColourKey(this, Background.Image());
}

void CMainDlg::SetAlwaysOnTop(bool on)
{
    const bool visible = isVisible();
    const QPoint place = pos();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible) {
        move(place);
        show();
    }
}

void CMainDlg::PaintSkin(QPainter& dc)
{
    // Only the area being renewed is drawn: the clock's second repaints nothing of the figures.
    const QRegion area = PaintArea();
    CKvMemDC off(&dc, area.boundingRect());
    QPainter& p = off.Painter();
    CWGDialog::PaintSkin(p);
    const int dpi = logicalDpiY();
    const bool stale = FiguresStale();
    for (int i = 0; i < TextRowCount; ++i) {
        const TextRow& row = kTextRows[i];
        if (!area.intersects(row.Area)) {
            continue;
        }
        CKvFont& font = m_rowFonts[i];
        const int height = FontHeightForPoints(row.Points, dpi);
        if (font.Desc.FaceName != row.Face || font.Desc.Height != height || font.Desc.Weight != 700) {
            font.Desc.FaceName = row.Face;
            font.Desc.Height = height;
            font.Desc.Weight = 700;
            font.Realize();
        }
        // Stale figures and counts go grey; the date and the clock keep their colours.
        font.TextColor = i >= FirstFigureRow && stale ? StaleTextColour : row.Colour;
        const QString text = RowText(i);
        if (i < FirstFigureRow) {
            m_drawnClock[i] = text;
        }
        font.Draw(p, text, row.Area, row.Format);
    }
}

QString CMainDlg::RowText(int row) const
{
    const StatusRecord& status = Status();
    const auto count = [](const char* label, std::int32_t value) {
        return QString::fromUtf8(label) + QString::number(value) + QString::fromUtf8("대");
    };
    switch (row) {
    case 0: {
        const platform::LocalTime now = m_now();
        char date[64];
        std::snprintf(date, sizeof date, "%04d.%02d.%02d  %s", now.Year, now.Month, now.Day,
                      kWeekdays[((now.Weekday % 7) + 7) % 7]);
        return QString::fromLatin1(date);
    }
    case 1: {
        const platform::LocalTime now = m_now();
        char clock[16];
        std::snprintf(clock, sizeof clock, "%02d:%02d", now.Hour, now.Minute);
        return QString::fromLatin1(clock);
    }
    case 2:
        return FromCp949(status.PlannedVolume);
    case 3:
        return FromCp949(status.OrderedVolume);
    case 4:
        return FromCp949(status.ShippedVolume);
    case 5:
        return FromCp949(status.RemainingVolume);
    case 6:
        return count("가동:", status.OperatingCount);
    case 7:
        return count("용차:", status.HiredCount);
    default:
        return count("대기:", status.WaitingCount);
    }
}

QRegion CMainDlg::ChangedFigures(const StatusRecord& before, const StatusRecord& after)
{
    const bool changed[TextRowCount - FirstFigureRow] = {
        before.PlannedVolume != after.PlannedVolume,   before.OrderedVolume != after.OrderedVolume,
        before.ShippedVolume != after.ShippedVolume,   before.RemainingVolume != after.RemainingVolume,
        before.OperatingCount != after.OperatingCount, before.HiredCount != after.HiredCount,
        before.WaitingCount != after.WaitingCount,
    };
    QRegion region;
    for (int i = FirstFigureRow; i < TextRowCount; ++i) {
        if (changed[i - FirstFigureRow]) {
            region += kTextRows[i].Area;
        }
    }
    return region;
}

int PageForCommand(int commandId)
{
    switch (commandId) {
    case res::IDC_MAP:
        return Map;
    case res::IDC_SITE:
        return Site;
    case res::IDC_VEHICLE:
        return Vehicle;
    case res::IDC_SHIPMENT:
        return Shipment;
    case res::IDC_SMS:
        return Sms;
    case res::ID_MANAGEMENT:
        return Management;
    case res::ID_MILEAGE:
        return Mileage;
    default:
        return -1;
    }
}

void CMainDlg::OnCommand(int id)
{
    switch (id) {
    case res::IDC_WEATHER:
        m_weatherDlg != nullptr ? CloseWeather() : OpenWeather();
        return;
    case res::IDC_OFFICE:
        m_factoryDlg != nullptr ? CloseFactory() : OpenFactory();
        return;
    case res::IDC_CLOSE:
        ShowMiniBar();
        return;
    case res::ID_AUTOLOGIN:
        ToggleAutoLogin();
        return;
    case res::ID_ALWAYSTOP:
        ToggleAlwaysOnTop();
        return;
    case res::ID_SHOW:
        show();
        return;
    case res::ID_RESET:
        ResetPositions();
        return;
    case res::ID_EXIT:
        Exit();
        return;
    default:
        break;
    }
    if (const int page = PageForCommand(id); page >= 0) {
        TogglePage(page);
    }
}

void CMainDlg::FillContextMenu(QMenu& menu)
{
    CKvRegConfig store;
    store.Load();
    auto add = [this, &menu](const char* text, int id) {
        QAction* action = menu.addAction(QString::fromUtf8(text));
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        return action;
    };
    add("시스템관리", res::ID_MANAGEMENT)->setEnabled(m_session.IsAdmin != 0);
    add("마일리지", res::ID_MILEAGE);
    menu.addSeparator();
    QAction* autoLogin = add("자동로그인", res::ID_AUTOLOGIN);
    autoLogin->setCheckable(true);
    autoLogin->setChecked(store.SavePW != 0);
    QAction* alwaysTop = add("항상위설정", res::ID_ALWAYSTOP);
    alwaysTop->setCheckable(true);
    alwaysTop->setChecked(store.AlwaysTop != 0);
    add("종료", res::ID_EXIT);
}

void CMainDlg::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    FillContextMenu(menu);
    menu.exec(event->globalPos());
}

void CMainDlg::TogglePage(int index)
{
    for (IWebWindow* page : m_webDlgs) {
        if (page->PageIndex() != index) {
            continue;
        }
        if (page->Shown) {
            page->Hide();
            page->Shown = false;
        } else {
            page->Show();
            page->Shown = true;
        }
        return;
    }
    std::unique_ptr<IWebWindow> page = m_parts.NewWebDlg(index);
    if (page == nullptr) {
        return;
    }
    page->CreateModeless(this, nullptr);
    m_webDlgs.AddTail(page.release());
}

void CMainDlg::OpenWeather()
{
    OpenDocked(m_weatherDlg, &IMainWindowParts::NewWeatherDlg, m_environment.WeatherPoint, m_factoryDlg.get(),
               84);
}

void CMainDlg::CloseWeather()
{
    CloseDocked(m_weatherDlg, Weather);
}

void CMainDlg::OpenFactory()
{
    OpenDocked(m_factoryDlg, &IMainWindowParts::NewFactoryDlg, m_environment.PlantPoint, m_weatherDlg.get(),
               303);
}

void CMainDlg::CloseFactory()
{
    CloseDocked(m_factoryDlg, Office);
}

void CMainDlg::OpenDocked(std::unique_ptr<IOwnedWindow>& window, MakeDocked make, const Point& remembered,
                          const IOwnedWindow* other, int height)
{
    if (window != nullptr) {
        return;
    }
    window = (m_parts.*make)();
    if (window == nullptr) {
        return;
    }
    Point at = remembered;
    if (at.x == NoPosition) {
        const Rect anchor = other != nullptr ? other->GetWindowRect() : WindowRect(this);
        at = {anchor.left, anchor.bottom};
    }
    const Rect own = WindowRect(this);
    const Rect place{at.x, at.y, at.x + (own.right - own.left) + 1, at.y + height};
    window->CreateModeless(this, &place);
}

void CMainDlg::CloseDocked(std::unique_ptr<IOwnedWindow>& window, int index)
{
    if (window == nullptr) {
        return;
    }
    if (window->HasWindow()) {
        SaveWindowPoint(m_environment, index, window->GetWindowRect());
        window->Destroy();
    }
    window.reset();
}

void CMainDlg::ShowMiniBar()
{
    if (m_miniBar != nullptr) {
        if (m_miniBar->HasWindow()) {
            m_miniBar->Show();
        }
        hide();
        return;
    }
    std::unique_ptr<IMiniBar> bar = m_parts.NewMiniBar();
    // Without a bar to take its place the widget stays: the user is never left without a way back.
    if (bar == nullptr) {
        return;
    }
    const Rect own = WindowRect(this);
    hide();
    m_miniBar = std::move(bar);
    m_miniBar->CreateAt(this, own.left, own.top);
}

void CMainDlg::CloseMiniBar(bool showMain)
{
    if (m_miniBar == nullptr) {
        return;
    }
    // Without a notification area nothing could bring the widget back, so the bar's "X" gives the
    // widget back instead of leaving the user with no window at all.
    ITrayIcon* tray = m_parts.TrayIcon();
    if (!showMain && (tray == nullptr || !tray->IsAdded())) {
        showMain = true;
    }
    const Rect bar = m_miniBar->GetWindowRect();
    if (m_miniBar->HasWindow()) {
        m_miniBar->Destroy();
    }
    m_miniBar.reset();
    if (!showMain || m_tornDown) {
        return;
    }
    move(bar.left, bar.top);
    show();
    raise();
    activateWindow();
}

void CMainDlg::CloseAllPages()
{
    for (IWebWindow* page : m_webDlgs) {
        if (page->HasWindow()) {
            SavePagePlacement(m_environment, page->PageIndex(), page->GetPlacement());
            page->Destroy();
        }
    }
    m_webDlgs.RemoveAll();
}

void CMainDlg::OnWindowMessage(int message, std::intptr_t wParam, std::intptr_t lParam)
{
    if (message == WM_MODELESS_CLOSED) {
        if (wParam == 1 && lParam == res::IDD_WEATHER) {
            CloseWeather();
        } else if (wParam == 1 && lParam == res::IDD_FACTORY) {
            CloseFactory();
        } else if (wParam == 1 && lParam == res::IDD_MINIBAR) {
            CloseMiniBar(true);
        } else if (wParam == 2) {
            CloseMiniBar(false);
        }
    } else if (message == WM_WEBDLG_CLOSED && wParam == 1) {
        for (IWebWindow* page : m_webDlgs) {
            // The sender is only compared, never followed, until it is found in the list: a stale
            // message for a window already gone finds nothing.
            if (reinterpret_cast<std::intptr_t>(page) != lParam) {
                continue;
            }
            SavePagePlacement(m_environment, page->PageIndex(), page->GetPlacement());
            m_webDlgs.Remove(page);
            if (page->HasWindow()) {
                page->Destroy();
            }
            delete page;
            break;
        }
    } else if (message == WM_TRAY_NOTIFY) {
        if ((lParam & 0xFFFF) == TrayDoubleClick) {
            // Back from the icon: the bar when there is one, else the widget.
            if (m_miniBar != nullptr) {
                m_miniBar->Show();
            } else {
                show();
                raise();
                activateWindow();
            }
        } else if (ITrayIcon* tray = m_parts.TrayIcon()) {
            tray->HandleNotification(static_cast<long>(wParam), static_cast<long>(lParam));
        }
    }
}

bool CMainDlg::Ask(const std::string& question)
{
    return AskYesNo(question, this);
}

void CMainDlg::Exit()
{
    if (!Ask(platform::Utf8ToCp949("프로그램을 종료 하시겠습니까?"))) {
        return;
    }
    SaveWindowPoint(m_environment, Main, WindowRect(this));
    CloseWeather();
    CloseFactory();
    CloseAllPages();
    EndDialog(IDOK);
}

void CMainDlg::ResetPositions()
{
    if (!Ask(
            platform::Utf8ToCp949("위치정보를 초기화 하시려면 프로그램을 종료하시고 다시 실행하여야 합니다.\n"
                                  "초기화를 위해 프로그램을 종료 하시겠습니까?"))) {
        return;
    }
    CloseWeather();
    CloseFactory();
    CloseAllPages();
    ResetWindowPoints(m_environment);
    EndDialog(IDOK);
}

void CMainDlg::ToggleAlwaysOnTop()
{
    CKvRegConfig store;
    store.Load();
    store.AlwaysTop = store.AlwaysTop != 0 ? 0 : 1;
    store.Save();
    SetAlwaysOnTop(store.AlwaysTop != 0);
}

void CMainDlg::ToggleAutoLogin()
{
    CKvRegConfig store;
    store.Load();
    if (store.SavePW != 0) {
        store.SavePW = 0;
        store.PW.clear();
        if (store.SaveID == 0) {
            store.ID.clear();
        }
    } else {
        store.SavePW = 1;
        store.ID = m_session.UserId;
        store.PW = m_session.Password;
    }
    store.Save();
}

void CMainDlg::OnDragBegin()
{
    m_glueWeather = m_glueFactory = false;
    const Rect main = WindowRect(this);
    const bool weather = m_weatherDlg != nullptr;
    const bool factory = m_factoryDlg != nullptr;
    const Rect w = weather ? m_weatherDlg->GetWindowRect() : Rect{};
    const Rect f = factory ? m_factoryDlg->GetWindowRect() : Rect{};
    if (weather) {
        m_glueWeather = IsAdjacent(main, w);
        if (factory) {
            m_glueFactory = IsAdjacent(main, f) || (m_glueWeather && IsAdjacent(w, f));
        }
    }
    if (factory) {
        m_glueFactory = m_glueFactory || IsAdjacent(main, f);
        if (!m_glueWeather && weather && m_glueFactory && IsAdjacent(w, f)) {
            m_glueWeather = true;
        }
    }
    if (weather) {
        m_dragRectWeather = w;
    }
    if (factory) {
        m_dragRectFactory = f;
    }
}

void CMainDlg::OnDragMove(int dx, int dy)
{
    if (m_weatherDlg != nullptr && m_glueWeather) {
        m_weatherDlg->MoveTo(m_dragRectWeather.left + dx, m_dragRectWeather.top + dy);
    }
    if (m_factoryDlg != nullptr && m_glueFactory) {
        m_factoryDlg->MoveTo(m_dragRectFactory.left + dx, m_dragRectFactory.top + dy);
    }
}

void CMainDlg::OnDragEnd()
{
    m_glueWeather = m_glueFactory = false;
}

void CMainDlg::OnWindowPosChanged(const WindowPos& pos)
{
    if (!isVisible()) {
        return;
    }
    if (m_weatherDlg != nullptr && !m_glueWeather && SnapAfterMove(pos, m_weatherDlg->GetWindowRect())) {
        return;
    }
    if (m_factoryDlg != nullptr && !m_glueFactory) {
        SnapAfterMove(pos, m_factoryDlg->GetWindowRect());
    }
}

void CMainDlg::Teardown()
{
    if (m_tornDown) {
        return;
    }
    m_tornDown = true;
    m_feed.Stop();
    CloseWeather();
    CloseFactory();
    CloseMiniBar(true);
    CloseAllPages();
}

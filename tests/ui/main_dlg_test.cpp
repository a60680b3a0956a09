#include "log/file_log.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "resource_ids.h"
#include "settings/reg_config.h"
#include "support/fake_clock.h"
#include "support/pixels.h"
#include "support/temp_env.h"
#include "ui/windows/main_dlg.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

class FakeWindow : public IOwnedWindow
{
public:
    explicit FakeWindow(int* destroyed = nullptr) : m_destroyed(destroyed) {}
    bool CreateModeless(QWidget*, const Rect* rect) override
    {
        created = true;
        if (rect != nullptr) {
            place = *rect;
        }
        return true;
    }
    bool HasWindow() const override { return created; }
    bool IsVisible() const override { return visible; }
    Rect GetWindowRect() const override { return place; }
    void MoveTo(int x, int y) override
    {
        place = Rect{x, y, x + place.right - place.left, y + place.bottom - place.top};
    }
    void Show() override { visible = true; }
    void Hide() override { visible = false; }
    void Destroy() override
    {
        created = false;
        if (m_destroyed != nullptr) {
            ++*m_destroyed;
        }
    }

    bool created = false;
    bool visible = true;
    Rect place;

private:
    int* m_destroyed;
};

class FakePage : public IWebWindow
{
public:
    explicit FakePage(int index) : index(index) {}
    bool CreateModeless(QWidget*, const Rect*) override { return created = true; }
    bool HasWindow() const override { return created; }
    bool IsVisible() const override { return visible; }
    Rect GetWindowRect() const override { return {}; }
    void MoveTo(int, int) override {}
    void Show() override { visible = true; }
    void Hide() override { visible = false; }
    void Destroy() override { created = false; }
    int PageIndex() const override { return index; }
    WindowPlacement GetPlacement() const override
    {
        WindowPlacement p;
        p.length = 44;
        p.normalPosition = {100 + index, 100, 1124, 868};
        return p;
    }

    int index;
    bool created = false;
    bool visible = true;
};

class FakeParts : public IMainWindowParts
{
public:
    std::unique_ptr<IOwnedWindow> NewWeatherDlg() override
    {
        return std::make_unique<FakeWindow>(&destroyed);
    }
    std::unique_ptr<IOwnedWindow> NewFactoryDlg() override
    {
        return std::make_unique<FakeWindow>(&destroyed);
    }
    std::unique_ptr<IWebWindow> NewWebDlg(int index) override
    {
        ++pagesMade;
        return std::make_unique<FakePage>(index);
    }
    std::unique_ptr<IMiniBar> NewMiniBar() override { return nullptr; }
    ITrayIcon* TrayIcon() override { return nullptr; }

    int destroyed = 0;
    int pagesMade = 0;
};

// Tuesday morning, and a minute later.
void TuesdayMorning()
{
    FakeClock::Set(2024, 3, 5, 2, 9, 7, 30);
}
void AMinuteLater()
{
    FakeClock::Set(2024, 3, 5, 2, 9, 8, 30);
}

// The pixels where two pictures differ.
QRegion Difference(const QImage& a, const QImage& b)
{
    QRegion changed;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                changed += QRect(x, y, 1, 1);
            }
        }
    }
    return changed;
}

QRect Area(int l, int t, int r, int b)
{
    return QRect(l, t, r - l, b - t);
}

class TestMainDlg : public CMainDlg
{
public:
    using CMainDlg::CMainDlg;
    bool Ask(const std::string& question) override
    {
        questions.push_back(platform::Cp949ToUtf8(question));
        return answer;
    }
    void Init() { OnInitDialog(); }
    void Press(const QPoint& client)
    {
        QMouseEvent press(QEvent::MouseButtonPress, client, mapToGlobal(client), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        mousePressEvent(&press);
    }

    bool answer = true;
    std::vector<std::string> questions;
};

class MainWindow : public ::testing::Test
{
protected:
    MainWindow()
    {
        environment.RefreshRate = 3600;
        environment.MainPoint = {100, 100};
        environment.WeatherPoint = environment.PlantPoint = {NoPosition, NoPosition};
        session.UserId = "kim";
        session.Password = "secret";
        TuesdayMorning();
        dlg.SetTimeSource(FakeClock::Source());
        dlg.Feed().SetTimeSource(FakeClock::Source());
        dlg.Feed().SetTickSource(FakeClock::TickSource());
        dlg.Init();
        dlg.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    }

    TempEnv env;
    EnvironmentSettings environment;
    SessionIdentity session;
    FakeParts parts;
    TestMainDlg dlg{environment, session, parts};
};

} // namespace

TEST_F(MainWindow, ComesUpAtItsSizeWithItsButtonsInPlace)
{
    EXPECT_EQ(dlg.size(), QSize(259, 138));
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("내부용 위젯"));
    EXPECT_EQ(dlg.pos(), QPoint(100, 100));
    struct Row
    {
        int id;
        QRect geometry;
        bool visible;
    } rows[] = {
        {res::IDC_WEATHER, QRect(167, 4, 30, 16), false},  {res::IDC_OFFICE, QRect(199, 4, 38, 16), true},
        {res::IDC_CLOSE, QRect(239, 4, 15, 16), true},     {res::IDC_MAP, QRect(127, 94, 24, 18), true},
        {res::IDC_SITE, QRect(152, 94, 25, 18), true},     {res::IDC_VEHICLE, QRect(177, 94, 25, 18), true},
        {res::IDC_SHIPMENT, QRect(203, 94, 25, 18), true}, {res::IDC_SMS, QRect(230, 94, 24, 18), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        CKvImgButton* button = dlg.Button(row.id);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->geometry(), row.geometry);
        EXPECT_EQ(button->isVisible(), row.visible);
    }
    EXPECT_FALSE(dlg.mask().contains(QPoint(0, 0))) << "the key-grey corner lets clicks through";
    EXPECT_TRUE(dlg.mask().contains(QPoint(129, 69)));
}

TEST_F(MainWindow, EachTextStaysInsideItsRectangle)
{
    const QImage blank = dlg.grab().toImage().convertToFormat(QImage::Format_RGB32);
    dlg.Feed().ApplyDocument("88888.8|88888.8|88888.8|88888.8|888|888|888|A|B\r\n");
    const QImage figures = dlg.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QRegion allowed;
    for (const QRect& r :
         {Area(42, 34, 96, 47), Area(42, 52, 96, 70), Area(42, 73, 96, 89), Area(42, 92, 96, 110),
          Area(17, 120, 88, 136), Area(97, 120, 177, 136), Area(184, 120, 250, 136)}) {
        allowed += r;
    }
    const QRegion changed = Difference(blank, figures);
    EXPECT_FALSE(changed.isEmpty());
    EXPECT_TRUE(changed.subtracted(allowed).isEmpty()) << "a figure drew outside its rectangle";
    // Each volume's colour appears in its own rectangle.
    const struct
    {
        QRect area;
        QRgb colour;
    } volumes[] = {{Area(42, 34, 96, 47), qRgb(0, 146, 156)},
                   {Area(42, 52, 96, 70), qRgb(9, 161, 2)},
                   {Area(42, 73, 96, 89), qRgb(255, 102, 0)},
                   {Area(42, 92, 96, 110), qRgb(47, 69, 241)}};
    for (const auto& volume : volumes) {
        EXPECT_GT(CountColour(figures, volume.area, volume.colour), 10) << volume.area.y();
    }

    AMinuteLater();
    const QImage later = dlg.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRegion ticked = Difference(figures, later);
    EXPECT_FALSE(ticked.isEmpty());
    EXPECT_TRUE(ticked.subtracted(QRegion(Area(128, 45, 245, 86))).isEmpty()) << "only the clock changed";
    EXPECT_TRUE(ticked
                    .subtracted(QRegion(Area(CMainDlg::ClockRectLeft, CMainDlg::ClockRectTop,
                                             CMainDlg::ClockRectRight + 2, CMainDlg::ClockRectBottom + 1)))
                    .isEmpty())
        << "the clock timer's repaint rectangle covers what changes";
}

TEST_F(MainWindow, PaintsTheDateClockAndFigures)
{
    dlg.Feed().ApplyDocument("1280.0|1195.5|123456789.0123|709.9|12|-2|3|A|B\r\n");
    const QImage shot = dlg.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_GT(CountColour(shot, QRect(128, 45, 117, 41), qRgb(255, 126, 1)), 50) << "the clock";
    EXPECT_GT(CountColour(shot, QRect(128, 30, 117, 14), qRgb(64, 109, 171)), 20) << "the date";
    EXPECT_GT(CountColour(shot, QRect(42, 34, 54, 13), qRgb(0, 146, 156)), 10) << "planned";
    EXPECT_GT(CountColour(shot, QRect(42, 52, 54, 18), qRgb(9, 161, 2)), 10) << "ordered";
    // The shipped volume is too wide for its 54 pixels: right-aligned and cut at x 42.
    EXPECT_GT(CountColour(shot, QRect(42, 73, 54, 16), qRgb(255, 102, 0)), 10);
    EXPECT_EQ(CountColour(shot, QRect(41, 75, 1, 12), qRgb(255, 102, 0), 20), 0);
    EXPECT_GT(CountColour(shot, QRect(17, 120, 71, 16), qRgb(255, 255, 255)), 10) << "the counts in white";
}

TEST_F(MainWindow, StaleFiguresGoGreyAndTellSinceWhen)
{
    const QRect planned(42, 34, 54, 13);
    const QRect counts(17, 120, 71, 16);
    const auto shot = [this] { return dlg.grab().toImage().convertToFormat(QImage::Format_RGB32); };
    const QRgb grey = qRgb(150, 150, 150);
    const std::string logFile = env.Path("state/Tolvik/Pellamo/20240305.log");
    ProcessLog().SetTimeSource(FakeClock::Source());

    // Nothing has come since the start: after three periods the (empty) counts are grey.
    FakeClock::Advance(3 * 3600 * 1000);
    dlg.Feed().CheckFreshness();
    EXPECT_TRUE(dlg.FiguresStale());
    EXPECT_EQ(dlg.toolTip(), QString::fromUtf8("갱신 없음"));
    EXPECT_GT(CountColour(shot(), counts, grey, 2), 10);

    // A document brings the colours back at once.
    dlg.Feed().ApplyDocument("1280.0|1195.5|485.6|709.9|12|3|4|A|B\r\n");
    EXPECT_FALSE(dlg.FiguresStale());
    EXPECT_TRUE(dlg.toolTip().isEmpty());
    QImage fresh = shot();
    EXPECT_GT(CountColour(fresh, planned, qRgb(0, 146, 156)), 10);
    EXPECT_EQ(CountColour(fresh, planned, grey, 2), 0);

    // One period short of three: still fresh; three without a success: grey, figures and counts alike,
    // while the date and the clock keep their colours.
    FakeClock::Advance(2 * 3600 * 1000);
    dlg.Feed().CheckFreshness();
    EXPECT_FALSE(dlg.FiguresStale());
    FakeClock::Advance(3600 * 1000);
    dlg.Feed().CheckFreshness();
    ASSERT_TRUE(dlg.FiguresStale());
    EXPECT_EQ(dlg.toolTip(), QString::fromUtf8("마지막 갱신 09:07:30"));
    const QImage stale = shot();
    EXPECT_EQ(CountColour(stale, planned, qRgb(0, 146, 156)), 0);
    EXPECT_GT(CountColour(stale, planned, grey, 2), 10);
    EXPECT_EQ(CountColour(stale, counts, qRgb(255, 255, 255), 2), 0);
    EXPECT_GT(CountColour(stale, QRect(128, 45, 117, 41), qRgb(255, 126, 1)), 50) << "the clock";
    EXPECT_GT(CountColour(stale, QRect(128, 30, 117, 14), qRgb(64, 109, 171)), 20) << "the date";
    // Only the figures' pixels changed.
    QRegion allowed;
    for (const QRect& area : {QRect(42, 34, 54, 76), QRect(17, 120, 233, 16)}) {
        allowed += area;
    }
    EXPECT_TRUE(Difference(fresh, stale).subtracted(allowed).isEmpty());

    dlg.Feed().ApplyDocument("1280.0|1195.5|485.6|709.9|12|3|4|A|B\r\n");
    EXPECT_EQ(CountColour(shot(), planned, grey, 2), 0);
    // One line each time the figures went stale or came back, none for the periods in between.
    const std::string log = ReadFile(logFile);
    EXPECT_NE(log.find("no figures since the start, shown as stale"), std::string::npos) << log;
    EXPECT_NE(log.find("no new figures since 09:07:30, shown as stale"), std::string::npos) << log;
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = log.find("status feed:", at)) != std::string::npos; ++at) {
        ++lines;
    }
    EXPECT_EQ(lines, 4u);
    ProcessLog().SetTimeSource(&platform::GetLocalTime);
}

// Collects what the window is asked to paint.
class PaintSpy : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
    QRegion painted;
};

TEST_F(MainWindow, RenewsOnlyWhatChanged)
{
    dlg.Feed().ApplyDocument("1280.0|1195.5|485.6|709.9|12|3|4|A|B\r\n");
    QTest::qWait(50);
    PaintSpy spy;
    dlg.installEventFilter(&spy);
    const QRect clock = Area(CMainDlg::ClockRectLeft, CMainDlg::ClockRectTop, CMainDlg::ClockRectRight,
                             CMainDlg::ClockRectBottom);
    const struct
    {
        const char* name;
        std::function<void()> step;
        QRegion expected;
    } rows[] = {
        {"a second within the same minute", [this] { emit dlg.Feed().ClockTick(); }, QRegion()},
        {"the next minute",
         [this] {
             AMinuteLater();
             emit dlg.Feed().ClockTick();
         },
         QRegion(clock)},
        {"the same figures again",
         [this] { dlg.Feed().ApplyDocument("1280.0|1195.5|485.6|709.9|12|3|4|A|B\r\n"); }, QRegion()},
        {"a new shipped volume and waiting count",
         [this] { dlg.Feed().ApplyDocument("1280.0|1195.5|490.1|705.4|12|3|5|A|B\r\n"); },
         QRegion(Area(42, 73, 96, 89)) + Area(42, 92, 96, 110) + Area(184, 120, 250, 136)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        spy.painted = QRegion();
        row.step();
        QTest::qWait(50);
        EXPECT_EQ(spy.painted, row.expected);
    }
    dlg.removeEventFilter(&spy);
}

TEST_F(MainWindow, PageButtonsCreateHideAndShowOneWindow)
{
    QTest::mouseClick(dlg.Button(res::IDC_MAP), Qt::LeftButton);
    ASSERT_EQ(dlg.WebDlgs().GetCount(), 1);
    auto* map = static_cast<FakePage*>(dlg.WebDlgs().GetHead());
    EXPECT_TRUE(map->created);
    dlg.OnCommand(res::IDC_MAP);
    EXPECT_FALSE(map->Shown);
    EXPECT_FALSE(map->visible);
    dlg.OnCommand(res::IDC_MAP);
    EXPECT_TRUE(map->Shown);
    EXPECT_EQ(dlg.WebDlgs().GetCount(), 1);
    EXPECT_EQ(parts.pagesMade, 1);

    // Closed by its own button: the placement is remembered and the next press makes a new one.
    PostWindowMessage(&dlg, WM_WEBDLG_CLOSED, 1, reinterpret_cast<std::intptr_t>(map));
    QApplication::sendPostedEvents(&dlg);
    EXPECT_EQ(dlg.WebDlgs().GetCount(), 0);
    EXPECT_EQ(environment.PagePlacements[Map].normalPosition.left, 100);
    dlg.OnCommand(res::IDC_MAP);
    EXPECT_EQ(parts.pagesMade, 2);
}

TEST_F(MainWindow, WeatherAndFactoryWindowsOpenBelowTheWidget)
{
    dlg.OnCommand(res::IDC_WEATHER);
    auto* weather = static_cast<FakeWindow*>(dlg.WeatherDlg());
    ASSERT_NE(weather, nullptr);
    EXPECT_EQ(weather->place.left, 100);
    EXPECT_EQ(weather->place.top, 238);
    EXPECT_EQ(weather->place.right - weather->place.left, 260);
    EXPECT_EQ(weather->place.bottom - weather->place.top, 84);
    dlg.OnCommand(res::IDC_OFFICE);
    auto* factory = static_cast<FakeWindow*>(dlg.FactoryDlg());
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->place.top, 238 + 84) << "below the weather window";
    EXPECT_EQ(factory->place.bottom - factory->place.top, 303);

    PostWindowMessage(&dlg, WM_MODELESS_CLOSED, 1, res::IDD_WEATHER);
    QApplication::sendPostedEvents(&dlg);
    EXPECT_EQ(dlg.WeatherDlg(), nullptr);
    EXPECT_EQ(environment.WeatherPoint.x, 100) << "its point is remembered";
    EXPECT_EQ(environment.WeatherPoint.y, 238);
}

TEST_F(MainWindow, OnlyTheTopBandStartsADragAndChainsGlue)
{
    dlg.OnCommand(res::IDC_WEATHER); // directly below the widget
    dlg.OnCommand(res::IDC_OFFICE);  // directly below the weather window, 84 pixels from the widget
    dlg.Press(QPoint(50, 23));
    EXPECT_FALSE(dlg.Dragging());
    dlg.Press(QPoint(50, 22));
    EXPECT_TRUE(dlg.Dragging());
    EXPECT_TRUE(dlg.GlueWeather());
    EXPECT_TRUE(dlg.GlueFactory()) << "glued through the weather window";
    QMouseEvent move(QEvent::MouseMove, QPoint(80, 52), dlg.mapToGlobal(QPoint(50, 22)) + QPoint(30, 30),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &move);
    EXPECT_EQ(dlg.pos(), QPoint(130, 130));
    EXPECT_EQ(static_cast<FakeWindow*>(dlg.FactoryDlg())->place.top, 238 + 84 + 30);
    QMouseEvent release(QEvent::MouseButtonRelease, QPoint(80, 52), dlg.mapToGlobal(QPoint(80, 52)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &release);
    EXPECT_FALSE(dlg.Dragging());
}

TEST(MainWindowRules, AdjacencyTable)
{
    struct Row
    {
        const char* name;
        Rect b;
        bool adjacent;
    } rows[] = {
        {"9 pixels right", {268, 10, 400, 100}, true},
        {"10 pixels right", {269, 10, 400, 100}, false},
        {"touching below", {0, 138, 259, 222}, true},
        {"right but no common height", {260, 200, 400, 300}, false},
        {"overlapping", {100, 100, 300, 300}, false},
        {"9 above", {0, -94, 259, -9}, true},
    };
    const Rect a{0, 0, 259, 138};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(IsAdjacent(a, row.b), row.adjacent);
    }
}

TEST_F(MainWindow, TheContextMenuFollowsRightsAndSwitches)
{
    {
        CKvRegConfig store;
        store.SavePW = 1;
        store.Save();
    }
    for (int admin : {0, 1}) {
        SCOPED_TRACE(admin);
        session.IsAdmin = admin;
        QMenu menu;
        dlg.FillContextMenu(menu);
        const QList<QAction*> actions = menu.actions();
        ASSERT_EQ(actions.size(), 6);
        EXPECT_EQ(actions[0]->text(), QString::fromUtf8("시스템관리"));
        EXPECT_EQ(actions[0]->isEnabled(), admin == 1);
        EXPECT_TRUE(actions[2]->isSeparator());
        EXPECT_TRUE(actions[3]->isChecked()) << "자동로그인 follows SavePW";
        EXPECT_FALSE(actions[4]->isChecked()) << "항상위설정 follows AlwaysTop";
        EXPECT_EQ(actions[5]->text(), QString::fromUtf8("종료"));
    }
}

TEST_F(MainWindow, SwitchesAreKeptInTheStore)
{
    dlg.OnCommand(res::ID_AUTOLOGIN);
    {
        CKvRegConfig store;
        store.Load();
        EXPECT_EQ(store.SavePW, 1u);
        EXPECT_EQ(store.ID, "kim");
        EXPECT_EQ(store.PW, "secret");
        EXPECT_EQ(store.SaveID, 0u) << "never changed here";
    }
    dlg.OnCommand(res::ID_AUTOLOGIN);
    dlg.OnCommand(res::ID_ALWAYSTOP);
    CKvRegConfig store;
    store.Load();
    EXPECT_EQ(store.SavePW, 0u);
    EXPECT_EQ(store.PW, "");
    EXPECT_EQ(store.ID, "") << "SaveID is off, so the identifier goes too";
    EXPECT_EQ(store.AlwaysTop, 1u);
    EXPECT_TRUE(dlg.windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(MainWindow, ExitAsksThenRemembersEveryPlace)
{
    dlg.OnCommand(res::IDC_WEATHER);
    dlg.OnCommand(res::IDC_MAP);
    dlg.answer = false;
    dlg.OnCommand(res::ID_EXIT);
    EXPECT_EQ(dlg.questions, std::vector<std::string>{"프로그램을 종료 하시겠습니까?"});
    EXPECT_NE(dlg.WeatherDlg(), nullptr) << "No changes nothing";
    dlg.answer = true;
    dlg.move(140, 150);
    dlg.OnCommand(res::ID_EXIT);
    EXPECT_EQ(dlg.result(), 1);
    EXPECT_EQ(environment.MainPoint.x, 140);
    EXPECT_EQ(dlg.WeatherDlg(), nullptr);
    EXPECT_EQ(dlg.WebDlgs().GetCount(), 0);
    EXPECT_EQ(environment.PagePlacements[Map].length, 44);
}

TEST_F(MainWindow, ResetForgetsThePointsButNotThePages)
{
    dlg.OnCommand(res::IDC_MAP);
    dlg.OnCommand(res::ID_RESET);
    ASSERT_EQ(dlg.questions.size(), 1u);
    EXPECT_NE(dlg.questions[0].find("\n초기화를 위해"), std::string::npos);
    EXPECT_EQ(environment.MainPoint.x, NoPosition);
    EXPECT_EQ(environment.PagePlacements[Map].length, 44);
    EXPECT_EQ(dlg.result(), 1);
}

TEST_F(MainWindow, EnterEscapeAndCloseDoNothing)
{
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QTest::keyClick(&dlg, Qt::Key_Return);
    dlg.close();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), 0);
}

TEST_F(MainWindow, WithoutAMiniBarTheWidgetStays)
{
    dlg.OnCommand(res::IDC_CLOSE);
    EXPECT_TRUE(dlg.isVisible()) << "no bar could take its place";
}

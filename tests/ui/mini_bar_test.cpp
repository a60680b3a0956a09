#include "resource_ids.h"
#include "support/fake_clock.h"
#include "support/pixels.h"
#include "support/temp_env.h"
#include "ui/windows/main_dlg.h"
#include "ui/windows/mini_bar_dlg.h"
#include "ui/windows/tray_icon.h"

#include <QApplication>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class Parts : public IMainWindowParts
{
public:
    std::unique_ptr<IOwnedWindow> NewWeatherDlg() override { return nullptr; }
    std::unique_ptr<IOwnedWindow> NewFactoryDlg() override { return nullptr; }
    std::unique_ptr<IWebWindow> NewWebDlg(int) override { return nullptr; }
    std::unique_ptr<IMiniBar> NewMiniBar() override { return std::make_unique<CMiniBarDlg>(*main); }
    ITrayIcon* TrayIcon() override { return withTray ? &tray : nullptr; }

    // A tray that is there, for the rules that depend on it (the offscreen platform has none).
    class PresentTray : public ITrayIcon
    {
    public:
        bool AddIcon(QWidget*) override { return added = true; }
        void SetIcon(int) override {}
        void RemoveIcon() override { added = false; }
        bool IsAdded() const override { return added; }
        void SetTip(const QString& text) override { tip = text; }
        void HandleNotification(long wParam, long lParam) override { events.emplace_back(wParam, lParam); }
        bool added = false;
        QString tip;
        std::vector<std::pair<long, long>> events;
    } tray;

    CMainDlg* main = nullptr;
    bool withTray = true;
};

class MiniBar : public ::testing::Test
{
protected:
    MiniBar()
    {
        environment.MainPoint = {200, 150};
        environment.RefreshRate = 3600;
        parts.main = &dlg;
        dlg.Feed().SetTimeSource(FakeClock::Source());
        dlg.Feed().SetTickSource(FakeClock::TickSource());
        dlg.Initialise();
        dlg.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    }

    class InitMain : public CMainDlg
    {
    public:
        using CMainDlg::CMainDlg;
        void Initialise() { OnInitDialog(); }
    };

    void Deliver()
    {
        QApplication::sendPostedEvents();
        QApplication::processEvents();
    }

    TempEnv env;
    EnvironmentSettings environment;
    SessionIdentity session;
    Parts parts;
    InitMain dlg{environment, session, parts};
};

} // namespace

TEST_F(MiniBar, TakesTheWidgetsPlaceAndGivesItBack)
{
    dlg.OnCommand(res::IDC_CLOSE);
    auto* bar = static_cast<CMiniBarDlg*>(dlg.MiniBar());
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->geometry(), QRect(200, 150, 353, 62));
    EXPECT_EQ(bar->windowTitle(), QString::fromUtf8("외부용 위젯"));
    bar->move(300, 260);
    QTest::keyClick(bar, Qt::Key_Escape);
    Deliver();
    EXPECT_EQ(dlg.MiniBar(), nullptr);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.pos(), QPoint(300, 260)) << "the widget comes back where the bar was";
}

TEST_F(MiniBar, ItsXLeavesOnlyTheIconAndADoubleClickBringsTheWidgetBack)
{
    dlg.OnCommand(res::IDC_CLOSE);
    auto* bar = static_cast<CMiniBarDlg*>(dlg.MiniBar());
    ASSERT_NE(bar, nullptr);
    QTest::mouseClick(bar->Button(res::IDC_CLOSE), Qt::LeftButton);
    Deliver();
    EXPECT_EQ(dlg.MiniBar(), nullptr);
    EXPECT_FALSE(dlg.isVisible()) << "only the icon is left";
    PostWindowMessage(&dlg, WM_TRAY_NOTIFY, CTrayIcon::IconId, CTrayIcon::MouseDoubleClick);
    Deliver();
    EXPECT_TRUE(dlg.isVisible());
    PostWindowMessage(&dlg, WM_TRAY_NOTIFY, CTrayIcon::IconId, CTrayIcon::RightButtonUp);
    Deliver();
    EXPECT_EQ(parts.tray.events.size(), 1u) << "other icon events go to the icon";
}

TEST_F(MiniBar, WithoutANotificationAreaItsXGivesTheWidgetBack)
{
    parts.withTray = false;
    dlg.OnCommand(res::IDC_CLOSE);
    ASSERT_NE(dlg.MiniBar(), nullptr);
    PostWindowMessage(&dlg, WM_MODELESS_CLOSED, 2, 0);
    Deliver();
    EXPECT_EQ(dlg.MiniBar(), nullptr);
    EXPECT_TRUE(dlg.isVisible()) << "never left without a window";
}

TEST_F(MiniBar, ItsShapeHasTwoTabsAboveTheBody)
{
    dlg.OnCommand(res::IDC_CLOSE);
    auto* bar = static_cast<CMiniBarDlg*>(dlg.MiniBar());
    ASSERT_NE(bar, nullptr);
    const QRegion shape = bar->mask();
    struct Row
    {
        const char* name;
        QPoint at;
        bool inside;
    } rows[] = {
        {"body", {100, 40}, true},
        {"restore tab", {329, 3}, true},
        {"close tab", {344, 3}, true},
        {"blank row left", {100, 5}, false},
        {"between the tabs", {337, 4}, false},
        {"rounded corner", {0, 10}, false},
        {"left edge mid", {0, 36}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(shape.contains(row.at), row.inside);
    }
    EXPECT_EQ(bar->Button(res::IDC_MAP)->geometry(), QRect(102, 17, 32, 16));
    EXPECT_EQ(bar->Button(res::IDC_SMS)->geometry(), QRect(234, 17, 32, 17));
    EXPECT_EQ(bar->Button(res::IDC_OFFICE)->geometry(), QRect(323, 0, 13, 8));
}

TEST_F(MiniBar, ShowsTheSummaryAndTheExtraText)
{
    dlg.Feed().ApplyDocument("1280.0|1|640.5|4|5|6|7|P|Extra\r\n");
    dlg.OnCommand(res::IDC_CLOSE);
    auto* bar = static_cast<CMiniBarDlg*>(dlg.MiniBar());
    ASSERT_NE(bar, nullptr);
    const QImage shot = bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_GT(CountColour(shot, QRect(20, 39, 313, 21), qRgb(4, 98, 153)), 30);
    EXPECT_GT(CountColour(shot, QRect(270, 17, 76, 17), qRgb(255, 108, 0)), 10);
}

TEST_F(MiniBar, StaleFiguresGreyTheSummaryAndTheTipsSaySinceWhen)
{
    FakeClock::Set(2024, 3, 5, 2, 11, 40, 5);
    dlg.Feed().ApplyDocument("1280.0|1|640.5|4|5|6|7|P|Extra\r\n");
    dlg.OnCommand(res::IDC_CLOSE);
    auto* bar = static_cast<CMiniBarDlg*>(dlg.MiniBar());
    ASSERT_NE(bar, nullptr);
    const QRect summary(20, 39, 313, 21);
    const QRgb grey = qRgb(150, 150, 150);

    FakeClock::Advance(3 * 3600 * 1000);
    dlg.Feed().CheckFreshness();
    QImage shot = bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(CountColour(shot, summary, qRgb(4, 98, 153)), 0);
    EXPECT_GT(CountColour(shot, summary, grey, 2), 30);
    EXPECT_GT(CountColour(shot, QRect(270, 17, 76, 17), qRgb(255, 108, 0)), 10)
        << "the extra text keeps its colour";
    EXPECT_EQ(bar->toolTip(), QString::fromUtf8("마지막 갱신 11:40:05"));
    EXPECT_EQ(parts.tray.tip, QString::fromUtf8("마지막 갱신 11:40:05"));

    dlg.Feed().ApplyDocument("1280.0|1|640.5|4|5|6|7|P|Extra\r\n");
    shot = bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_GT(CountColour(shot, summary, qRgb(4, 98, 153)), 30);
    EXPECT_TRUE(bar->toolTip().isEmpty());
    EXPECT_TRUE(parts.tray.tip.isEmpty()) << "the icon's own tooltip again";
}

TEST(TrayIcon, ItsMenuHasShowAsTheBoldDefault)
{
    std::vector<int> commands;
    CTrayIcon tray([&commands](int id) { commands.push_back(id); });
    QMenu menu;
    tray.FillMenu(menu);
    const QList<QAction*> actions = menu.actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), QString::fromUtf8("보기"));
    EXPECT_EQ(actions[1]->text(), QString::fromUtf8("창 위치 초기화"));
    EXPECT_EQ(actions[2]->text(), QString::fromUtf8("종료"));
    EXPECT_EQ(menu.defaultAction(), actions[0]);
    EXPECT_TRUE(actions[0]->font().bold());
    actions[1]->trigger();
    EXPECT_EQ(commands, std::vector<int>{res::ID_RESET});
    EXPECT_FALSE(tray.IsAdded());
    tray.RemoveIcon();                                     // harmless when absent
    tray.HandleNotification(99, CTrayIcon::RightButtonUp); // not this icon: nothing
}

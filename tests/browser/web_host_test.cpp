// The helper's host against a fake widget over a real local socket: the windows it makes, what it
// reports back, and what it does when the widget goes.

#include "browser/docked_page_dlg.h"
#include "browser/web_host.h"
#include "log/file_log.h"
#include "support/event_wait.h"
#include "support/link_peer.h"
#include "support/temp_env.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class FakeBrowser : public IBrowserView
{
public:
    explicit FakeBrowser(std::vector<std::string>& navigated) : m_navigated(navigated) {}
    QWidget* Widget() override { return m_view; }
    void Navigate(const std::string& url) override { m_navigated.push_back(url); }
    void Stop() override {}

private:
    QPointer<QWidget> m_view = new QWidget;
    std::vector<std::string>& m_navigated;
};

class FakeBrowsers : public IBrowserFactory
{
public:
    std::unique_ptr<IBrowserView> NewBrowser() override { return std::make_unique<FakeBrowser>(navigated); }
    std::vector<std::string> navigated;
};

class HostSide : public ::testing::Test
{
protected:
    HostSide()
    {
        const QString name = QString::fromStdString(env.Path("link.sock"));
        server.listen(name);
        EXPECT_TRUE(host.Connect(name));
        EXPECT_TRUE(WaitUntil([this] { return server.hasPendingConnections(); }));
        widget = std::make_unique<LinkPeer>(server.nextPendingConnection());
        QObject::connect(&host, &CWebHost::LinkLost, [this] { ++lost; });
        widget->Send(WebMessageType::Anchor, {RectField({300, 200, 559, 338})});
    }

    void Open(std::int32_t id, WebWindowKind kind, const std::string& address, const std::string& geometry,
              const std::string& caption = "")
    {
        widget->Send(WebMessageType::Open, {IntField(id), IntField(static_cast<std::int32_t>(kind)),
                                            IntField(0), address, caption, geometry});
        EXPECT_TRUE(WaitUntil([&] { return host.Window(id) != nullptr; })) << id;
    }

    TempEnv env;
    QLocalServer server;
    FakeBrowsers browsers;
    CWebHost host{browsers};
    std::unique_ptr<LinkPeer> widget;
    int lost = 0;
};

TEST_F(HostSide, PageWindowFollowsTheWidgetAndReportsBack)
{
    Open(1, WebWindowKind::Page, "http://h/map?userId=kim", PlacementField({}));
    auto* page = dynamic_cast<CWebDlg*>(host.Window(1));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(browsers.navigated, std::vector<std::string>{"http://h/map?userId=kim"});
    EXPECT_EQ(page->size(), QSize(1024, 768));
    const WebMessage* moved = widget->WaitFor(WebMessageType::Moved);
    ASSERT_NE(moved, nullptr);
    ASSERT_EQ(moved->Fields.size(), 3u);
    EXPECT_EQ(moved->Fields[2].size(), WindowPlacement::StoredSize) << "pages report their placement";

    std::size_t mark = widget->received.size();
    widget->Send(WebMessageType::Hide, {IntField(1)});
    const WebMessage* visible = widget->WaitFor(WebMessageType::Visible, mark);
    ASSERT_NE(visible, nullptr);
    EXPECT_EQ(visible->Fields[1], "0");
    EXPECT_FALSE(page->isVisible());
    EXPECT_FALSE(page->Shown);

    mark = widget->received.size();
    widget->Send(WebMessageType::Show, {IntField(1)});
    visible = widget->WaitFor(WebMessageType::Visible, mark);
    ASSERT_NE(visible, nullptr);
    EXPECT_EQ(visible->Fields[1], "1");

    // The user's minimise is reported as the window going out of sight.
    mark = widget->received.size();
    page->MinimiseButton()->click();
    visible = widget->WaitFor(WebMessageType::Visible, mark);
    ASSERT_NE(visible, nullptr);
    EXPECT_EQ(visible->Fields[1], "0");

    // Close: the request goes to the widget; the window stays until the widget says so.
    mark = widget->received.size();
    page->CloseButton()->click();
    ASSERT_NE(widget->WaitFor(WebMessageType::CloseRequested, mark), nullptr);
    EXPECT_EQ(host.WindowCount(), 1u);
    widget->Send(WebMessageType::Close, {IntField(1)});
    EXPECT_TRUE(WaitUntil([&] { return host.WindowCount() == 0; }));
    EXPECT_EQ(lost, 0);
}

TEST_F(HostSide, WeatherAndFactoryWindowsDockAndTraceEveryMove)
{
    Open(1, WebWindowKind::Weather, "?groupId=G7", RectField({300, 338, 560, 422}));
    Open(2, WebWindowKind::Factory, "http://h/office?userId=kim&groupId=G7", RectField({300, 422, 559, 725}),
         "\xBA\xBB\xBB\xE7");
    auto* weather = dynamic_cast<CDockedPageDlg*>(host.Window(1));
    auto* factory = dynamic_cast<CFactoryDlg*>(host.Window(2));
    ASSERT_NE(weather, nullptr);
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(browsers.navigated[0], "?groupId=G7");
    EXPECT_EQ(factory->Title(), "\xBA\xBB\xBB\xE7 \xBD\xC3\xB0\xA3\xB4\xEB\xBA\xB0 \xC3\xE2\xC7\xCF\xB7\xAE");
    EXPECT_EQ(weather->Browser()->Widget()->geometry(), QRect(0, 17, 260, 67));
    EXPECT_EQ(factory->Browser()->Widget()->geometry(), QRect(0, 17, 259, 286));

    const std::string logFile = ProcessLog().FileNameFor(ProcessLog().Now());
    const auto traceLines = [&] {
        const std::string text = Exists(logFile) ? ReadFile(logFile) : std::string();
        int changing = 0;
        int changed = 0;
        for (std::size_t at = 0; (at = text.find("OnWindowPos", at)) != std::string::npos; ++at) {
            (text.compare(at, 19, "OnWindowPosChanging") == 0 ? changing : changed) += 1;
        }
        return std::make_pair(changing, changed);
    };
    // The plant window moved to 5 pixels below the weather window: it docks there, before the widget is
    // tried.
    std::size_t mark = widget->received.size();
    widget->Send(WebMessageType::Move, {IntField(2), RectField({302, 427, 561, 730})});
    ASSERT_TRUE(WaitUntil([&] { return factory->pos() == QPoint(302, 422); })) << factory->pos().y();
    const WebMessage* moved = widget->WaitFor(WebMessageType::Moved, mark);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(RectOf(moved->Fields[1]).top, 422);
    EXPECT_TRUE(moved->Fields[2].empty());

    // The weather window moved near the widget's bottom edge docks to it, whether it shows or not.
    weather->MoveTo(310, 343);
    EXPECT_EQ(weather->pos(), QPoint(310, 338));
    weather->hide();
    const auto before = traceLines();
    weather->MoveTo(320, 600);
    EXPECT_EQ(weather->pos(), QPoint(320, 600)) << "a hidden window does not dock";
    const auto after = traceLines();
    EXPECT_EQ(after.first - before.first, 1);
    EXPECT_EQ(after.second - before.second, 1);
    EXPECT_NE(ReadFile(logFile).find("OnWindowPosChanged : pt(320, 600)\r\n"), std::string::npos);

    // Close requests name the window by its id.
    mark = widget->received.size();
    factory->CloseButton()->click();
    const WebMessage* request = widget->WaitFor(WebMessageType::CloseRequested, mark);
    ASSERT_NE(request, nullptr);
    std::int32_t id = 0;
    ASSERT_TRUE(ReadIntField(request->Fields[0], id));
    EXPECT_EQ(id, 2);
}

TEST_F(HostSide, AWindowClosedUnderAScriptDialogGoesAfterIt)
{
    Open(1, WebWindowKind::Page, "", PlacementField({}));
    QPointer<CModelessDlg> page = host.Window(1);
    // A page's alert runs its own loop over the window; the widget closes the window meanwhile.
    QPointer<QMessageBox> box = new QMessageBox(QMessageBox::NoIcon, "page", "alert", QMessageBox::Ok, page);
    QTimer::singleShot(0, [this] { widget->Send(WebMessageType::Close, {IntField(1)}); });
    QTimer::singleShot(10000, [&box] {
        if (box != nullptr) {
            box->accept(); // the test's own way out if the host never closes it
        }
    });
    box->exec();
    EXPECT_EQ(host.WindowCount(), 0u);
    ASSERT_FALSE(page.isNull()) << "deleted while the dialog's loop ran over it";
    EXPECT_FALSE(page->isVisible());
    EXPECT_TRUE(WaitUntil([&] { return page.isNull(); })) << "never deleted";
}

TEST_F(HostSide, WidgetGoneOrUnreadableClosesEverything)
{
    for (bool garbage : {false, true}) {
        SCOPED_TRACE(garbage ? "unreadable frame" : "socket closed");
        if (garbage) {
            // A fresh link for the second case.
            CWebHost second(browsers);
            int secondLost = 0;
            QObject::connect(&second, &CWebHost::LinkLost, [&] { ++secondLost; });
            ASSERT_TRUE(second.Connect(server.fullServerName()));
            ASSERT_TRUE(WaitUntil([this] { return server.hasPendingConnections(); }));
            LinkPeer peer(server.nextPendingConnection());
            peer.Send(WebMessageType::Open,
                      {IntField(5), IntField(0), IntField(0), "", "", PlacementField({})});
            ASSERT_TRUE(WaitUntil([&] { return second.WindowCount() == 1; }));
            const char oversized[] = {'\xFF', '\xFF', '\xFF', '\x00', '\x01'};
            peer.Socket()->write(oversized, sizeof oversized);
            EXPECT_TRUE(WaitUntil([&] { return secondLost == 1; }));
            EXPECT_EQ(second.WindowCount(), 0u);
        } else {
            Open(1, WebWindowKind::Page, "", PlacementField({}));
            widget->Socket()->abort();
            EXPECT_TRUE(WaitUntil([&] { return lost == 1; }));
            EXPECT_EQ(host.WindowCount(), 0u);
        }
    }
}

} // namespace

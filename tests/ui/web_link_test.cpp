// The widget's link and the helper's host, each against a fake of the other over a real local
// socket, and the two together with the real helper program.

#include "log/file_log.h"
#include "support/event_wait.h"
#include "support/sim_process.h"
#include "support/temp_env.h"
#include "ui/windows/weather_dlg.h"
#include "ui/windows/web_host.h"
#include "ui/windows/web_link.h"

#include <QLocalServer>
#include <QMessageBox>
#include <QTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// One end of the link as the other side sees it: decoded messages in, frames out.
class Peer
{
public:
    explicit Peer(QLocalSocket* socket) : m_socket(socket)
    {
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this] {
            const QByteArray data = m_socket->readAll();
            m_reader.Feed(data.constData(), static_cast<std::size_t>(data.size()));
            WebMessage message;
            while (m_reader.Next(message)) {
                received.push_back(message);
            }
        });
    }

    void Send(WebMessageType type, std::vector<std::string> fields)
    {
        const std::string frame = EncodeWebMessage(WebMessage{type, std::move(fields)});
        m_socket->write(frame.data(), static_cast<qint64>(frame.size()));
        m_socket->flush();
    }
    // Waits for the next message of a type; the ones before it stay in the record.
    const WebMessage* WaitFor(WebMessageType type, std::size_t from = 0)
    {
        const WebMessage* found = nullptr;
        WaitUntil([&] {
            for (std::size_t i = from; i < received.size(); ++i) {
                if (received[i].Type == type) {
                    found = &received[i];
                    return true;
                }
            }
            return false;
        });
        return found;
    }
    QLocalSocket* Socket() const { return m_socket; }

    std::vector<WebMessage> received;

private:
    QLocalSocket* m_socket;
    CWebMessageReader m_reader;
};

Rect RectOf(const std::string& field)
{
    Rect rect;
    EXPECT_TRUE(ReadRectField(field, rect));
    return rect;
}

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

// The widget's window as far as the link needs it: where it is, and the close requests it gets.
class Owner : public CWGDialog
{
public:
    Owner() : CWGDialog(102, nullptr) { setGeometry(300, 200, 259, 138); }
    std::vector<std::pair<int, std::intptr_t>> closes;

protected:
    void OnWindowMessage(int message, std::intptr_t wParam, std::intptr_t lParam) override
    {
        if (wParam == 1 && (message == WM_WEBDLG_CLOSED || message == WM_MODELESS_CLOSED)) {
            closes.emplace_back(message, lParam);
        }
    }
};

// --- the helper's host against a fake widget -------------------------------------------------

class HostSide : public ::testing::Test
{
protected:
    HostSide()
    {
        const QString name = QString::fromStdString(env.Path("link.sock"));
        server.listen(name);
        EXPECT_TRUE(host.Connect(name));
        EXPECT_TRUE(WaitUntil([this] { return server.hasPendingConnections(); }));
        widget = std::make_unique<Peer>(server.nextPendingConnection());
        QObject::connect(&host, &CWebHost::LinkLost, [this] { ++lost; });
        widget->Send(WebMessageType::Anchor, {RectField({300, 200, 559, 338})});
    }

    void Open(std::int32_t id, WebWindowKind kind, const std::string& address, const std::string& geometry,
              const std::string& caption = "")
    {
        widget->Send(WebMessageType::Open, {IntField(id), IntField(static_cast<std::int32_t>(kind)), IntField(0),
                                            address, caption, geometry});
        EXPECT_TRUE(WaitUntil([&] { return host.Window(id) != nullptr; })) << id;
    }

    TempEnv env;
    QLocalServer server;
    FakeBrowsers browsers;
    CWebHost host{browsers};
    std::unique_ptr<Peer> widget;
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

TEST_F(HostSide, WeatherAndPlantDockAndTraceEveryMove)
{
    Open(1, WebWindowKind::Weather, "?groupId=G7", RectField({300, 338, 560, 422}));
    Open(2, WebWindowKind::Plant, "http://h/office?userId=kim&groupId=G7", RectField({300, 422, 559, 725}),
         "\xBA\xBB\xBB\xE7");
    auto* weather = dynamic_cast<CDockedPageDlg*>(host.Window(1));
    auto* plant = dynamic_cast<CFactoryDlg*>(host.Window(2));
    ASSERT_NE(weather, nullptr);
    ASSERT_NE(plant, nullptr);
    EXPECT_EQ(browsers.navigated[0], "?groupId=G7");
    EXPECT_EQ(plant->Title(), "\xBA\xBB\xBB\xE7 \xBD\xC3\xB0\xA3\xB4\xEB\xBA\xB0 \xC3\xE2\xC7\xCF\xB7\xAE");
    EXPECT_EQ(weather->Browser()->Widget()->geometry(), QRect(0, 17, 260, 67));
    EXPECT_EQ(plant->Browser()->Widget()->geometry(), QRect(0, 17, 259, 286));

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
    // Plant moved to 5 pixels below the weather window: it docks there, before the widget is tried.
    std::size_t mark = widget->received.size();
    widget->Send(WebMessageType::Move, {IntField(2), RectField({302, 427, 561, 730})});
    ASSERT_TRUE(WaitUntil([&] { return plant->pos() == QPoint(302, 422); })) << plant->pos().y();
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
    plant->CloseButton()->click();
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
            Peer peer(server.nextPendingConnection());
            peer.Send(WebMessageType::Open, {IntField(5), IntField(0), IntField(0), "", "", PlacementField({})});
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

// --- the widget's link against a fake helper ---------------------------------------------------

class LinkSide : public ::testing::Test
{
protected:
    LinkSide()
    {
        owner.show();
        link.SetLauncher([this](const QString& name) -> QProcess* {
            ++launches;
            if (refuseStart) {
                return nullptr;
            }
            // Stands for the helper's process; the fake helper itself is the socket below.
            auto* process = new QProcess;
            process->start(QStringLiteral("sleep"), {QStringLiteral("600")});
            process->waitForStarted();
            processes.push_back(process);
            if (connectHelper) {
                auto* socket = new QLocalSocket(&owner);
                socket->connectToServer(name);
                helper = std::make_unique<Peer>(socket);
            }
            return process;
        });
    }
    ~LinkSide() override
    {
        for (QProcess* process : processes) {
            if (process != nullptr) {
                ::kill(static_cast<pid_t>(process->processId()), SIGKILL);
            }
        }
    }

    std::int32_t OpenedId(std::size_t from = 0)
    {
        const WebMessage* open = helper != nullptr ? helper->WaitFor(WebMessageType::Open, from) : nullptr;
        std::int32_t id = -1;
        if (open != nullptr) {
            ReadIntField(open->Fields[0], id);
        }
        return id;
    }

    TempEnv env;
    Owner owner;
    CWebLink link{&owner};
    std::unique_ptr<Peer> helper;
    std::vector<QPointer<QProcess>> processes;
    int launches = 0;
    bool refuseStart = false;
    bool connectHelper = true;
};

TEST_F(LinkSide, ProxiesCarryTheWidgetsRequestsAndTheHelpersReports)
{
    WindowPlacement remembered;
    remembered.length = WindowPlacement::StoredSize;
    remembered.showCmd = 3;
    remembered.flags = 2;
    remembered.normalPosition = {10, 20, 810, 620};
    std::unique_ptr<IWebWindow> page = link.NewPage(0, "http://h/map?userId=kim&authCode=A", remembered);
    ASSERT_TRUE(page->CreateModeless(&owner, nullptr));
    EXPECT_EQ(page->GetWindowRect().left, 10) << "the remembered place until the helper reports";
    const std::int32_t id = OpenedId();
    ASSERT_GT(id, 0);
    const WebMessage& open = *helper->WaitFor(WebMessageType::Open);
    EXPECT_EQ(open.Fields[3], "http://h/map?userId=kim&authCode=A");
    WindowPlacement sent;
    ASSERT_TRUE(ReadPlacementField(open.Fields[5], sent));
    EXPECT_EQ(sent.showCmd, 3);
    const WebMessage* anchor = helper->WaitFor(WebMessageType::Anchor);
    ASSERT_NE(anchor, nullptr);
    EXPECT_EQ(RectOf(anchor->Fields[0]).left, 300);

    // The widget moving is passed on, so the helper's windows dock to where it is.
    std::size_t mark = helper->received.size();
    owner.move(320, 210);
    anchor = helper->WaitFor(WebMessageType::Anchor, mark);
    ASSERT_NE(anchor, nullptr);
    EXPECT_EQ(RectOf(anchor->Fields[0]).left, 320);

    mark = helper->received.size();
    page->MoveTo(50, 60);
    const WebMessage* move = helper->WaitFor(WebMessageType::Move, mark);
    ASSERT_NE(move, nullptr);
    EXPECT_EQ(RectOf(move->Fields[1]).top, 60);
    EXPECT_EQ(page->GetWindowRect().right, 850) << "the size is kept";

    WindowPlacement reported = remembered;
    reported.showCmd = 1;
    reported.flags = 0;
    reported.normalPosition = {70, 80, 1094, 848};
    helper->Send(WebMessageType::Moved, {IntField(id), RectField({70, 80, 1094, 848}), PlacementField(reported)});
    helper->Send(WebMessageType::Visible, {IntField(id), "0"});
    EXPECT_TRUE(WaitUntil([&] { return !page->Shown; }));
    EXPECT_EQ(page->GetWindowRect().top, 80);
    EXPECT_EQ(page->GetPlacement().showCmd, 1);
    EXPECT_FALSE(page->IsVisible());

    helper->Send(WebMessageType::CloseRequested, {IntField(id)});
    ASSERT_TRUE(WaitUntil([&] { return !owner.closes.empty(); }));
    EXPECT_EQ(owner.closes[0], std::make_pair(int(WM_WEBDLG_CLOSED), reinterpret_cast<std::intptr_t>(page.get())));

    // The last window destroyed lets the helper go: its link closes.
    mark = helper->received.size();
    page->Destroy();
    const WebMessage* close = helper->WaitFor(WebMessageType::Close, mark);
    ASSERT_NE(close, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return helper->Socket()->state() == QLocalSocket::UnconnectedState; }));
    EXPECT_FALSE(link.Connected());
}

TEST_F(LinkSide, HelperKilledMidSessionClosesItsWindowsAndTheNextOpenStartsAnother)
{
    std::unique_ptr<IOwnedWindow> weather = link.NewWeather("?groupId=G7");
    std::unique_ptr<IWebWindow> page = link.NewPage(2, "http://h/vehicles", {});
    const Rect below{300, 338, 560, 422};
    ASSERT_TRUE(weather->CreateModeless(&owner, &below));
    ASSERT_TRUE(page->CreateModeless(&owner, nullptr));
    ASSERT_TRUE(WaitUntil([&] { return helper->received.size() >= 3; }));
    const std::int32_t weatherId = OpenedId();
    helper->Send(WebMessageType::Moved, {IntField(weatherId), RectField({305, 338, 565, 422}), ""});
    ASSERT_TRUE(WaitUntil([&] { return weather->GetWindowRect().left == 305; }));

    ::kill(static_cast<pid_t>(processes[0]->processId()), SIGKILL);
    ASSERT_TRUE(WaitUntil([&] { return owner.closes.size() == 2; }));
    EXPECT_EQ(owner.closes[0], std::make_pair(int(WM_MODELESS_CLOSED), std::intptr_t{103}));
    EXPECT_EQ(owner.closes[1], std::make_pair(int(WM_WEBDLG_CLOSED), reinterpret_cast<std::intptr_t>(page.get())));
    // What the owner remembers is the last the helper reported.
    EXPECT_EQ(weather->GetWindowRect().left, 305);
    EXPECT_TRUE(weather->HasWindow());
    weather->Destroy();
    page->Destroy();

    std::unique_ptr<IWebWindow> again = link.NewPage(2, "http://h/vehicles", {});
    ASSERT_TRUE(again->CreateModeless(&owner, nullptr));
    EXPECT_EQ(link.HelperStarts(), 2);
    EXPECT_GT(OpenedId(), 0);
}

TEST_F(LinkSide, HelperThatCannotStartOrNeverConnects)
{
    refuseStart = true;
    std::unique_ptr<IWebWindow> page = link.NewPage(0, "", {});
    EXPECT_FALSE(page->CreateModeless(&owner, nullptr));
    EXPECT_FALSE(page->HasWindow());

    refuseStart = false;
    connectHelper = false;
    link.SetConnectTimeout(200);
    std::unique_ptr<IWebWindow> second = link.NewPage(0, "", {});
    ASSERT_TRUE(second->CreateModeless(&owner, nullptr));
    EXPECT_TRUE(WaitUntil([&] { return owner.closes.size() == 1; }));
    EXPECT_TRUE(WaitUntil([&] { return link.HelperPids().empty(); }, 15000)) << "the silent helper is not left";
}

} // namespace

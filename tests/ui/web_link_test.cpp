// The widget's end of the link against a fake helper over a real local socket: the proxies carry
// the widget's requests and the helper's reports, and a helper that dies or never comes is noticed.

#include "log/file_log.h"
#include "platform/paths.h"
#include "support/event_wait.h"
#include "support/link_peer.h"
#include "support/message_recorder.h"
#include "support/temp_env.h"
#include "ui/windows/web_link.h"

#include <QFileInfo>
#include <QLocalSocket>
#include <QPointer>
#include <QProcess>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <csignal>

namespace {

// The widget's window as far as the link needs it: where it is, and the close requests it gets.
class Owner : public MessageRecorder
{
public:
    Owner() { setGeometry(300, 200, 259, 138); }
    // The close requests, as (message, lParam).
    std::vector<std::pair<int, std::intptr_t>> Closes() const
    {
        std::vector<std::pair<int, std::intptr_t>> closes;
        for (const auto& [message, wParam, lParam] : posted) {
            if (wParam == 1 && (message == WM_WEBDLG_CLOSED || message == WM_MODELESS_CLOSED)) {
                closes.emplace_back(message, lParam);
            }
        }
        return closes;
    }
};
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
                helper = std::make_unique<LinkPeer>(socket);
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
    std::unique_ptr<LinkPeer> helper;
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
    helper->Send(WebMessageType::Moved,
                 {IntField(id), RectField({70, 80, 1094, 848}), PlacementField(reported)});
    helper->Send(WebMessageType::Visible, {IntField(id), "0"});
    EXPECT_TRUE(WaitUntil([&] { return !page->Shown; }));
    EXPECT_EQ(page->GetWindowRect().top, 80);
    EXPECT_EQ(page->GetPlacement().showCmd, 1);
    EXPECT_FALSE(page->IsVisible());

    helper->Send(WebMessageType::CloseRequested, {IntField(id)});
    ASSERT_TRUE(WaitUntil([&] { return !owner.Closes().empty(); }));
    EXPECT_EQ(owner.Closes()[0],
              std::make_pair(int(WM_WEBDLG_CLOSED), reinterpret_cast<std::intptr_t>(page.get())));

    // The last window destroyed lets the helper go: its link closes.
    mark = helper->received.size();
    page->Destroy();
    const WebMessage* close = helper->WaitFor(WebMessageType::Close, mark);
    ASSERT_NE(close, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return !helper->Connected(); }));
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
    ASSERT_TRUE(WaitUntil([&] { return owner.Closes().size() == 2; }));
    EXPECT_EQ(owner.Closes()[0], std::make_pair(int(WM_MODELESS_CLOSED), std::intptr_t{103}));
    EXPECT_EQ(owner.Closes()[1],
              std::make_pair(int(WM_WEBDLG_CLOSED), reinterpret_cast<std::intptr_t>(page.get())));
    // What the owner remembers is the last the helper reported.
    EXPECT_EQ(weather->GetWindowRect().left, 305);
    // The log says so in a line of the log's one level.
    const std::string log = ReadFile(ProcessLog().FileNameFor(ProcessLog().Now()));
    EXPECT_NE(log.find(" pellamo-web ended; its windows are closed\r\n"), std::string::npos) << log;
    EXPECT_EQ(log.rfind("[7] ", 0), 0u) << log;
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
    EXPECT_TRUE(WaitUntil([&] { return owner.Closes().size() == 1; }));
    EXPECT_TRUE(WaitUntil([&] { return link.HelperPids().empty(); }, 15000))
        << "the silent helper is not left";
}

TEST_F(LinkSide, WithoutAPrivateFolderTheSocketGetsAFolderOfItsOwn)
{
    // No runtime folder, and the private one is a link someone put there: neither is used.
    unsetenv("XDG_RUNTIME_DIR");
    const std::string cache = env.Path("cache/Tolvik/Pellamo");
    ASSERT_TRUE(platform::MakeDirs(cache, 0700));
    ASSERT_EQ(symlink("/tmp", (cache + "/run").c_str()), 0);
    std::string folder;
    unsigned mode = 0;
    {
        CWebLink own(&owner);
        own.SetLauncher([&](const QString& name) -> QProcess* {
            folder = QFileInfo(name).path().toStdString();
            struct stat st
            {
            };
            if (lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
                mode = st.st_mode & 0777;
            }
            return nullptr;
        });
        std::unique_ptr<IWebWindow> page = own.NewPage(0, "", {});
        EXPECT_FALSE(page->CreateModeless(&owner, nullptr));
    }
    EXPECT_EQ(folder.rfind(env.Path("tmp") + "/pellamo-web-", 0), 0u) << folder;
    EXPECT_EQ(mode, 0700u);
    struct stat st
    {
    };
    EXPECT_NE(lstat(folder.c_str(), &st), 0) << "the folder goes with the link";
}

} // namespace

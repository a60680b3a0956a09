#include "browser/web_dlg.h"
#include "resource_ids.h"
#include "support/message_recorder.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Its view goes to the window that hosts it, as a real browser's does.
class FakeBrowser : public IBrowserView
{
public:
    QWidget* Widget() override { return view; }
    void Navigate(const std::string& url) override { navigated.push_back(url); }
    void Stop() override { ++stops; }

    QWidget* view = new QWidget;
    std::vector<std::string> navigated;
    int stops = 0;
};

class PageWindow : public ::testing::Test
{
protected:
    PageWindow()
    {
        const int ids[8] = {154, 150, 151, 152, 153, 157, 156, 155};
        for (int i = 0; i < 8; ++i) {
            frame[i].LoadBitmap(ids[i]);
        }
    }

    std::unique_ptr<CWebDlg> Open(const WindowPlacement& placement = {})
    {
        browsers.push_back(std::make_unique<FakeBrowser>());
        FakeBrowser& browser = *browsers.back();
        auto window =
            std::make_unique<CWebDlg>(0, "http://h/map?userId=kim&authCode=A", placement, frame, &browser);
        window->CreateModeless(&owner, nullptr);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return window;
    }

    FakeBrowser& browser() { return *browsers.back(); }

    CKvBitmap frame[8];
    MessageRecorder owner;
    std::vector<std::unique_ptr<FakeBrowser>> browsers; // outlive the windows, whose views they were
};

} // namespace

TEST_F(PageWindow, LaysOutButtonsAndBrowserInItsFrame)
{
    auto window = Open();
    ASSERT_EQ(window->size(), QSize(1024, 768));
    EXPECT_EQ(window->MinimiseButton()->geometry(), QRect(951, 6, 19, 18));
    EXPECT_EQ(window->MaximiseButton()->geometry(), QRect(973, 6, 19, 18));
    EXPECT_EQ(window->CloseButton()->geometry(), QRect(995, 6, 19, 18));
    EXPECT_EQ(browser().view->geometry(), QRect(7, 30, 1010, 731));
    EXPECT_EQ(browser().navigated, std::vector<std::string>{"http://h/map?userId=kim&authCode=A"});
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(window->pos(), QPoint(screen.left() + (screen.width() - 1024) / 2,
                                    screen.top() + (screen.height() - 768) / 2));
    EXPECT_FALSE(window->mask().contains(QPoint(0, 0))) << "rounded top corners";
    EXPECT_TRUE(window->mask().contains(QPoint(0, 767))) << "square bottom corners";

    window->resize(800, 600);
    EXPECT_EQ(window->CloseButton()->geometry(), QRect(771, 6, 19, 18));
    EXPECT_EQ(browser().view->geometry(), QRect(7, 30, 786, 563));
}

TEST_F(PageWindow, HitTestsTheResizeAreasBeforeTheBand)
{
    auto window = Open();
    struct Row
    {
        QPoint at;
        int answer;
    } rows[] = {
        {{0, 0}, HTTOPLEFT},      {{9, 9}, HTTOPLEFT},          {{1023, 0}, HTTOPRIGHT},
        {{0, 767}, HTBOTTOMLEFT}, {{1023, 767}, HTBOTTOMRIGHT}, {{0, 384}, HTLEFT},
        {{500, 0}, HTTOP},        {{1023, 384}, HTRIGHT},       {{500, 767}, HTBOTTOM},
        {{500, 10}, HTCAPTION},   {{10, 29}, HTCAPTION},        {{500, 30}, HTCLIENT},
        {{1014, 10}, HTRIGHT},    {{1013, 10}, HTCAPTION},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(QString("%1,%2").arg(row.at.x()).arg(row.at.y()).toStdString());
        EXPECT_EQ(window->HitTest(row.at), row.answer);
    }
}

TEST_F(PageWindow, RemembersAndRestoresItsPlacement)
{
    WindowPlacement normal;
    normal.length = 44;
    normal.showCmd = 1;
    normal.normalPosition = {100, 90, 900, 690};
    {
        auto window = Open(normal);
        EXPECT_EQ(window->geometry(), QRect(100, 90, 800, 600));
        EXPECT_FALSE(window->IsMaximised());
        window->OnMaximise();
        EXPECT_TRUE(window->IsMaximised());
        EXPECT_EQ(window->geometry(), QGuiApplication::primaryScreen()->geometry());
        const WindowPlacement saved = window->GetPlacement();
        EXPECT_EQ(saved.length, 44);
        EXPECT_EQ(saved.showCmd, 3);
        EXPECT_EQ(saved.normalPosition.left, 100) << "the normal place survives maximising";
        EXPECT_EQ(saved.normalPosition.bottom, 690);
        window->OnMaximise();
        EXPECT_EQ(window->geometry(), QRect(100, 90, 800, 600));
    }
    WindowPlacement maximised = normal;
    maximised.showCmd = 3;
    auto window = Open(maximised);
    EXPECT_TRUE(window->IsMaximised());
    EXPECT_EQ(window->GetPlacement().normalPosition.right, 900);
}

TEST_F(PageWindow, MinimiseHidesAndCloseAsksTheOwner)
{
    auto window = Open();
    QTest::mouseClick(window->MinimiseButton(), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->Shown);
    window->Shown = true;
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QTest::mouseClick(window->CloseButton(), Qt::LeftButton);
    EXPECT_EQ(browser().stops, 1);
    EXPECT_TRUE(owner.posted.empty()) << "posted";
    QApplication::sendPostedEvents(&owner);
    ASSERT_EQ(owner.posted.size(), 1u);
    EXPECT_EQ(owner.posted[0],
              MessageRecorder::Posted(WM_WEBDLG_CLOSED, 1, reinterpret_cast<std::intptr_t>(window.get())));
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QApplication::sendPostedEvents(&owner);
    EXPECT_EQ(owner.posted.size(), 2u) << "Escape closes too";
}

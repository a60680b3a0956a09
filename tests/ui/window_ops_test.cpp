#include "support/message_recorder.h"
#include "ui/skin/skin_dialog.h"
#include "ui/skin/window_ops.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class Weather : public CModelessDlg
{
public:
    Weather() : CModelessDlg(103, nullptr) { CaptionHeight = 17; }
    int GetTemplateId() const override { return 103; }
};

// A window that docks against a fixed target whenever it has moved, as the skinned windows do.
class Docking : public CWGDialog
{
public:
    Docking() : CWGDialog(104, nullptr) {}
    Rect target{500, 100, 759, 238};
    int changed = 0;

protected:
    void OnWindowPosChanged(const WindowPos& pos) override
    {
        ++changed;
        SnapAfterMove(pos, target);
    }
};

} // namespace

TEST(Snapping, AfterAMove)
{
    const Rect target{100, 100, 359, 238};
    struct Row
    {
        const char* name;
        WindowPos pos;
        bool docked;
        int x, y;
    } rows[] = {
        {"7 right of the right edge", {366, 150, 300, 80}, true, 359, 150},
        {"10 right of the right edge", {369, 150, 300, 80}, false, 369, 150},
        {"9 below the bottom edge", {120, 247, 100, 50}, true, 120, 238},
        {"10 below the bottom edge", {120, 248, 100, 50}, false, 120, 248},
        {"sitting on top within 9", {120, 45, 100, 50}, true, 120, 50},
        {"left of the left edge within 9", {0, 120, 95, 50}, true, 5, 120},
        {"wider than the target, just below", {80, 244, 320, 50}, true, 80, 238},
        {"near a corner: both axes", {355, 232, 100, 50}, true, 359, 238},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WindowPos pos = row.pos;
        EXPECT_EQ(SnapAfterMove(pos, target), row.docked);
        EXPECT_EQ(pos.x, row.x);
        EXPECT_EQ(pos.y, row.y);
    }
}

TEST(Snapping, WhileMovingOnlyEdgesWithinTheSpanCount)
{
    const Rect target{100, 100, 359, 238};
    WindowPos wide{80, 244, 320, 50}; // both sides beyond the target by more than 9
    EXPECT_FALSE(SnapWhileMoving(wide, target));
    EXPECT_EQ(wide.y, 244);
    WindowPos beside{366, 150, 300, 80};
    EXPECT_TRUE(SnapWhileMoving(beside, target));
    EXPECT_EQ(beside.x, 359);
    WindowPos far{400, 150, 300, 80};
    EXPECT_FALSE(SnapWhileMoving(far, target));
}

TEST(SkinDialog, TheDragBandEndsAtCaptionHeight)
{
    Weather window;
    EXPECT_EQ(window.HitTest(QPoint(5, 16)), HTCAPTION);
    EXPECT_EQ(window.HitTest(QPoint(5, 17)), HTCLIENT);
    window.CaptionHeight = 0;
    EXPECT_EQ(window.HitTest(QPoint(5, 0)), HTCLIENT);
}

TEST(SkinDialog, EscapeAsksTheOwnerAndEnterDoesNothing)
{
    MessageRecorder owner;
    Weather window;
    const Rect place{10, 20, 270, 104};
    ASSERT_TRUE(window.CreateModeless(&owner, &place));
    EXPECT_EQ(window.geometry(), QRect(10, 20, 260, 84));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::keyClick(&window, Qt::Key_Return);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(owner.posted.empty()) << "posted, not sent";
    EXPECT_TRUE(window.isVisible()) << "the window waits for its owner";
    QApplication::sendPostedEvents(&owner);
    EXPECT_EQ(owner.posted, (std::vector<MessageRecorder::Posted>{{WM_MODELESS_CLOSED, 1, 103}}));
    EXPECT_TRUE(window.isVisible());
}

TEST(SkinDialog, DockingFromThePositionHookEndsAfterOneMove)
{
    Docking window;
    window.resize(200, 100);
    window.MoveWindow(290, 120, 200, 100); // right edge 490: 10 from the target, no dock
    EXPECT_EQ(window.pos(), QPoint(290, 120));
    window.changed = 0;
    window.MoveWindow(295, 120, 200, 100); // 5 away: docks to 300
    EXPECT_EQ(window.pos(), QPoint(300, 120));
    EXPECT_EQ(window.changed, 2) << "the move and the dock; a dock to where it already is stops";
}

TEST(ColourKey, OnlyTheExactGreyIsCutOut)
{
    QImage picture(30, 10, QImage::Format_RGB32);
    picture.fill(qRgb(10, 20, 30));
    for (int y = 0; y < 10; ++y) {
        picture.setPixel(0, y, qRgb(128, 128, 128));
        picture.setPixel(1, y, qRgb(128, 128, 129));
    }
    QWidget window;
    window.resize(30, 10);
    ASSERT_TRUE(ApplyColourKey(&window, picture));
    EXPECT_FALSE(window.mask().contains(QPoint(0, 5)));
    EXPECT_TRUE(window.mask().contains(QPoint(1, 5)));
    EXPECT_TRUE(window.mask().contains(QPoint(20, 5)));
    EXPECT_FALSE(ApplyColourKey(&window, QImage()));
}

TEST(RoundedRegion, CutsTheCornersOnly)
{
    QWidget window;
    window.resize(260, 84);
    ApplyRoundedRegion(&window);
    EXPECT_FALSE(window.mask().contains(QPoint(0, 0)));
    EXPECT_FALSE(window.mask().contains(QPoint(259, 83)));
    EXPECT_TRUE(window.mask().contains(QPoint(5, 0)) || window.mask().contains(QPoint(6, 0)));
    EXPECT_TRUE(window.mask().contains(QPoint(130, 42)));
    EXPECT_TRUE(window.mask().contains(QPoint(0, 42)));
}

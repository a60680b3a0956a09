#include "resource_ids.h"
#include "ui/skin/draw_kit.h"
#include "ui/skin/img_button.h"

#include <QDirIterator>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

constexpr QRgb KeyGrey = 0xFF808080;

QImage Strip(int width, int rows, int rowHeight, int totalHeight = 0)
{
    // Each row one flat colour: row n is (n * 40, 0, 0); padding below the rows is black.
    QImage image(width, std::max(totalHeight, rows * rowHeight), QImage::Format_RGB32);
    image.fill(0xFF000000);
    for (int r = 0; r < rows; ++r) {
        for (int y = 0; y < rowHeight; ++y) {
            for (int x = 0; x < width; ++x) {
                image.setPixel(x, r * rowHeight + y, qRgb(40 * (r + 1), 0, 0));
            }
        }
    }
    return image;
}

int RowOf(const QImage& image)
{
    return image.isNull() ? 0 : qRed(image.pixel(0, 0)) / 40;
}

CKvBitmap Solid(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    CKvBitmap bitmap;
    bitmap.SetImage(image);
    return bitmap;
}

} // namespace

TEST(SkinArt, EveryBitmapHasItsSizeAndItsKeyGrey)
{
    struct Row
    {
        int id;
        int w;
        int h;
        bool keyCorners;
    } rows[] = {
        {130, 15, 48, false},  {131, 38, 48, false},  {132, 30, 48, false},  {133, 30, 48, false},
        {134, 25, 54, false},  {135, 24, 54, false},  {136, 25, 54, false},  {137, 25, 54, false},
        {138, 24, 54, false},  {142, 259, 138, true}, {144, 259, 17, false}, {145, 47, 132, false},
        {146, 259, 105, true}, {147, 13, 36, false},  {148, 259, 19, false}, {149, 13, 36, false},
        {150, 195, 30, false}, {151, 7, 30, false},   {152, 7, 165, false},  {153, 7, 7, false},
        {154, 119, 30, false}, {155, 7, 153, false},  {156, 7, 7, false},    {157, 170, 7, false},
        {158, 19, 54, false},  {159, 19, 54, false},  {160, 19, 54, false},  {172, 16, 39, false},
        {175, 13, 24, false},  {176, 13, 24, false},  {178, 32, 48, false},  {179, 32, 48, false},
        {181, 353, 62, false}, {182, 353, 62, false}, {183, 32, 51, false},  {184, 32, 51, false},
        {185, 32, 51, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        CKvBitmap bitmap;
        ASSERT_TRUE(bitmap.LoadBitmap(row.id));
        EXPECT_EQ(bitmap.Width(), row.w);
        EXPECT_EQ(bitmap.Height(), row.h);
        const QImage& image = bitmap.Image();
        if (row.keyCorners) {
            for (const QPoint corner :
                 {QPoint(0, 0), QPoint(row.w - 1, 0), QPoint(0, row.h - 1), QPoint(row.w - 1, row.h - 1)}) {
                EXPECT_EQ(image.pixel(corner), KeyGrey);
            }
            EXPECT_NE(image.pixel(row.w / 2, row.h / 2), KeyGrey) << "inside the outline is opaque";
            // Nothing inside may be the key by accident: count key pixels away from the corners.
            int stray = 0;
            for (int y = 8; y < row.h - 8; ++y) {
                for (int x = 8; x < row.w - 8; ++x) {
                    stray += image.pixel(x, y) == KeyGrey ? 1 : 0;
                }
            }
            EXPECT_EQ(stray, 0);
        }
    }
    EXPECT_EQ(CKvBitmap().LoadBitmap(999), false);
    CKvBitmap topLeft, topRight;
    ASSERT_TRUE(topLeft.LoadBitmap(res::FrameTopLeft));
    ASSERT_TRUE(topRight.LoadBitmap(res::FrameTopRight));
    EXPECT_EQ(topLeft.Image().pixel(0, 0), KeyGrey);
    EXPECT_EQ(topRight.Image().pixel(6, 0), KeyGrey);
    EXPECT_FALSE(QImage(":/skin/171.png").isNull());
    EXPECT_EQ(QImage(":/skin/173.png").size(), QSize(16, 16));
}

TEST(DrawKit, FrameTilesItsEdgesAndCutsTheLastTile)
{
    // The page window's pieces over 1024 x 768: the top edge runs from 119 to 1017 in four whole
    // tiles and a last one of 118 pixels, the left edge from 30 to 761.
    CKvBitmap pieces[8];
    const int ids[8] = {154, 150, 151, 156, 157, 153, 155, 152};
    for (int i = 0; i < 8; ++i) {
        ASSERT_TRUE(pieces[i].LoadBitmap(ids[i]));
    }
    QImage canvas(1024, 768, QImage::Format_RGB32);
    canvas.fill(0xFF00FF00);
    {
        QPainter p(&canvas);
        DrawFrame(p, QRect(0, 0, 1024, 768), &pieces[0], &pieces[1], &pieces[2], &pieces[3], &pieces[4],
                  &pieces[5], &pieces[6], &pieces[7]);
    }
    const QImage& top = pieces[1].Image();
    EXPECT_EQ(canvas.pixel(119, 5), top.pixel(0, 5));
    EXPECT_EQ(canvas.pixel(119 + 4 * 195, 5), top.pixel(0, 5)) << "fifth tile starts at 899";
    EXPECT_EQ(canvas.pixel(1016, 5), top.pixel(117, 5)) << "the last tile is cut to 118 pixels";
    EXPECT_EQ(canvas.pixel(1017, 0), pieces[2].Image().pixel(0, 0)) << "then the top-right corner";
    EXPECT_EQ(canvas.pixel(0, 30), pieces[6].Image().pixel(0, 0)) << "the left edge starts under the corner";
    EXPECT_EQ(canvas.pixel(0, 760), pieces[6].Image().pixel(0, (760 - 30) % 153));
    EXPECT_EQ(canvas.pixel(0, 761), pieces[3].Image().pixel(0, 0)) << "bottom-left corner at 761";
    EXPECT_EQ(canvas.pixel(512, 384), 0xFF00FF00u) << "nothing inside";
}

TEST(DrawKit, CopiesArePlainAndWhole)
{
    const CKvBitmap red = Solid(3, 2, 0xFFFF0000);
    QImage canvas(6, 6, QImage::Format_RGB32);
    canvas.fill(0xFF0000FF);
    {
        QPainter p(&canvas);
        p.setOpacity(0.5); // a plain copy ignores what the painter would blend
        EXPECT_TRUE(DrawBitmap(p, red, red.Width(), red.Height()));
        DrawBitmapAt(red, p, 3, 4, 3, 2);
        EXPECT_FALSE(DrawBitmap(p, CKvBitmap(), 3, 3));
    }
    EXPECT_EQ(canvas.pixel(2, 1), 0xFFFF0000u);
    EXPECT_EQ(canvas.pixel(3, 1), 0xFF0000FFu);
    EXPECT_EQ(canvas.pixel(5, 5), 0xFFFF0000u);
    EXPECT_EQ(canvas.pixel(2, 4), 0xFF0000FFu);
}

TEST(DrawKit, FontHeightsFollowTheResolution)
{
    struct Row
    {
        int points;
        int dpi;
        int height;
    } rows[] = {{10, 96, -13}, {9, 96, -12}, {27, 96, -36}, {27, 120, -45}, {10, 120, -17}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.points * 1000 + row.dpi);
        EXPECT_EQ(FontHeightForPoints(row.points, row.dpi), row.height);
    }
    EXPECT_EQ(RGB(255, 126, 1), 0x00017EFFu);
    EXPECT_EQ(ToQColor(RGB(64, 109, 171)), QColor(64, 109, 171));
}

TEST(DrawKit, TextIsPlacedAndClippedToItsRectangle)
{
    CKvFont font;
    font.Desc.FaceName = "Liberation Sans";
    font.Desc.Height = FontHeightForPoints(10, 96);
    font.Desc.Weight = 700;
    font.TextColor = RGB(255, 0, 0);
    QImage canvas(120, 20, QImage::Format_RGB32);
    canvas.fill(0xFFFFFFFF);
    {
        QPainter p(&canvas);
        p.setPen(Qt::blue);
        font.Draw(p, QStringLiteral("1234567890123"), QRect(40, 2, 54, 16),
                  DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
        EXPECT_EQ(p.pen().color(), QColor(Qt::blue)) << "the painter's colour comes back";
    }
    int inside = 0;
    int outside = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 120; ++x) {
            const bool inked = qRed(canvas.pixel(x, y)) > qBlue(canvas.pixel(x, y)) + 40;
            (x >= 40 && x < 94 && y >= 2 && y < 18 ? inside : outside) += inked ? 1 : 0;
        }
    }
    EXPECT_GT(inside, 20);
    EXPECT_EQ(outside, 0) << "a text wider than its rectangle is clipped to it";
    EXPECT_EQ(AlignmentForFormat(0x25), int(Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine));
    EXPECT_EQ(AlignmentForFormat(0x26), int(Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine));
    EXPECT_EQ(AlignmentForFormat(0x24), int(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine));
}

TEST(DrawKit, OffScreenDrawingReachesTheTargetInOneCopy)
{
    QImage target(20, 20, QImage::Format_RGB32);
    target.fill(0xFF000000);
    {
        QPainter p(&target);
        {
            CKvMemDC off(&p, QRect(5, 5, 10, 10));
            off.Painter().fillRect(QRect(5, 5, 10, 10), QColor(0, 255, 0));
            off.Painter().fillRect(QRect(7, 7, 2, 2), QColor(255, 0, 0)); // target coordinates
            EXPECT_EQ(target.pixel(7, 7), 0xFF000000u) << "nothing reaches the target before the end";
        }
    }
    EXPECT_EQ(target.pixel(7, 7), 0xFFFF0000u);
    EXPECT_EQ(target.pixel(14, 14), 0xFF00FF00u);
    EXPECT_EQ(target.pixel(4, 4), 0xFF000000u);
}

TEST(ImgButton, CutsStripsByTheirFlags)
{
    // A 19 x 54 strip in every case; with flags 7 its 54 rows give four images of 13 and two unused rows.
    struct Row
    {
        const char* name;
        int stripRows;
        int flags;
        int imageHeight;
        int normal, hover, pressed, disabled; // strip row shown, 0 = empty
    } rows[] = {
        {"flags 3", 3, 3, 18, 1, 2, 3, 0},
        {"flags 7", 4, 7, 13, 1, 2, 3, 4},
        {"flags 2: the second row is the pressed image", 2, 2, 27, 1, 0, 2, 0},
        {"flags 0", 1, 0, 54, 1, 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CKvImgButton button;
        ASSERT_TRUE(button.LoadImages(Strip(19, row.stripRows, 54 / row.stripRows, 54), row.flags));
        EXPECT_EQ(button.ImageWidth(), 19);
        EXPECT_EQ(button.ImageHeight(), row.imageHeight);
        EXPECT_EQ(RowOf(button.Image(CKvImgButton::Normal)), row.normal);
        EXPECT_EQ(RowOf(button.Image(CKvImgButton::Hovered)), row.hover);
        EXPECT_EQ(RowOf(button.Image(CKvImgButton::Down)), row.pressed);
        EXPECT_EQ(RowOf(button.Image(CKvImgButton::Disabled)), row.disabled);
        EXPECT_EQ(button.StripFlags(), row.flags);
    }
    CKvImgButton button;
    ASSERT_TRUE(button.LoadImages(res::WebCloseButton, 3));
    EXPECT_EQ(button.ImageHeight(), 18);
    EXPECT_FALSE(button.LoadImages(999, 3));
    EXPECT_EQ(button.ImageHeight(), 18) << "a strip that cannot be loaded keeps the images";
}

class ButtonStates : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(100, 60);
        button = new CKvImgButton(&window);
        ASSERT_TRUE(button->LoadImages(Strip(20, 3, 10), 3));
        button->setGeometry(10, 10, button->ImageWidth(), button->ImageHeight());
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QWidget window;
    CKvImgButton* button = nullptr;
};

TEST_F(ButtonStates, FollowTheMouseAndTheFocus)
{
    enum Action
    {
        Move,
        Press,
        Release,
        LoseFocus,
        Disable
    };
    struct Step
    {
        Action action;
        QPoint at;
        int state; // after the step
    };
    const QPoint in(5, 5), in2(6, 6), out(40, 5);
    const int N = CKvImgButton::Normal, H = CKvImgButton::Hovered, D = CKvImgButton::Down,
              X = CKvImgButton::Disabled;
    struct Row
    {
        const char* name;
        std::vector<Step> steps;
        int clicks;
    } rows[] = {
        {"hover, then leave", {{Move, in, H}, {Move, out, N}}, 0},
        {"press, off, back on, released outside",
         {{Move, in, H}, {Press, in, D}, {Move, out, N}, {Move, in2, D}, {Move, out, N}, {Release, out, N}},
         0},
        {"a click", {{Move, in, H}, {Press, in, D}, {Release, in, H}}, 1},
        {"focus lost while pressed", {{Move, in, H}, {Press, in, D}, {LoseFocus, in, N}}, 0},
        {"disabled", {{Move, in, H}, {Disable, in, X}}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        QSignalSpy clicks(button, &QAbstractButton::clicked);
        bool down = false;
        for (std::size_t i = 0; i < row.steps.size(); ++i) {
            SCOPED_TRACE(i);
            const Step& step = row.steps[i];
            switch (step.action) {
            case Move: {
                QMouseEvent move(QEvent::MouseMove, step.at, button->mapToGlobal(step.at), Qt::NoButton,
                                 down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(button, &move);
                break;
            }
            case Press:
                down = true;
                QTest::mousePress(button, Qt::LeftButton, Qt::NoModifier, step.at);
                break;
            case Release:
                down = false;
                QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, step.at);
                break;
            case LoseFocus: {
                QFocusEvent lost(QEvent::FocusOut, Qt::OtherFocusReason);
                QApplication::sendEvent(button, &lost);
                break;
            }
            case Disable:
                button->setEnabled(false);
                break;
            }
            EXPECT_EQ(button->State(), step.state);
        }
        EXPECT_EQ(clicks.count(), row.clicks);
        if (!down) {
            EXPECT_FALSE(button->IsCaptured());
            EXPECT_NE(QWidget::mouseGrabber(), button) << "no capture left behind";
        }
        delete button;
    }
}

TEST_F(ButtonStates, ADisabledButtonDrawsItsDisabledOrNormalImage)
{
    button->setEnabled(false);
    EXPECT_EQ(button->State(), CKvImgButton::Disabled);
    QImage shot = button->grab().toImage();
    EXPECT_EQ(RowOf(shot), 1) << "no disabled row: the normal image";
    ASSERT_TRUE(button->LoadImages(Strip(20, 4, 10), 7));
    button->update();
    shot = button->grab().toImage();
    EXPECT_EQ(RowOf(shot), 4);
}

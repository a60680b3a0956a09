// skin-art: draws the widget's skin bitmaps and icons and writes them as <id>.bmp / <id>.png into a
// folder. The committed files in resources/ come from this program (scripts/make-skin.sh); change the
// art here, run it, and commit both.
//
// One calm palette: a deep slate-blue title and frame, light blue-grey panels, white reading areas.
// Shapes that meet the key grey RGB(128,128,128) are drawn without smoothing, so every pixel outside an
// outline is exactly the key and every pixel inside is opaque; text is smoothed on solid ground.

#include <QColor>
#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <functional>

namespace {

const QColor Key(128, 128, 128);
const QColor TitleTop(44, 84, 136);
const QColor TitleBottom(28, 56, 96);
const QColor Panel(238, 243, 249);
const QColor PanelLine(196, 208, 224);
const QColor Ink(31, 58, 96);
const QColor White(255, 255, 255);
const QColor Planned(0, 146, 156), Ordered(9, 161, 2), Shipped(255, 102, 0), Remaining(47, 69, 241);

QString g_out;

QFont Face(int pixelSize, bool bold = true)
{
    QFont font(QStringLiteral("NanumGothic"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

QImage Canvas(int w, int h, const QColor& fill)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

void Save(const QImage& image, int id, bool indexed = false)
{
    const QString path = g_out + QStringLiteral("/%1.bmp").arg(id);
    QImage out = indexed ? image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither)
                         : image.convertToFormat(QImage::Format_RGB888);
    if (indexed) {
        out.setColorCount(256); // a full palette keeps the file at 8 bits per pixel
    }
    if (!out.save(path, "BMP")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    }
}

// A filled rounded rectangle with hard edges: no pixel blends with what lies outside.
void HardRoundRect(QPainter& p, const QRect& r, int radius, const QBrush& fill)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    QPainterPath path;
    path.addRoundedRect(QRectF(r), radius, radius);
    p.drawPath(path);
    p.restore();
}

void SoftRoundRect(QPainter& p, const QRectF& r, qreal radius, const QBrush& fill,
                   const QColor& line = QColor())
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(line.isValid() ? QPen(line, 1) : QPen(Qt::NoPen));
    p.setBrush(fill);
    p.drawRoundedRect(r, radius, radius);
    p.restore();
}

QLinearGradient TitleGradient(int top, int bottom)
{
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, TitleTop);
    g.setColorAt(1, TitleBottom);
    return g;
}

void Text(QPainter& p, const QRect& r, const QString& text, const QFont& font, const QColor& colour,
          int flags = Qt::AlignCenter)
{
    p.save();
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(r, flags, text);
    p.restore();
}

void ProductName(QPainter& p, int x, int bandHeight, int size = 13)
{
    // The mark: three rising bars, the day's shipments filling up.
    const int base = bandHeight / 2 + 5;
    const QColor bars[] = {QColor(120, 200, 210), QColor(150, 215, 140), QColor(255, 170, 90)};
    for (int i = 0; i < 3; ++i) {
        const int h = 4 + 3 * i;
        p.fillRect(x + i * 4, base - h, 3, h, bars[i]);
    }
    Text(p, QRect(x + 15, 0, 120, bandHeight), QStringLiteral("Pellamo"), Face(size), White,
         Qt::AlignLeft | Qt::AlignVCenter);
}

// Three stacked state images: normal, hover, pressed.
using StateDraw = std::function<void(QPainter&, const QRect&, int state)>;

void Strip(int id, int w, int h, const StateDraw& draw, const QColor& ground)
{
    const int row = h / 3;
    QImage image = Canvas(w, h, ground);
    QPainter p(&image);
    for (int state = 0; state < 3; ++state) {
        draw(p, QRect(0, state * row, w, row), state);
    }
    p.end();
    Save(image, id);
}

StateDraw Pill(const QString& label, const QColor (&fills)[3], const QColor& ink, int fontSize,
               const QColor& ground)
{
    return [=](QPainter& p, const QRect& r, int state) {
        p.fillRect(r, ground);
        const QRectF shape = QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
        SoftRoundRect(p, shape, 3, fills[state], fills[state].darker(125));
        Text(p, r.translated(0, state == 2 ? 1 : 0), label, Face(fontSize), ink);
    };
}

StateDraw Glyph(const std::function<void(QPainter&, const QRect&)>& glyph, const QColor (&fills)[3],
                const QColor& ink, const QColor& ground, int radius = 2)
{
    return [=](QPainter& p, const QRect& r, int state) {
        p.fillRect(r, ground);
        SoftRoundRect(p, QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), radius, fills[state]);
        p.save();
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap));
        glyph(p, r.translated(0, state == 2 ? 1 : 0));
        p.restore();
    };
}

void Cross(QPainter& p, const QRect& r)
{
    const QRectF c =
        QRectF(r).adjusted(r.width() * 0.3, r.height() * 0.28, -r.width() * 0.3, -r.height() * 0.28);
    p.drawLine(c.topLeft(), c.bottomRight());
    p.drawLine(c.topRight(), c.bottomLeft());
}

void Dash(QPainter& p, const QRect& r)
{
    const qreal y = r.center().y() + 0.5;
    p.drawLine(QPointF(r.left() + r.width() * 0.28, y), QPointF(r.right() - r.width() * 0.28 + 1, y));
}

void Box(QPainter& p, const QRect& r)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(p.pen().color(), 1));
    const QRect b =
        r.adjusted(r.width() / 4 + 1, r.height() / 4 + 1, -r.width() / 4 - 1, -r.height() / 4 - 1);
    p.drawRect(b);
    p.drawLine(b.left(), b.top() + 1, b.right(), b.top() + 1);
}

const QColor TitleButtons[3] = {QColor(60, 100, 152), QColor(86, 130, 186), QColor(22, 44, 76)};
const QColor PageButtons[3] = {QColor(228, 236, 247), QColor(206, 224, 248), QColor(172, 198, 232)};
const QColor CloseButtons[3] = {QColor(60, 100, 152), QColor(214, 84, 64), QColor(160, 52, 40)};

void MainBackground()
{
    QImage image = Canvas(259, 138, Key);
    QPainter p(&image);
    HardRoundRect(p, QRect(0, 0, 259, 138), 7, Panel);
    // Title band and bottom band, clipped to the outline by drawing inside the same rounded shape.
    QPainterPath outline;
    outline.addRoundedRect(QRectF(0, 0, 259, 138), 7, 7);
    p.setClipPath(outline);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(0, 0, 259, 23, TitleGradient(0, 23));
    p.fillRect(0, 118, 259, 20, TitleGradient(118, 138));
    p.setClipping(false);
    ProductName(p, 8, 23);

    const struct
    {
        int top;
        const char* label;
        QColor colour;
    } rows[] = {{32, "예정", Planned}, {52, "주문", Ordered}, {72, "출하", Shipped}, {92, "잔량", Remaining}};
    for (const auto& row : rows) {
        SoftRoundRect(p, QRectF(6.5, row.top + 0.5, 116, 18), 4, White, row.colour.lighter(150));
        SoftRoundRect(p, QRectF(7.5, row.top + 1.5, 32, 16), 3, row.colour);
        Text(p, QRect(7, row.top + 1, 33, 17), QString::fromUtf8(row.label), Face(11), White);
        Text(p, QRect(97, row.top, 24, 19), QStringLiteral("m³"), Face(10, false), row.colour);
    }
    // The reading area for the date and the clock, and the strip under the page buttons.
    SoftRoundRect(p, QRectF(126.5, 27.5, 128, 62), 5, White, PanelLine);
    SoftRoundRect(p, QRectF(124.5, 92.5, 132, 22), 4, QColor(226, 233, 243));
    // Markers in front of the three counts.
    const QColor markers[] = {QColor(120, 200, 210), QColor(150, 215, 140), QColor(255, 170, 90)};
    p.setRenderHint(QPainter::Antialiasing, true);
    const int xs[] = {12, 92, 180};
    for (int i = 0; i < 3; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(markers[i]);
        p.drawEllipse(QPointF(xs[i] + 0.5, 128.5), 2.5, 2.5);
    }
    p.end();
    Save(image, 142);
}

void LoginBackground()
{
    QImage image = Canvas(259, 105, Key);
    QPainter p(&image);
    HardRoundRect(p, QRect(0, 0, 259, 105), 7, Panel);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(0, 0, 259, 105), 7, 7);
    p.setClipPath(outline);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(0, 0, 259, 23, TitleGradient(0, 23));
    p.setClipping(false);
    ProductName(p, 8, 23);
    Text(p, QRect(100, 0, 100, 23), QString::fromUtf8("로그인"), Face(11, false), QColor(200, 215, 235),
         Qt::AlignLeft | Qt::AlignVCenter);
    Text(p, QRect(14, 32, 64, 17), QString::fromUtf8("아이디"), Face(11), Ink,
         Qt::AlignLeft | Qt::AlignVCenter);
    Text(p, QRect(14, 54, 64, 18), QString::fromUtf8("비밀번호"), Face(11), Ink,
         Qt::AlignLeft | Qt::AlignVCenter);
    SoftRoundRect(p, QRectF(79.5, 31.5, 102, 18), 2, White, PanelLine);
    SoftRoundRect(p, QRectF(79.5, 53.5, 102, 19), 2, White, PanelLine);
    // Painted check boxes; the real ones lie over them.
    for (int x : {79, 163}) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(PanelLine.darker(115));
        p.setBrush(White);
        p.drawRect(x, 79, 12, 12);
    }
    Text(p, QRect(95, 77, 66, 17), QString::fromUtf8("아이디 저장"), Face(11, false), Ink,
         Qt::AlignLeft | Qt::AlignVCenter);
    Text(p, QRect(179, 77, 76, 17), QString::fromUtf8("자동 로그인"), Face(11, false), Ink,
         Qt::AlignLeft | Qt::AlignVCenter);
    p.end();
    Save(image, 146);
}

void TitleBar(int id, int height, const QString& title)
{
    QImage image = Canvas(259, height, TitleBottom);
    QPainter p(&image);
    p.fillRect(0, 0, 259, height, TitleGradient(0, height));
    if (!title.isEmpty()) {
        Text(p, QRect(8, 0, 200, height), title, Face(11), White, Qt::AlignLeft | Qt::AlignVCenter);
    }
    p.end();
    Save(image, id);
}

void MiniBarBackground(int id, const QString& brand)
{
    QImage image = Canvas(353, 62, Panel);
    QPainter p(&image);
    p.fillRect(0, 0, 353, 10, QColor(214, 222, 234)); // outside the shape but under the tabs
    p.fillRect(0, 10, 353, 26, TitleGradient(10, 36));
    if (brand.isEmpty()) {
        p.translate(0, 10);
        ProductName(p, 10, 26, 14);
        p.translate(0, -10);
    } else {
        Text(p, QRect(10, 10, 90, 26), brand, Face(14), White, Qt::AlignLeft | Qt::AlignVCenter);
    }
    SoftRoundRect(p, QRectF(269.5, 16.5, 76, 18), 4, White);
    p.setPen(PanelLine);
    p.drawLine(12, 37, 340, 37);
    p.end();
    Save(image, id);
}

void FramePieces()
{
    auto frameColumn = [](QPainter& p, int x0, int w, int h) {
        p.fillRect(x0, 0, w, h, TitleBottom);
        p.fillRect(x0 + (x0 == 0 ? w - 1 : 0), 0, 1, h, QColor(70, 108, 160));
    };
    // Top edge tile and the two top corners: the title band of the page windows.
    QImage top = Canvas(195, 30, TitleBottom);
    {
        QPainter p(&top);
        p.fillRect(0, 0, 195, 30, TitleGradient(0, 30));
        p.fillRect(0, 29, 195, 1, QColor(70, 108, 160));
    }
    Save(top, 150);

    QImage topLeft = Canvas(119, 30, Key);
    {
        QPainter p(&topLeft);
        QPainterPath clip;
        clip.addRoundedRect(QRectF(0, 0, 119 + 20, 30 + 20), 7, 7);
        p.setClipPath(clip);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(0, 0, 119, 30, TitleGradient(0, 30));
        p.setClipping(false);
        p.fillRect(6, 29, 113, 1, QColor(70, 108, 160));
        ProductName(p, 12, 30, 14);
    }
    Save(topLeft, 154);

    QImage topRight = Canvas(7, 30, Key);
    {
        QPainter p(&topRight);
        QPainterPath clip;
        clip.addRoundedRect(QRectF(-20, 0, 27, 50), 7, 7);
        p.setClipPath(clip);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(0, 0, 7, 30, TitleGradient(0, 30));
        p.setClipping(false);
        p.fillRect(0, 29, 1, 1, QColor(70, 108, 160));
    }
    Save(topRight, 151);

    QImage right = Canvas(7, 165, TitleBottom);
    {
        QPainter p(&right);
        frameColumn(p, 0, 7, 165);
    }
    Save(right, 152);
    QImage left = Canvas(7, 153, TitleBottom);
    {
        QPainter p(&left);
        p.fillRect(0, 0, 7, 153, TitleBottom);
        p.fillRect(6, 0, 1, 153, QColor(70, 108, 160));
    }
    Save(left, 155);
    QImage bottom = Canvas(170, 7, TitleBottom);
    {
        QPainter p(&bottom);
        p.fillRect(0, 0, 170, 1, QColor(70, 108, 160));
    }
    Save(bottom, 157);
    QImage bottomRight = Canvas(7, 7, TitleBottom);
    {
        QPainter p(&bottomRight);
        p.fillRect(0, 0, 1, 1, QColor(70, 108, 160));
    }
    Save(bottomRight, 153);
    QImage bottomLeft = Canvas(7, 7, TitleBottom);
    {
        QPainter p(&bottomLeft);
        p.fillRect(6, 0, 1, 1, QColor(70, 108, 160));
    }
    Save(bottomLeft, 156, true);
}

QImage Icon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    const qreal s = size / 16.0;
    p.setPen(Qt::NoPen);
    p.setBrush(TitleGradient(0, size));
    p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), 3 * s, 3 * s);
    const QColor bars[] = {QColor(120, 200, 210), QColor(150, 215, 140), QColor(255, 170, 90)};
    for (int i = 0; i < 3; ++i) {
        const qreal h = (4 + 3 * i) * s;
        p.setBrush(bars[i]);
        p.drawRect(QRectF((3 + i * 3.6) * s, 13 * s - h, 2.6 * s, h));
    }
    p.end();
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: skin-art OUTPUT_FOLDER\n");
        return 2;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_out);

    MainBackground();
    LoginBackground();
    TitleBar(144, 17, QString::fromUtf8("날씨정보"));
    TitleBar(148, 19, QString());
    MiniBarBackground(182, QString());
    MiniBarBackground(181, QStringLiteral("Tolvik"));
    FramePieces();

    // Buttons on the title bands.
    Strip(130, 15, 48, Glyph(Cross, CloseButtons, White, TitleBottom), TitleBottom);
    Strip(131, 38, 48, Pill(QString::fromUtf8("사업소"), TitleButtons, White, 10, TitleBottom), TitleBottom);
    Strip(132, 30, 48, Pill(QString::fromUtf8("설정"), TitleButtons, White, 10, TitleBottom), TitleBottom);
    Strip(133, 30, 48, Pill(QString::fromUtf8("날씨"), TitleButtons, White, 10, TitleBottom), TitleBottom);
    // Page buttons under the clock.
    const QColor strip(226, 233, 243);
    Strip(134, 25, 54, Pill(QString::fromUtf8("차량"), PageButtons, Ink, 10, strip), strip);
    Strip(135, 24, 54, Pill(QString::fromUtf8("지도"), PageButtons, Ink, 10, strip), strip);
    Strip(136, 25, 54, Pill(QString::fromUtf8("출하"), PageButtons, Ink, 10, strip), strip);
    Strip(137, 25, 54, Pill(QString::fromUtf8("현장"), PageButtons, Ink, 10, strip), strip);
    Strip(138, 24, 54, Pill(QStringLiteral("SMS"), PageButtons, Ink, 9, strip), strip);
    // Login window.
    const QColor loginFills[3] = {QColor(44, 84, 136), QColor(64, 110, 170), QColor(24, 48, 84)};
    Strip(145, 47, 132, Pill(QString::fromUtf8("로그인"), loginFills, White, 12, Panel), Panel);
    Strip(172, 16, 39, Glyph(Cross, CloseButtons, White, TitleBottom), TitleBottom);
    // Plant and weather windows.
    Strip(147, 13, 36, Glyph(Cross, CloseButtons, White, TitleBottom), TitleBottom);
    Strip(149, 13, 36, Glyph(Cross, CloseButtons, White, TitleBottom), TitleBottom);
    // Page windows.
    Strip(158, 19, 54, Glyph(Dash, TitleButtons, White, TitleBottom), TitleBottom);
    Strip(159, 19, 54, Glyph(Cross, CloseButtons, White, TitleBottom), TitleBottom);
    Strip(160, 19, 54, Glyph(Box, TitleButtons, White, TitleBottom), TitleBottom);
    // Mini bar: two tabs above the bar, five page buttons in its band.
    const QColor tabGround(214, 222, 234);
    Strip(175, 13, 24, Glyph(Dash, TitleButtons, White, tabGround, 1), tabGround);
    Strip(176, 13, 24, Glyph(Cross, CloseButtons, White, tabGround, 1), tabGround);
    const QColor band(36, 70, 116);
    Strip(178, 32, 48, Pill(QString::fromUtf8("지도"), TitleButtons, White, 11, band), band);
    Strip(179, 32, 48, Pill(QString::fromUtf8("출하"), TitleButtons, White, 11, band), band);
    Strip(183, 32, 51, Pill(QString::fromUtf8("차량"), TitleButtons, White, 11, band), band);
    Strip(184, 32, 51, Pill(QString::fromUtf8("현장"), TitleButtons, White, 11, band), band);
    Strip(185, 32, 51, Pill(QStringLiteral("SMS"), TitleButtons, White, 10, band), band);

    Icon(32).save(g_out + QStringLiteral("/171.png"), "PNG");
    Icon(16).save(g_out + QStringLiteral("/173.png"), "PNG");
    return 0;
}

#pragma once

// The drawing kit of the skinned windows: bitmaps copied whole and unscaled, frames tiled from eight
// pieces, fonts that carry their description and colour, and off-screen painting. Copies are plain:
// no scaling, no smoothing, exact colours.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>

using COLORREF = std::uint32_t; // 0x00BBGGRR

constexpr COLORREF RGB(int r, int g, int b)
{
    return static_cast<COLORREF>(r & 0xFF) | (static_cast<COLORREF>(g & 0xFF) << 8) |
           (static_cast<COLORREF>(b & 0xFF) << 16);
}
QColor ToQColor(COLORREF colour);

// The text placement flags of the platform's DrawText, as the windows give them.
enum : unsigned
{
    DT_LEFT = 0x00,
    DT_CENTER = 0x01,
    DT_RIGHT = 0x02,
    DT_VCENTER = 0x04,
    DT_BOTTOM = 0x08,
    DT_SINGLELINE = 0x20,
    DT_NOCLIP = 0x100,
};

// The faces the skin asks for by name, mapped once to the fonts this system has: "굴림" to
// NanumGothic, "Arial" to Liberation Sans.
void InstallFontSubstitutes();

// The character height of a font of the given points on a surface of the given vertical resolution,
// as a font description wants it: -MulDiv(points, dpi, 72), rounded half away from zero.
int FontHeightForPoints(int points, int dpi);

// A skin bitmap, loaded by its resource id.
class CKvBitmap
{
public:
    bool LoadBitmap(int resourceId);
    bool LoadFile(const QString& path);
    void Release() { m_image = QImage(); }

    bool IsNull() const { return m_image.isNull(); }
    int Width() const { return m_image.width(); }
    int Height() const { return m_image.height(); }
    const QImage& Image() const { return m_image; }
    void SetImage(const QImage& image) { m_image = image.convertToFormat(QImage::Format_RGB32); }

private:
    QImage m_image;
};

// The top-left cx x cy pixels of the bitmap to (0, 0), or to (x, y). False when there is nothing to copy.
bool DrawBitmap(QPainter& dc, const CKvBitmap& bitmap, int cx, int cy);
void DrawBitmapAt(const CKvBitmap& bitmap, QPainter& dc, int x, int y, int cx, int cy);

// A frame inside rect from the pieces in this order: top-left, top, top-right, bottom-left, bottom,
// bottom-right, left, right. Edges are tiled, the last tile cut; nothing is drawn inside.
void DrawFrame(QPainter& dc, const QRect& rect, const CKvBitmap* topLeft, const CKvBitmap* top,
               const CKvBitmap* topRight, const CKvBitmap* bottomLeft, const CKvBitmap* bottom,
               const CKvBitmap* bottomRight, const CKvBitmap* left, const CKvBitmap* right);

struct LogFont
{
    int Height = -12; // negative: character height in pixels
    int Width = 0;
    int Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    int CharSet = 0;
    int Quality = 2;
    int PitchAndFamily = 0x12;
    std::string FaceName = "Times New Roman"; // UTF-8
};

class CKvFont
{
public:
    static constexpr COLORREF KeepColour = 0xFFFFFFFF;

    void Realize();
    // Draws with this font and colour, then restores the painter's font and pen.
    void Draw(QPainter& dc, const QString& text, const QRect& rect, unsigned format);

    LogFont Desc;
    COLORREF TextColor = KeepColour;

    const QFont& Font() const { return m_font; }

private:
    QFont m_font;
    bool m_realized = false;
};

// Qt's alignment and clipping for a DrawText format.
int AlignmentForFormat(unsigned format);

// Off-screen painting over an area of a target: draw through Painter(), and the result reaches the
// target in one copy when the object goes.
class CKvMemDC
{
public:
    CKvMemDC(QPainter* target, const QRect& area);
    CKvMemDC(const CKvMemDC&) = delete;
    CKvMemDC& operator=(const CKvMemDC&) = delete;
    virtual ~CKvMemDC();

    QPainter& Painter() { return *m_painter; }
    const QImage& Buffer() const { return m_buffer; }

private:
    QPainter* m_target;
    QRect m_area;
    QImage m_buffer;
    std::unique_ptr<QPainter> m_painter;
};

#pragma once

#include <QImage>
#include <QRect>

#include <cstdlib>

// How many pixels of an area are within tolerance (sum of channel differences) of a colour.
inline int CountColour(const QImage& image, const QRect& area, QRgb colour, int tolerance = 40)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            const int distance = std::abs(qRed(p) - qRed(colour)) + std::abs(qGreen(p) - qGreen(colour)) +
                                 std::abs(qBlue(p) - qBlue(colour));
            n += distance < tolerance ? 1 : 0;
        }
    }
    return n;
}

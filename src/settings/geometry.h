#pragma once

#include <cstdint>

// Screen geometry as the settings store keeps it: 32-bit signed device pixels.
struct Point
{
    std::int32_t x = 0;
    std::int32_t y = 0;
};

struct Rect
{
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// A page window's remembered placement, stored as 44 bytes: eleven little-endian 32-bit fields in
// this order. All zero means nothing is remembered.
struct WindowPlacement
{
    static constexpr std::uint32_t StoredSize = 44;

    std::int32_t length = 0;
    std::int32_t flags = 0;
    std::int32_t showCmd = 0;
    Point minPosition;
    Point maxPosition;
    Rect normalPosition;

    void ToBytes(std::uint8_t (&bytes)[StoredSize]) const;
    static WindowPlacement FromBytes(const std::uint8_t (&bytes)[StoredSize]);
    bool IsEmpty() const;
};

// A remembered top-left point, stored as 8 bytes: x then y, little-endian.
constexpr std::uint32_t StoredPointSize = 8;
void PointToBytes(const Point& point, std::uint8_t (&bytes)[StoredPointSize]);
Point PointFromBytes(const std::uint8_t (&bytes)[StoredPointSize]);

#include "settings/geometry.h"

namespace {

void PutInt(std::uint8_t* at, std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    at[0] = static_cast<std::uint8_t>(v);
    at[1] = static_cast<std::uint8_t>(v >> 8);
    at[2] = static_cast<std::uint8_t>(v >> 16);
    at[3] = static_cast<std::uint8_t>(v >> 24);
}

std::int32_t GetInt(const std::uint8_t* at)
{
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
        (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24));
}

} // namespace

void WindowPlacement::ToBytes(std::uint8_t (&bytes)[StoredSize]) const
{
    const std::int32_t fields[11] = {length,
                                     flags,
                                     showCmd,
                                     minPosition.x,
                                     minPosition.y,
                                     maxPosition.x,
                                     maxPosition.y,
                                     normalPosition.left,
                                     normalPosition.top,
                                     normalPosition.right,
                                     normalPosition.bottom};
    for (int i = 0; i < 11; ++i) {
        PutInt(bytes + 4 * i, fields[i]);
    }
}

WindowPlacement WindowPlacement::FromBytes(const std::uint8_t (&bytes)[StoredSize])
{
    WindowPlacement p;
    p.length = GetInt(bytes);
    p.flags = GetInt(bytes + 4);
    p.showCmd = GetInt(bytes + 8);
    p.minPosition = {GetInt(bytes + 12), GetInt(bytes + 16)};
    p.maxPosition = {GetInt(bytes + 20), GetInt(bytes + 24)};
    p.normalPosition = {GetInt(bytes + 28), GetInt(bytes + 32), GetInt(bytes + 36), GetInt(bytes + 40)};
    return p;
}

bool WindowPlacement::IsEmpty() const
{
    std::uint8_t bytes[StoredSize];
    ToBytes(bytes);
    for (std::uint8_t b : bytes) {
        if (b != 0) {
            return false;
        }
    }
    return true;
}

void PointToBytes(const Point& point, std::uint8_t (&bytes)[StoredPointSize])
{
    PutInt(bytes, point.x);
    PutInt(bytes + 4, point.y);
}

Point PointFromBytes(const std::uint8_t (&bytes)[StoredPointSize])
{
    return {GetInt(bytes), GetInt(bytes + 4)};
}

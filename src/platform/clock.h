#pragma once

#include <cstdint>

namespace platform {

struct LocalTime
{
    int Year = 0;
    int Month = 0;   // 1..12
    int Day = 0;     // 1..31
    int Weekday = 0; // 0 = Sunday
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Milliseconds = 0;
};

LocalTime GetLocalTime();

// A source of local time that tests can replace.
using LocalTimeSource = LocalTime (*)();

// Milliseconds since an arbitrary start, never going backwards; wraps like a 32-bit tick count.
std::uint32_t GetTickCount();
std::uint64_t GetTickCount64();

// A source of monotonic milliseconds that tests can replace.
using TickSource = std::uint64_t (*)();

} // namespace platform

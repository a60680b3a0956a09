#pragma once

// The one clock the tests set by hand, for code that takes a platform::LocalTimeSource or a
// platform::TickSource: the local time it answers is the last one set, and its monotonic milliseconds
// move only when a test advances them.

#include "platform/clock.h"

class FakeClock
{
public:
    static void Set(const platform::LocalTime& now) { s_now = now; }
    // Year, month, day, weekday (0 Sunday), hour, minute, second.
    static void Set(int year, int month, int day, int weekday, int hour, int minute, int second)
    {
        s_now = platform::LocalTime{year, month, day, weekday, hour, minute, second, 0};
    }
    static platform::LocalTime Now() { return s_now; }
    static platform::LocalTimeSource Source() { return &Now; }

    static std::uint64_t Ticks() { return s_ticks; }
    static platform::TickSource TickSource() { return &Ticks; }
    static void Advance(std::uint64_t milliseconds) { s_ticks += milliseconds; }

private:
    static inline platform::LocalTime s_now{};
    static inline std::uint64_t s_ticks = 1000000;
};

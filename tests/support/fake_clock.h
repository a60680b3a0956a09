#pragma once

// The one clock the tests set by hand, for code that takes a platform::LocalTimeSource: the time it
// answers is the last one set.

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

private:
    static inline platform::LocalTime s_now{};
};

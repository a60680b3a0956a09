#include "platform/clock.h"

#include <ctime>

namespace platform {

LocalTime GetLocalTime()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm parts{};
    localtime_r(&now.tv_sec, &parts);
    LocalTime t;
    t.Year = parts.tm_year + 1900;
    t.Month = parts.tm_mon + 1;
    t.Day = parts.tm_mday;
    t.Weekday = parts.tm_wday;
    t.Hour = parts.tm_hour;
    t.Minute = parts.tm_min;
    t.Second = parts.tm_sec;
    t.Milliseconds = static_cast<int>(now.tv_nsec / 1000000);
    return t;
}

std::uint64_t GetTickCount64()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u +
           static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

std::uint32_t GetTickCount()
{
    return static_cast<std::uint32_t>(GetTickCount64());
}

} // namespace platform

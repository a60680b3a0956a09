#include "platform/numbers.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>

namespace platform {
namespace {

const char* SkipSpace(const char* p)
{
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') {
        ++p;
    }
    return p;
}

} // namespace

std::int64_t AtoiValue(const char* text)
{
    const char* p = SkipSpace(text);
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    // Accumulate towards the negative side, which holds one more value than the positive.
    std::int64_t value = 0;
    const std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    for (; *p >= '0' && *p <= '9'; ++p) {
        const int digit = *p - '0';
        if (value < (lowest + digit) / 10) {
            value = lowest;
        } else {
            value = value * 10 - digit;
        }
    }
    if (negative) {
        return value;
    }
    return value == lowest ? std::numeric_limits<std::int64_t>::max() : -value;
}

std::int32_t Atoi32(const char* text)
{
    const std::int64_t value = AtoiValue(text);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

double AtofValue(const char* text)
{
    const char* p = SkipSpace(text);
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (*p == '+' || *p == '-') {
        return 0.0;
    }
    double value = 0.0;
    const auto result = std::from_chars(p, p + std::strlen(p), value, std::chars_format::general);
    if (result.ec == std::errc::invalid_argument) {
        return 0.0;
    }
    return negative ? -value : value;
}

std::string FormatFixed6(double value)
{
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    return std::string(buffer, result.ptr);
}

} // namespace platform

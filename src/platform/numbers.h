#pragma once

#include <cstdint>
#include <string>

// Number text as the C library's atoi, atof and "%f" handle it, but the same under every locale (Qt
// sets the C library's locale from the environment, where "3,5" may be the decimal form).
namespace platform {

// Leading white space, an optional sign, digits up to the first other character; 0 without digits.
// Saturates at the 64-bit limits.
std::int64_t AtoiValue(const char* text);
// The same, clamped to the 32-bit range.
std::int32_t Atoi32(const char* text);
// Leading white space, then the longest prefix that is a decimal or exponent number; 0 without one.
double AtofValue(const char* text);
// Fixed notation with six decimals and '.' as the decimal point.
std::string FormatFixed6(double value);

} // namespace platform

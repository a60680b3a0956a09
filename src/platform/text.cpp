#include "platform/text.h"

#include <cstring>

namespace platform {

bool IsAscii(std::string_view text)
{
    for (unsigned char c : text) {
        if (c >= 0x80) {
            return false;
        }
    }
    return true;
}

std::string EncodeAddressBytes(std::string_view address)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(address.size());
    for (unsigned char c : address) {
        if (c >= 0x80 || c == ' ' || c == '\t') {
            encoded += '%';
            encoded += hex[c >> 4];
            encoded += hex[c & 0x0F];
        } else {
            encoded += static_cast<char>(c);
        }
    }
    return encoded;
}

bool IsValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        char32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= n) {
            return false;
        }
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto t = static_cast<unsigned char>(text[i + k]);
            if ((t & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (t & 0x3F);
        }
        const char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

const char* MbsChr(const char* text, char c)
{
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == c) {
            return p;
        }
        if (IsCp949LeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') {
            ++p;
        }
    }
    return nullptr;
}

const char* MbsRChr(const char* text, char c)
{
    const char* found = nullptr;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == c) {
            found = p;
        } else if (IsCp949LeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') {
            ++p;
        }
    }
    return found;
}

bool MbsEqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (IsCp949LeadByte(ca)) {
            if (ca != cb || i + 1 >= a.size() || a[i + 1] != b[i + 1]) {
                return false;
            }
            ++i;
            continue;
        }
        const auto fa = (ca >= 'A' && ca <= 'Z') ? ca + 32 : ca;
        const auto fb = (cb >= 'A' && cb <= 'Z') ? cb + 32 : cb;
        if (fa != fb) {
            return false;
        }
    }
    return true;
}

std::size_t Cp949CutLength(const char* text, std::size_t length, std::size_t maxLength)
{
    if (length <= maxLength) {
        return length;
    }
    std::size_t i = 0;
    while (i < maxLength) {
        const std::size_t step = IsCp949LeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (i + step > maxLength) {
            break;
        }
        i += step;
    }
    return i;
}

} // namespace platform

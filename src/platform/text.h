#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text that crosses a file, the wire, the feed or the log is CP949; Qt and the source files speak
// UTF-8. These are the only places where one becomes the other.
namespace platform {

// Invalid input bytes become U+FFFD; the rest of the text is kept.
std::string Cp949ToUtf8(std::string_view cp949);
// Characters that CP949 cannot hold become '?'.
std::string Utf8ToCp949(std::string_view utf8);

bool IsAscii(std::string_view text);
bool IsValidUtf8(std::string_view text);

// CP949 lead bytes are 0x81..0xFE; the byte after a lead byte is never a character of its own.
inline bool IsCp949LeadByte(unsigned char c)
{
    return c >= 0x81 && c <= 0xFE;
}

// First / last occurrence of an ASCII character, never matching the second byte of a double-byte
// character. Null when absent.
const char* MbsChr(const char* text, char c);
const char* MbsRChr(const char* text, char c);

// Equality without regard to ASCII letter case; the second byte of a double-byte character is
// compared as it is, so two different Korean syllables never fold together.
bool MbsEqualNoCase(std::string_view a, std::string_view b);

// An address as the network wants it: every byte of 0x80 and above, and every blank, percent-encoded
// byte by byte ("본사" in CP949 becomes "%BA%BB%BB%E7"), so that the server receives the address's
// own CP949 bytes. Everything else, and so an ASCII address without blanks, is left as it is.
std::string EncodeAddressBytes(std::string_view address);

// Largest length <= maxLength at which text[0, length) does not end inside a double-byte character.
std::size_t Cp949CutLength(const char* text, std::size_t length, std::size_t maxLength);

} // namespace platform

#include "serverlink/kv_cmd.h"

#include "platform/numbers.h"
#include "platform/text.h"

#include <charconv>
#include <cstring>
#include <new>

namespace {

constexpr char kSeparator = '\x01';

template <typename Integer> std::string DecimalText(Integer value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

} // namespace

bool CKvSndCmd::Append(const char* name, const char* value, std::size_t valueLength)
{
    const std::size_t nameLength = std::strlen(name);
    const std::size_t separator = m_bodyLength > 0 ? 1 : 0;
    const std::size_t needed = separator + nameLength + 1 + valueLength + 1; // with the zero byte
    if (needed > static_cast<std::size_t>(BodyAreaSize - m_bodyLength)) {
        return false;
    }
    char* at = reinterpret_cast<char*>(m_packet + HeaderSize) + m_bodyLength;
    if (separator != 0) {
        *at++ = kSeparator;
    }
    std::memcpy(at, name, nameLength);
    at += nameLength;
    *at++ = '=';
    std::memcpy(at, value, valueLength);
    at[valueLength] = '\0';
    m_bodyLength += static_cast<int>(needed - 1);
    return true;
}

bool CKvSndCmd::Param(const char* name, SystemTime& value)
{
    char text[64];
    const int n = std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", value.Year, value.Month,
                                value.Day, value.Hour, value.Minute, value.Second);
    return Append(name, text, static_cast<std::size_t>(n));
}

bool CKvSndCmd::Param(const char* name, double& value)
{
    const std::string text = platform::FormatFixed6(value);
    return Append(name, text.data(), text.size());
}

bool CKvSndCmd::Param(const char* name, float& value)
{
    double widened = value;
    return Param(name, widened);
}

bool CKvSndCmd::Param(const char* name, std::int64_t& value)
{
    const std::string text = DecimalText(value);
    return Append(name, text.data(), text.size());
}

bool CKvSndCmd::Param(const char* name, std::uint64_t& value)
{
    // Written with the signed template, as the protocol's 64-bit pair does.
    std::int64_t asSigned = static_cast<std::int64_t>(value);
    return Param(name, asSigned);
}

bool CKvSndCmd::Param(const char* name, std::int32_t& value)
{
    const std::string text = DecimalText(value);
    return Append(name, text.data(), text.size());
}

bool CKvSndCmd::Param(const char* name, std::uint32_t& value)
{
    std::int32_t asSigned = static_cast<std::int32_t>(value);
    return Param(name, asSigned);
}

bool CKvSndCmd::Param(const char* name, std::uint16_t& value)
{
    std::int32_t widened = value;
    return Param(name, widened);
}

bool CKvSndCmd::Param(const char* name, std::int16_t& value)
{
    std::int32_t widened = value;
    return Param(name, widened);
}

bool CKvSndCmd::Param(const char* name, char* buffer, int)
{
    return buffer == nullptr ? Append(name, "", 0) : Append(name, buffer, std::strlen(buffer));
}

bool CKvSndCmd::Param(const char* name, std::string& value)
{
    // A text is written up to its first zero byte, as a C string would be.
    return Append(name, value.c_str(), std::strlen(value.c_str()));
}

CKvRcvCmd::~CKvRcvCmd()
{
    ClearPairs();
}

void CKvRcvCmd::ClearPairs()
{
    m_pairs.RemoveAll();
    if (m_ownsCopy != 0) {
        delete[] m_body;
    }
    m_body = nullptr;
    m_ownsCopy = 0;
}

bool CKvRcvCmd::ParseBody(int length, char* text, int copy)
{
    ClearPairs();
    if (length < 0) {
        length = static_cast<int>(std::strlen(text));
    }
    if (copy != 0) {
        m_body = new (std::nothrow) char[static_cast<std::size_t>(length) + 1];
        if (m_body == nullptr) {
            return false;
        }
        m_ownsCopy = copy;
        std::memcpy(m_body, text, static_cast<std::size_t>(length));
        m_body[length] = '\0';
    } else {
        m_body = text;
    }

    for (char* p = m_body; p != nullptr && *p != '\0';) {
        char* separator = std::strchr(p, kSeparator);
        if (separator != nullptr) {
            *separator = '\0';
        } else if (std::strchr(p, '=') == nullptr) {
            return true;
        }
        char* equals = std::strchr(p, '=');
        if (equals == nullptr) {
            return false;
        }
        *equals = '\0';
        auto* pair = new (std::nothrow) CCmd{p, equals + 1};
        if (pair == nullptr) {
            return false;
        }
        m_pairs.AddTail(pair);
        p = separator == nullptr ? nullptr : separator + 1;
    }
    return true;
}

const char* CKvRcvCmd::Find(const char* name) const
{
    for (const CCmd* pair : m_pairs) {
        if (platform::MbsEqualNoCase(pair->Name, name)) {
            return pair->Value;
        }
    }
    return nullptr;
}

bool CKvRcvCmd::Param(const char* name, SystemTime& value)
{
    const char* text = Find(name);
    value = SystemTime{};
    if (text == nullptr || std::strlen(text) != 14) {
        return false;
    }
    auto group = [text](int start, int count) {
        char digits[5] = {};
        std::memcpy(digits, text + start, static_cast<std::size_t>(count));
        return static_cast<std::uint16_t>(platform::AtoiValue(digits));
    };
    value.Year = group(0, 4);
    value.Month = group(4, 2);
    value.Day = group(6, 2);
    value.Hour = group(8, 2);
    value.Minute = group(10, 2);
    value.Second = group(12, 2);
    return true;
}

bool CKvRcvCmd::Param(const char* name, double& value)
{
    const char* text = Find(name);
    value = text == nullptr ? 0.0 : platform::AtofValue(text);
    return text != nullptr;
}

bool CKvRcvCmd::Param(const char* name, float& value)
{
    const char* text = Find(name);
    value = text == nullptr ? 0.0f : static_cast<float>(platform::AtofValue(text));
    return text != nullptr;
}

bool CKvRcvCmd::Param(const char* name, std::int64_t& value)
{
    const char* text = Find(name);
    value = text == nullptr ? 0 : platform::AtoiValue(text);
    return text != nullptr;
}

bool CKvRcvCmd::Param(const char* name, std::uint64_t& value)
{
    std::int64_t asSigned = 0;
    const bool found = Param(name, asSigned);
    value = static_cast<std::uint64_t>(asSigned);
    return found;
}

bool CKvRcvCmd::Param(const char* name, std::int32_t& value)
{
    // As atoi: a number beyond the 32-bit range gives the nearest end of it, never a wrapped value.
    const char* text = Find(name);
    value = text == nullptr ? 0 : platform::Atoi32(text);
    return text != nullptr;
}

bool CKvRcvCmd::Param(const char* name, std::uint32_t& value)
{
    std::int32_t asSigned = 0;
    const bool found = Param(name, asSigned);
    value = static_cast<std::uint32_t>(asSigned);
    return found;
}

bool CKvRcvCmd::Param(const char* name, std::uint16_t& value)
{
    std::int32_t wide = 0;
    const bool found = Param(name, wide);
    value = static_cast<std::uint16_t>(wide);
    return found;
}

bool CKvRcvCmd::Param(const char* name, std::int16_t& value)
{
    std::int32_t wide = 0;
    const bool found = Param(name, wide);
    value = static_cast<std::int16_t>(wide);
    return found;
}

bool CKvRcvCmd::Param(const char* name, char* buffer, int size)
{
    const char* text = Find(name);
    if (buffer == nullptr || size <= 0) {
        return text != nullptr;
    }
    if (text == nullptr) {
        buffer[0] = '\0';
        return false;
    }
    const std::size_t copied = std::min(std::strlen(text), static_cast<std::size_t>(size) - 1);
    std::memcpy(buffer, text, copied);
    buffer[copied] = '\0';
    return true;
}

bool CKvRcvCmd::Param(const char* name, std::string& value)
{
    const char* text = Find(name);
    value = text == nullptr ? std::string() : std::string(text);
    return text != nullptr;
}

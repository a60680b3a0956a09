#include "settings/ini_file.h"

#include "platform/profile.h"
#include "platform/text.h"

#include <climits>
#include <cstring>

std::int32_t DecimalValue(const char* text)
{
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    std::int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > static_cast<std::int64_t>(INT_MAX) + 1) {
            value = static_cast<std::int64_t>(INT_MAX) + 1;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        value = INT_MAX;
    }
    return static_cast<std::int32_t>(value);
}

bool CKvIniFile::GetString(std::string& value, const char* section, const char* key) const
{
    std::string read;
    if (!platform::ReadProfileString(m_path, section, key, read)) {
        read = MissingMarker;
    }
    read.resize(platform::Cp949CutLength(read.data(), read.size(), ValueBufferSize - 1));
    if (read == MissingMarker) {
        value.clear();
        return false;
    }
    value = read;
    return true;
}

std::int32_t CKvIniFile::GetInt(const char* section, const char* key, std::int32_t defaultValue) const
{
    std::string read;
    if (!platform::ReadProfileString(m_path, section, key, read) || read.empty()) {
        return defaultValue;
    }
    return DecimalValue(read.c_str());
}

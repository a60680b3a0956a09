#include "settings/ini_file.h"

#include "platform/numbers.h"
#include "platform/profile.h"
#include "platform/text.h"

#include <algorithm>
#include <cstdint>

std::int32_t DecimalValue(const char* text)
{
    const std::int64_t value = platform::AtoiValue(text);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
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

#include "settings/ini_file.h"

#include "platform/numbers.h"
#include "platform/profile.h"
#include "platform/text.h"

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
    return platform::Atoi32(read.c_str());
}

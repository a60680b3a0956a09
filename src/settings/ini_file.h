#pragma once

#include <cstdint>
#include <string>

// An INI file on disk, read key by key (the environment file and the local version file).
class CKvIniFile
{
public:
    static constexpr std::size_t ValueBufferSize = 2048;
    // A value that reads back as exactly this text is taken for an absent key.
    static constexpr const char* MissingMarker = "@@CKvIniFile::GetString@@";

    explicit CKvIniFile(std::string path) : m_path(std::move(path)) {}
    virtual ~CKvIniFile() = default;

    // The value (at most 2047 bytes, CP949) and true; empty and false when the key is absent.
    bool GetString(std::string& value, const char* section, const char* key) const;
    // The key's decimal value, 0 when it is not a number; defaultValue when absent or empty.
    std::int32_t GetInt(const char* section, const char* key, std::int32_t defaultValue) const;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

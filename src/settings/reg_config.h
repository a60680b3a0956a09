#pragma once

#include "platform/registry.h"

#include <cstdint>
#include <string>

// The user's switches, remembered sign-in and window positions, in the per-user store under
// SOFTWARE\Tolvik\Pellamo (and its sub-key POS). Build one for each use and let it go right after:
// nothing is cached between uses.
class CKvRegConfig
{
public:
    static constexpr std::uint32_t TextBufferSize = 1024;

    CKvRegConfig() = default;
    CKvRegConfig(const CKvRegConfig&) = delete;
    CKvRegConfig& operator=(const CKvRegConfig&) = delete;
    virtual ~CKvRegConfig() = default;

    // Opens the product key, or its sub-key of that name, creating it when missing.
    bool OpenKey(const char* subKey = nullptr);
    // False only when the product key can be neither opened nor created; unreadable values read as 0
    // or empty.
    bool Load();
    // True only when all five values were written; stops at the first that fails.
    bool Save();
    // A value of exactly size bytes from the open key; anything else is a failure.
    bool ReadBinary(const char* name, std::uint32_t size, void* destination);
    bool WriteBinary(const char* name, std::uint32_t size, const void* source);

    const std::string& KeyPath() const { return m_keyPath; }

    std::uint32_t SaveID = 0;
    std::uint32_t SavePW = 0; // also the automatic sign-in switch
    std::string ID;           // CP949
    std::string PW;           // CP949, the user's own password in clear text
    std::uint32_t AlwaysTop = 0;

private:
    // The store reader only says when it set a damaged file aside; the log line is ours to write.
    void LogSetAsides();
    std::uint32_t ReadDword(const char* name);
    std::string ReadText(const char* name);
    bool WriteDword(const char* name, std::uint32_t value);
    bool WriteText(const char* name, const std::string& value);

    platform::CKvRegKey m_key;
    std::string m_keyPath;
};

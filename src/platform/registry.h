#pragma once

#include "platform/reg_text.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// A store file that could not be understood and was set aside, never overwritten: the caller says so
// in the log.
struct StoreSetAside
{
    std::string Path;
    std::string Reason;
    // Where the file now is; empty when it could not be moved, and the store then refuses to write.
    std::string Aside;
};

// One value to write.
struct RegWrite
{
    std::string Name;
    std::uint32_t Type = RegBinary;
    std::vector<std::uint8_t> Data;
};

// One open key of the current user's settings store. Every read sees the store as it is now and
// every write is on disk, whole, when the call returns; nothing is cached between calls.
class CKvRegKey
{
public:
    CKvRegKey() = default;
    CKvRegKey(const CKvRegKey&) = delete;
    CKvRegKey& operator=(const CKvRegKey&) = delete;
    ~CKvRegKey() = default;

    // path is below the current user's root, for example "SOFTWARE\Tolvik\Pellamo".
    bool Open(const std::string& path);
    bool Create(const std::string& path);
    void Close();
    bool IsOpen() const { return m_open; }

    // Copies the value into data. size holds the capacity on entry and the value's size on success;
    // false when no key is open, the value is absent, or it is larger than the capacity.
    bool QueryValue(const std::string& name, std::uint32_t* type, void* data, std::uint32_t* size) const;
    bool SetValue(const std::string& name, std::uint32_t type, const void* data, std::uint32_t size);
    // Several values in one replacement of the file: on disk all together, or none of them.
    bool SetValues(const std::vector<RegWrite>& writes);

    // The damaged store files the calls so far have set aside, oldest first; taking them empties the list.
    std::vector<StoreSetAside> TakeSetAsides() { return std::move(m_setAsides); }

private:
    bool Load(RegDocument& doc) const;

    bool m_open = false;
    std::string m_fullPath;
    mutable std::vector<StoreSetAside> m_setAsides;
};

// The store file and what reads and writes it; exposed for the tools and tests that need the file.
std::string StoreFilePath();
// Reads the store. A file that cannot be understood is renamed aside (told in setAside when given) and
// reads as empty; false only when the file exists but cannot be read, or cannot be moved aside.
bool LoadStore(RegDocument& doc, StoreSetAside* setAside = nullptr);
// Replaces the store file whole: a temporary file in the same folder, flushed, then renamed over it.
bool WriteStore(const RegDocument& doc);

} // namespace platform

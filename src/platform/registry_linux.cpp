#include "platform/registry.h"

#include "platform/clock.h"
#include "platform/file_io.h"
#include "platform/paths.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

const char kRoot[] = "HKEY_CURRENT_USER\\";
const char kFileName[] = "settings.reg";
const char kTempPrefix[] = ".settings.reg.";

std::string StoreDir()
{
    return ProductConfigDir();
}

bool ReadWholeFile(const std::string& path, std::string& out, bool& missing)
{
    missing = false;
    out.clear();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        missing = errno == ENOENT;
        return false;
    }
    char buffer[8192];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            close(fd);
            return false;
        }
        if (n == 0) {
            break;
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return true;
}

// Temporary files of a save that was cut off (the process killed between create and rename). Only
// one copy of the program runs per user, so any such file is nobody's work in progress.
void RemoveStaleTemporaries(const std::string& dir)
{
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) {
        return;
    }
    while (const dirent* entry = readdir(d)) {
        if (std::strncmp(entry->d_name, kTempPrefix, sizeof kTempPrefix - 1) == 0) {
            unlinkat(dirfd(d), entry->d_name, 0);
        }
    }
    closedir(d);
}

std::string SetAsideName(const std::string& path)
{
    const LocalTime t = GetLocalTime();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", t.Year, t.Month, t.Day, t.Hour, t.Minute,
                  t.Second);
    std::string candidate = path + ".damaged-" + stamp;
    for (int n = 2; PathExists(candidate); ++n) {
        candidate = path + ".damaged-" + stamp + "-" + std::to_string(n);
    }
    return candidate;
}

} // namespace

std::string StoreFilePath()
{
    return StoreDir() + "/" + kFileName;
}

bool LoadStore(RegDocument& doc, StoreSetAside* setAside)
{
    doc.Keys.clear();
    const std::string path = StoreFilePath();
    std::string bytes;
    bool missing = false;
    if (!ReadWholeFile(path, bytes, missing)) {
        return missing;
    }
    std::string reason;
    if (doc.Parse(bytes, &reason)) {
        return true;
    }
    // Never overwrite what we cannot read: it may be the user's only copy of something.
    std::string aside = SetAsideName(path);
    const bool moved = rename(path.c_str(), aside.c_str()) == 0;
    if (!moved) {
        aside.clear();
    }
    if (setAside != nullptr) {
        *setAside = StoreSetAside{path, reason, aside};
    }
    return moved;
}

bool WriteStore(const RegDocument& doc)
{
    const std::string dir = StoreDir();
    if (!MakeDirs(dir, 0700)) {
        return false;
    }
    RemoveStaleTemporaries(dir);
    std::string temp = dir + "/" + kTempPrefix + "XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const std::string serialized = doc.Serialize();
    const bool written =
        fchmod(fd, 0600) == 0 && WriteAll(fd, serialized.data(), serialized.size()) && fsync(fd) == 0;
    if (close(fd) != 0 || !written || rename(temp.c_str(), StoreFilePath().c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    // The rename itself must survive a power cut too.
    const int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return true;
}

bool CKvRegKey::Load(RegDocument& doc) const
{
    StoreSetAside setAside;
    const bool loaded = LoadStore(doc, &setAside);
    if (!setAside.Path.empty()) {
        m_setAsides.push_back(std::move(setAside));
    }
    return loaded;
}

bool CKvRegKey::Open(const std::string& path)
{
    Close();
    RegDocument doc;
    const std::string fullPath = kRoot + path;
    if (!Load(doc) || doc.FindKey(fullPath) == nullptr) {
        return false;
    }
    m_fullPath = fullPath;
    m_open = true;
    return true;
}

bool CKvRegKey::Create(const std::string& path)
{
    Close();
    RegDocument doc;
    const std::string fullPath = kRoot + path;
    if (!Load(doc)) {
        return false;
    }
    if (doc.FindKey(fullPath) == nullptr) {
        doc.AddKey(fullPath);
        if (!WriteStore(doc)) {
            return false;
        }
    }
    m_fullPath = fullPath;
    m_open = true;
    return true;
}

void CKvRegKey::Close()
{
    m_open = false;
    m_fullPath.clear();
}

bool CKvRegKey::QueryValue(const std::string& name, std::uint32_t* type, void* data,
                           std::uint32_t* size) const
{
    if (!m_open || size == nullptr) {
        return false;
    }
    RegDocument doc;
    if (!Load(doc)) {
        return false;
    }
    RegKeyEntry* key = doc.FindKey(m_fullPath);
    const RegValue* value = key == nullptr ? nullptr : key->FindValue(name);
    if (value == nullptr || value->Data.size() > *size) {
        return false;
    }
    if (type != nullptr) {
        *type = value->Type;
    }
    if (!value->Data.empty()) {
        std::memcpy(data, value->Data.data(), value->Data.size());
    }
    *size = static_cast<std::uint32_t>(value->Data.size());
    return true;
}

bool CKvRegKey::SetValue(const std::string& name, std::uint32_t type, const void* data, std::uint32_t size)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return SetValues({RegWrite{name, type, std::vector<std::uint8_t>(bytes, bytes + size)}});
}

bool CKvRegKey::SetValues(const std::vector<RegWrite>& writes)
{
    if (!m_open) {
        return false;
    }
    RegDocument doc;
    if (!Load(doc)) {
        return false;
    }
    RegKeyEntry* key = doc.FindKey(m_fullPath);
    if (key == nullptr) {
        key = &doc.AddKey(m_fullPath);
    }
    // A key brought over from another spelling ("Software") is written in ours from now on.
    key->Path = m_fullPath;
    for (const RegWrite& write : writes) {
        key->SetValue(write.Name, write.Type, write.Data.data(), write.Data.size());
    }
    return WriteStore(doc);
}

} // namespace platform

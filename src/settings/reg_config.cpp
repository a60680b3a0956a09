#include "settings/reg_config.h"

#include "log/file_log.h"

#include <cstring>

namespace {

const char kVendor[] = "Tolvik";
const char kProduct[] = "Pellamo";

} // namespace

bool CKvRegConfig::OpenKey(const char* subKey)
{
    m_key.Close();
    m_keyPath = std::string("SOFTWARE\\") + kVendor + "\\" + kProduct;
    if (subKey != nullptr) {
        m_keyPath += "\\";
        m_keyPath += subKey;
    }
    const bool open = m_key.Open(m_keyPath) || m_key.Create(m_keyPath);
    LogSetAsides();
    return open;
}

void CKvRegConfig::LogSetAsides()
{
    for (const platform::StoreSetAside& file : m_key.TakeSetAsides()) {
        if (file.Aside.empty()) {
            ProcessLog().WriteLog(7, "settings file %s cannot be read (%s) nor moved aside\n",
                                  file.Path.c_str(), file.Reason.c_str());
        } else {
            ProcessLog().WriteLog(7, "settings file %s cannot be read (%s); kept as %s\n", file.Path.c_str(),
                                  file.Reason.c_str(), file.Aside.c_str());
        }
    }
}

bool CKvRegConfig::Load()
{
    if (!OpenKey()) {
        return false;
    }
    SaveID = ReadDword("SaveID");
    SavePW = ReadDword("SavePW");
    ID = ReadText("ID");
    PW = ReadText("PW");
    AlwaysTop = ReadDword("AlwaysTop");
    LogSetAsides();
    return true;
}

namespace {

std::vector<std::uint8_t> DwordBytes(std::uint32_t value)
{
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

} // namespace

bool CKvRegConfig::Save()
{
    if (!OpenKey()) {
        return false;
    }
    // One replacement of the file for all of them: the switches and what they keep never disagree on
    // disk, and a sign-in costs one flush rather than five.
    const auto dword = [](const char* name, std::uint32_t value) {
        return platform::RegWrite{name, platform::RegDword, DwordBytes(value)};
    };
    const auto text = [](const char* name, const std::string& value) {
        return platform::RegWrite{name, platform::RegSz,
                                  std::vector<std::uint8_t>(value.begin(), value.end())};
    };
    const bool saved =
        m_key.SetValues({dword("SaveID", SaveID != 0 ? 1 : 0), dword("SavePW", SavePW != 0 ? 1 : 0),
                         text("ID", ID), text("PW", PW), dword("AlwaysTop", AlwaysTop != 0 ? 1 : 0)});
    LogSetAsides();
    return saved;
}

bool CKvRegConfig::ReadBinary(const char* name, std::uint32_t size, void* destination)
{
    std::uint32_t read = size;
    const bool found = m_key.IsOpen() && m_key.QueryValue(name, nullptr, destination, &read) && read == size;
    LogSetAsides();
    return found;
}

bool CKvRegConfig::WriteBinary(const char* name, std::uint32_t size, const void* source)
{
    const bool written = m_key.IsOpen() && m_key.SetValue(name, platform::RegBinary, source, size);
    LogSetAsides();
    return written;
}

std::uint32_t CKvRegConfig::ReadDword(const char* name)
{
    std::uint8_t bytes[4] = {};
    std::uint32_t size = sizeof bytes;
    if (!m_key.QueryValue(name, nullptr, bytes, &size) || size != sizeof bytes) {
        return 0;
    }
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

std::string CKvRegConfig::ReadText(const char* name)
{
    char buffer[TextBufferSize];
    std::uint32_t size = sizeof buffer;
    if (!m_key.QueryValue(name, nullptr, buffer, &size)) {
        return {};
    }
    return std::string(buffer, strnlen(buffer, size));
}

bool CKvRegConfig::WriteDword(const char* name, std::uint32_t value)
{
    const std::vector<std::uint8_t> bytes = DwordBytes(value);
    return m_key.SetValue(name, platform::RegDword, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

bool CKvRegConfig::WriteText(const char* name, const std::string& value)
{
    return m_key.SetValue(name, platform::RegSz, value.data(), static_cast<std::uint32_t>(value.size()));
}

#include "settings/environment.h"

#include "log/file_log.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "settings/ini_file.h"
#include "settings/reg_config.h"

#include <cstdio>

namespace {

const char kEnvironmentFile[] = "Pellamo.ini";
const char kSettings[] = "Settings";

struct UrlKey
{
    const char* Utf8Key;
    int Index;
};

// Read in this order; the first one missing ends the load.
const UrlKey kUrlKeys[] = {
    {"WGInfo", Main},  {"사업소", Office}, {"지도", Map}, {"현장", Site},
    {"차량", Vehicle}, {"출하", Shipment}, {"SMS", Sms},  {"관리", Management},
};

const int kPlacementIndexes[] = {Map, Site, Vehicle, Shipment, Sms, Management};

void LogMissingKey(const char* section, const std::string& key)
{
    static const std::string format = platform::Utf8ToCp949("%s section의 %s 값을 읽을수 없습니다.");
    char message[1024];
    std::snprintf(message, sizeof message, format.c_str(), section, key.c_str());
    ProcessLog().WriteLog(7, "%s\n", message);
}

bool ReadText(const CKvIniFile& ini, const char* section, const std::string& key, std::string& out)
{
    if (ini.GetString(out, section, key.c_str())) {
        return true;
    }
    LogMissingKey(section, key);
    return false;
}

bool ReadRequiredInt(const CKvIniFile& ini, const char* section, const char* key, std::int32_t& out)
{
    out = ini.GetInt(section, key, IniMissing);
    if (out != IniMissing) {
        return true;
    }
    LogMissingKey(section, key);
    return false;
}

bool IsUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

} // namespace

std::string ModuleFile(const std::string& moduleDir, const char* fileName)
{
    return moduleDir + "/" + fileName;
}

const std::string& PositionValueName(int index)
{
    static const std::string names[ServiceUrlCount] = {
        platform::Utf8ToCp949("지도"),
        platform::Utf8ToCp949("현장"),
        platform::Utf8ToCp949("차량"),
        platform::Utf8ToCp949("출하"),
        "SMS",
        platform::Utf8ToCp949("관리"),
        platform::Utf8ToCp949("마일리지"),
        platform::Utf8ToCp949("날씨"),
        platform::Utf8ToCp949("공장"),
        platform::Utf8ToCp949("메인"),
    };
    static const std::string none;
    return index >= 0 && index < ServiceUrlCount ? names[index] : none;
}

bool LoadEnvironment(EnvironmentSettings& env, const std::string& moduleDir)
{
    if (!LoadEnvironmentFile(env, moduleDir)) {
        return false;
    }
    LoadWindowPositions(env);
    return true;
}

bool LoadEnvironmentFile(EnvironmentSettings& env, const std::string& moduleDir)
{
    const std::string path = ModuleFile(moduleDir, kEnvironmentFile);
    if (!platform::PathExists(path)) {
        return false;
    }
    const CKvIniFile ini(path);
    if (!ReadText(ini, kSettings, "ServerAddr", env.ServerAddr) ||
        !ReadRequiredInt(ini, kSettings, "ServerPort", env.ServerPort) ||
        !ReadRequiredInt(ini, kSettings, "RefreshRate", env.RefreshRate)) {
        return false;
    }
    env.Log = ini.GetInt(kSettings, "Log", IniMissing);
    if (env.Log == IniMissing) {
        env.Log = 0;
    }
    for (const UrlKey& key : kUrlKeys) {
        if (!ReadText(ini, "URL", platform::Utf8ToCp949(key.Utf8Key), env.Urls[key.Index])) {
            return false;
        }
    }
    return true;
}

void LoadWindowPositions(EnvironmentSettings& env)
{
    CKvRegConfig store;
    if (!store.OpenKey("POS")) {
        return;
    }
    for (int index : kPlacementIndexes) {
        std::uint8_t bytes[WindowPlacement::StoredSize] = {};
        env.PagePlacements[index] = store.ReadBinary(PositionValueName(index).c_str(), sizeof bytes, bytes)
                                        ? WindowPlacement::FromBytes(bytes)
                                        : WindowPlacement{};
    }
    struct
    {
        int Index;
        Point& Target;
    } points[] = {{Main, env.MainPoint}, {Weather, env.WeatherPoint}, {Office, env.PlantPoint}};
    for (auto& point : points) {
        std::uint8_t bytes[StoredPointSize] = {};
        point.Target = store.ReadBinary(PositionValueName(point.Index).c_str(), sizeof bytes, bytes)
                           ? PointFromBytes(bytes)
                           : Point{NoPosition, NoPosition};
    }
}

std::string EncodeQueryValue(const std::string& value)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(value.size());
    for (unsigned char c : value) {
        if (IsUnreserved(c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 0xF];
        }
    }
    return out;
}

bool BuildServiceUrl(const EnvironmentSettings& env, const SessionIdentity& session, int index,
                     std::string& out)
{
    const std::string base = index >= 0 && index < ServiceUrlCount ? env.Urls[index] : std::string();
    if (base.empty()) {
        return false;
    }
    out = base + (platform::MbsChr(base.c_str(), '?') != nullptr ? "&userId=" : "?userId=") +
          EncodeQueryValue(session.UserId) + "&authCode=" + EncodeQueryValue(session.AuthCode);
    return true;
}

std::string AppendGroupId(const std::string& url, const SessionIdentity& session)
{
    const bool hasQuery = !url.empty() && platform::MbsChr(url.c_str(), '?') != nullptr;
    return url + (hasQuery ? "&groupId=" : "?groupId=") + EncodeQueryValue(session.GroupID);
}

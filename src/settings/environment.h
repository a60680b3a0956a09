#pragma once

#include "settings/geometry.h"
#include "settings/session_identity.h"

#include <cstdint>
#include <string>

// Numbers the service pages; indexes both the addresses and the remembered positions.
enum ServiceUrlIndex : int
{
    Map = 0,
    Site = 1,
    Vehicle = 2,
    Shipment = 3,
    Sms = 4,
    Management = 5,
    Mileage = 6,
    Weather = 7,
    Office = 8,
    Main = 9,
};
constexpr int ServiceUrlCount = 10;

// An integer key that reads back as this was absent.
constexpr std::int32_t IniMissing = -99999999;
// A coordinate of a window point that is not remembered.
constexpr std::int32_t NoPosition = -9999999;

// The deployment's configuration ("Pellamo.ini" beside the program) and the window positions
// remembered in the user's store, loaded once at start-up. Texts are CP949.
struct EnvironmentSettings
{
    std::string ServerAddr;
    std::int32_t ServerPort = 0;
    std::string Urls[ServiceUrlCount];
    WindowPlacement PagePlacements[ServiceUrlCount];
    Point MainPoint;
    Point WeatherPoint;
    Point PlantPoint;
    std::int32_t RefreshRate = 0;
    std::int32_t Log = 0;
};

// File names beside the program, joined to a directory the way the program builds every such path.
std::string ModuleFile(const std::string& moduleDir, const char* fileName);

// Loads the environment file from moduleDir, then the remembered positions. False when the file is
// absent or a required key is missing; the missing key is written to the log.
bool LoadEnvironment(EnvironmentSettings& env, const std::string& moduleDir);
// Its two halves: the file alone (for tools that must not touch the user's store), and the positions.
bool LoadEnvironmentFile(EnvironmentSettings& env, const std::string& moduleDir);
void LoadWindowPositions(EnvironmentSettings& env);

// The page's address for the signed-in user: the base with userId and authCode added. False, with out
// untouched, when the page has no address.
bool BuildServiceUrl(const EnvironmentSettings& env, const SessionIdentity& session, int index,
                     std::string& out);
// The address with groupId added, for the plant and weather pages.
std::string AppendGroupId(const std::string& url, const SessionIdentity& session);

// Percent-encodes what could end a query value or start another parameter; letters, digits and
// "-._~" stay as they are.
std::string EncodeQueryValue(const std::string& value);

// The name under which the store's POS key remembers the index's window (CP949).
const std::string& PositionValueName(int index);

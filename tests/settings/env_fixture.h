#pragma once

#include <string>
#include <vector>

// A complete environment file in UTF-8, one "key=value" line per entry; lines whose key is in skip
// are left out.
inline std::string EnvironmentText(const std::vector<std::string>& skip = {})
{
    const char* lines[] = {"[Settings]",
                           "ServerAddr=127.0.0.1",
                           "ServerPort=7000",
                           "RefreshRate=30",
                           "Log=1",
                           "[URL]",
                           "WGInfo=http://127.0.0.1:8080/wginfo",
                           "사업소=http://127.0.0.1:8080/office?view=hourly",
                           "지도=http://127.0.0.1:8080/map",
                           "현장=http://127.0.0.1:8080/sites",
                           "차량=http://127.0.0.1:8080/vehicles",
                           "출하=http://127.0.0.1:8080/shipments",
                           "SMS=http://127.0.0.1:8080/sms",
                           "관리=http://127.0.0.1:8080/admin"};
    std::string text;
    for (const std::string line : lines) {
        const std::string key = line.substr(0, line.find('='));
        bool skipped = false;
        for (const std::string& s : skip) {
            skipped = skipped || s == key;
        }
        if (!skipped) {
            text += line + "\r\n";
        }
    }
    return text;
}

#include "serverlink/mac_address.h"

#include "log/file_log.h"

#include <cstdio>

std::string FormatMacAddress(const std::vector<std::uint8_t>& address)
{
    std::string text;
    for (std::uint8_t b : address) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", b);
        text += digits;
    }
    return text;
}

bool ChooseMacAddress(const std::vector<platform::NetworkAdapter>& adapters, std::string& out)
{
    out.clear();
    for (const platform::NetworkAdapter& adapter : adapters) {
        if (adapter.Address.size() != 6) {
            continue;
        }
        const std::string text = FormatMacAddress(adapter.Address);
        if (!adapter.IsEthernet) {
            ProcessLog().WriteLog(7, "%s\n", text.c_str());
            continue;
        }
        ProcessLog().WriteLog(7, "ethernet %s\n", text.c_str());
        if (!adapter.IpAddress.empty() && adapter.IpAddress != "0.0.0.0") {
            out = text;
            break;
        }
    }
    return !out.empty();
}

void LogNeighbourTable(const std::vector<platform::NeighbourEntry>& entries)
{
    for (const platform::NeighbourEntry& entry : entries) {
        if (entry.Address.size() == 6) {
            ProcessLog().WriteLog(7, "%s\n", FormatMacAddress(entry.Address).c_str());
        }
    }
}

std::string FindMacAddress()
{
    std::string address;
    if (!ChooseMacAddress(platform::ListNetworkAdapters(), address)) {
        LogNeighbourTable(platform::ReadNeighbourTable());
    }
    return address;
}

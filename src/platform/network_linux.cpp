#include "platform/network.h"

#include "platform/paths.h"

#include <algorithm>
#include <arpa/inet.h>
#include <fstream>
#include <ifaddrs.h>
#include <iterator>
#include <linux/if_packet.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <sstream>

namespace platform {
namespace {

std::string ReadSysValue(const std::string& name, const char* entry)
{
    std::ifstream in("/sys/class/net/" + name + "/" + entry);
    std::string value;
    in >> value;
    return value;
}

bool IsWiredEthernet(const std::string& name)
{
    const std::string base = "/sys/class/net/" + name;
    return ReadSysValue(name, "type") == std::to_string(ARPHRD_ETHER) && PathExists(base + "/device") &&
           !PathExists(base + "/wireless") && !PathExists(base + "/phy80211");
}

bool ParseHardwareAddress(const std::string& text, std::vector<std::uint8_t>& out)
{
    out.clear();
    unsigned value = 0;
    int digits = 0;
    for (char c : text + ":") {
        if (c == ':') {
            if (digits == 0 || digits > 2) {
                return false;
            }
            out.push_back(static_cast<std::uint8_t>(value));
            value = 0;
            digits = 0;
        } else if (c >= '0' && c <= '9') {
            value = value * 16 + static_cast<unsigned>(c - '0');
            ++digits;
        } else if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') {
            value = value * 16 + static_cast<unsigned>((c | 0x20) - 'a' + 10);
            ++digits;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

std::vector<NetworkAdapter> ListNetworkAdapters()
{
    struct Found
    {
        unsigned Index;
        NetworkAdapter Adapter;
    };
    std::vector<Found> found;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return {};
    }
    auto entryFor = [&](const char* name) -> NetworkAdapter& {
        for (Found& f : found) {
            if (f.Adapter.Name == name) {
                return f.Adapter;
            }
        }
        found.push_back(
            Found{if_nametoindex(name), NetworkAdapter{name, {}, IsWiredEthernet(name), "0.0.0.0"}});
        return found.back().Adapter;
    };
    for (const ifaddrs* a = list; a != nullptr; a = a->ifa_next) {
        if (a->ifa_addr == nullptr || (a->ifa_flags & IFF_LOOPBACK) != 0) {
            continue;
        }
        if (a->ifa_addr->sa_family == AF_PACKET) {
            const auto* link = reinterpret_cast<const sockaddr_ll*>(a->ifa_addr);
            entryFor(a->ifa_name).Address.assign(link->sll_addr, link->sll_addr + link->sll_halen);
        } else if (a->ifa_addr->sa_family == AF_INET) {
            NetworkAdapter& adapter = entryFor(a->ifa_name);
            if (adapter.IpAddress == "0.0.0.0") {
                char text[INET_ADDRSTRLEN] = {};
                inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(a->ifa_addr)->sin_addr, text,
                          sizeof text);
                adapter.IpAddress = text;
            }
        }
    }
    freeifaddrs(list);
    std::stable_sort(found.begin(), found.end(),
                     [](const Found& a, const Found& b) { return a.Index < b.Index; });
    std::vector<NetworkAdapter> adapters;
    adapters.reserve(found.size());
    for (Found& f : found) {
        adapters.push_back(std::move(f.Adapter));
    }
    return adapters;
}

std::vector<NeighbourEntry> ParseNeighbourTable(const std::string& text)
{
    std::vector<NeighbourEntry> entries;
    std::istringstream in(text);
    std::string line;
    std::getline(in, line); // the column titles
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string ip, type, flags, hardware;
        if (!(fields >> ip >> type >> flags >> hardware)) {
            continue;
        }
        NeighbourEntry entry{ip, {}};
        // Flags 0 marks an entry still waiting for its answer: its address is all zero, not real.
        if (flags != "0x0" && !ParseHardwareAddress(hardware, entry.Address)) {
            entry.Address.clear();
        }
        entries.push_back(entry);
    }
    return entries;
}

std::vector<NeighbourEntry> ReadNeighbourTable()
{
    std::ifstream in("/proc/net/arp");
    return ParseNeighbourTable(
        std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
}

} // namespace platform

#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct NetworkAdapter
{
    std::string Name;
    std::vector<std::uint8_t> Address; // hardware address
    // A wired Ethernet card: an Ethernet-type interface backed by a device (physical or emulated),
    // not wireless. Bridges, tunnels and other virtual interfaces are not.
    bool IsEthernet = false;
    std::string IpAddress; // the first IPv4 address as text, "0.0.0.0" when it has none
};

// The network interfaces in their index order, loopback left out.
std::vector<NetworkAdapter> ListNetworkAdapters();

struct NeighbourEntry
{
    std::string IpAddress;
    std::vector<std::uint8_t> Address; // empty for an entry without a complete hardware address
};

// The IPv4 neighbour (ARP) table.
std::vector<NeighbourEntry> ReadNeighbourTable();
// The same from a table's text, as /proc/net/arp shows it.
std::vector<NeighbourEntry> ParseNeighbourTable(const std::string& text);

} // namespace platform

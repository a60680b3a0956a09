#pragma once

#include "platform/network.h"

#include <string>
#include <vector>

// The hardware address a login carries: 12 uppercase hexadecimal digits, or empty.

// Walks the adapters in order, logging each 6-byte address ("ethernet %s" for wired Ethernet cards,
// "%s" for others), and takes the first wired Ethernet card that has an IPv4 address. True when one
// was found.
bool ChooseMacAddress(const std::vector<platform::NetworkAdapter>& adapters, std::string& out);
// The neighbour table only ever names other machines, so it supplies no address of ours; its 6-byte
// entries are logged for support staff.
void LogNeighbourTable(const std::vector<platform::NeighbourEntry>& entries);

// The scan over this machine's adapters, then the neighbour table's log lines when none was found.
std::string FindMacAddress();

std::string FormatMacAddress(const std::vector<std::uint8_t>& address);

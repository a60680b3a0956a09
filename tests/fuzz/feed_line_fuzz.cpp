// The status feed document: its first line split into the record's fields.
#include "feed/status_feed.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    StatusRecord record;
    ApplyStatusDocument(std::string(reinterpret_cast<const char*>(data), size), record);
    // A second document over the first, as consecutive polls do.
    ApplyStatusDocument(std::string(reinterpret_cast<const char*>(data), size / 2), record);
    return 0;
}

// The downloader's split of an address into host, port and path.
#include "feed/http_down.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    HttpTarget target;
    if (SplitHttpUrl(std::string(reinterpret_cast<const char*>(data), size), target)) {
        if (target.Host.size() > HttpTarget::MaxHostLength ||
            target.Path.size() > HttpTarget::MaxPathLength || target.Path.empty()) {
            std::abort();
        }
    }
    return 0;
}

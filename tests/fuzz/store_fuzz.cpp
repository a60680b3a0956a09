// The settings store file reader. Whatever it accepts, it writes back in a form it reads again to
// the same document: a save never turns a readable store into one it cannot read.
#include "platform/reg_text.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    platform::RegDocument document;
    if (!document.Parse(std::string_view(reinterpret_cast<const char*>(data), size))) {
        return 0;
    }
    const std::string saved = document.Serialize();
    platform::RegDocument again;
    if (!again.Parse(saved) || again.Serialize() != saved) {
        std::abort();
    }
    return 0;
}

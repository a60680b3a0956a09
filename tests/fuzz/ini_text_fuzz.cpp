// The in-memory INI parser (the published version file arrives this way).
#include "settings/ini_text.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    CKvIniFileEx ini;
    if (ini.Parse(text.c_str())) {
        if (const char* version = ini.FindUpdateVersion(); version != nullptr) {
            volatile std::size_t length = std::string(version).size();
            (void)length;
        }
    }
    TokenList tokens;
    tokens.Split(text.c_str(), '=');
    tokens.TrimLeftAll();
    tokens.TrimRightAll();
    std::string copy = text;
    TrimSet(copy.data(), " \t\r\n[]");
    return 0;
}

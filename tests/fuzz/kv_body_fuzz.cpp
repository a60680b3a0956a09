// The key/value reply body parser and every typed read of its pairs.
#include "serverlink/kv_cmd.h"

#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 20000) {
        return 0;
    }
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    CKvRcvCmd reply;
    reply.ParseBody(static_cast<int>(size), text.data(), 1);
    for (const char* name : {"AuthCode", "Result", "GroupID", "IsAdmin", "", "a"}) {
        std::string s;
        char buffer[16];
        std::int32_t i32 = 0;
        std::uint32_t u32 = 0;
        std::int64_t i64 = 0;
        std::uint64_t u64 = 0;
        std::int16_t i16 = 0;
        std::uint16_t u16 = 0;
        double d = 0;
        float f = 0;
        SystemTime t;
        reply.Param(name, s);
        reply.Param(name, buffer, sizeof buffer);
        reply.Param(name, i32);
        reply.Param(name, u32);
        reply.Param(name, i64);
        reply.Param(name, u64);
        reply.Param(name, i16);
        reply.Param(name, u16);
        reply.Param(name, d);
        reply.Param(name, f);
        reply.Param(name, t);
    }
    return 0;
}

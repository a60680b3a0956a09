#include "platform/text.h"

#include <cerrno>
#include <iconv.h>

namespace platform {
namespace {

// One conversion through iconv. A byte sequence the source code page does not know, or a character
// the target cannot hold, is replaced and the conversion goes on: a whole text is never lost for one
// bad byte.
std::string Convert(std::string_view in, const char* to, const char* from, std::string_view replacement,
                    std::size_t badInputStep)
{
    std::string out;
    if (in.empty()) {
        return out;
    }
    iconv_t cd = iconv_open(to, from);
    // iconv_open reports failure as (iconv_t)-1.
    if (cd == reinterpret_cast<iconv_t>(-1)) { // NOLINT(performance-no-int-to-ptr)
        return std::string(in);
    }
    out.reserve(in.size() * 2);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char buffer[1024];
    while (srcLeft > 0) {
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, sizeof buffer - dstLeft);
        if (rc != static_cast<std::size_t>(-1)) {
            continue;
        }
        if (errno == E2BIG) {
            continue;
        }
        // EILSEQ or EINVAL (truncated sequence at the end): replace and skip.
        out.append(replacement);
        std::size_t skip = errno == EINVAL ? srcLeft : badInputStep;
        if (errno == EILSEQ && badInputStep == 0) {
            // Skip one whole UTF-8 character.
            skip = 1;
            while (skip < srcLeft && (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80) {
                ++skip;
            }
        }
        if (skip > srcLeft) {
            skip = srcLeft;
        }
        src += skip;
        srcLeft -= skip;
    }
    iconv_close(cd);
    return out;
}

} // namespace

std::string Cp949ToUtf8(std::string_view cp949)
{
    return Convert(cp949, "UTF-8", "CP949", "\xEF\xBF\xBD", 1);
}

std::string Utf8ToCp949(std::string_view utf8)
{
    return Convert(utf8, "CP949", "UTF-8", "?", 0);
}

} // namespace platform

#include "platform/profile.h"

#include "platform/text.h"

#include <fstream>
#include <iterator>

namespace platform {
namespace {

std::string_view Trim(std::string_view s)
{
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && blank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

} // namespace

bool ReadProfileString(const std::string& path, std::string_view section, std::string_view key,
                       std::string& value)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text.erase(0, 3);
    }
    if (!IsAscii(text) && IsValidUtf8(text)) {
        text = Utf8ToCp949(text);
    }

    bool inSection = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string_view line = Trim(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            std::string_view name = line.substr(1);
            name = name.substr(0, name.find(']'));
            inSection = MbsEqualNoCase(Trim(name), section);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos ||
            !MbsEqualNoCase(Trim(line.substr(0, equals)), key)) {
            continue;
        }
        std::string_view found = Trim(line.substr(equals + 1));
        if (found.size() >= 2 && found.front() == '"' && found.back() == '"') {
            found = found.substr(1, found.size() - 2);
        }
        value.assign(found);
        return true;
    }
    return false;
}

} // namespace platform

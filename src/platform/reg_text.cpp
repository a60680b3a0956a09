#include "platform/reg_text.h"

#include "platform/text.h"

#include <cstdio>
#include <cstring>

namespace platform {
namespace {

const char kHeader4[] = "REGEDIT4";
const char kHeader5[] = "Windows Registry Editor Version 5.00";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// UTF-16LE (without its byte-order mark) to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes)
{
    std::string out;
    const std::size_t units = bytes.size() / 2;
    auto unit = [&](std::size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    };
    for (std::size_t i = 0; i < units; ++i) {
        char32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

// Reads a quoted string starting at text[pos] == '"'; pos ends after the closing quote.
bool ReadQuoted(std::string_view text, std::size_t& pos, std::string& out)
{
    out.clear();
    ++pos;
    while (pos < text.size()) {
        const char c = text[pos++];
        if (c == '"') {
            return true;
        }
        if (c == '\\' && pos < text.size()) {
            out += text[pos++];
        } else {
            out += c;
        }
    }
    return false;
}

bool ParseHexBytes(std::string_view list, std::vector<std::uint8_t>& out)
{
    out.clear();
    std::size_t pos = 0;
    list = TrimBlanks(list);
    if (list.empty()) {
        return true;
    }
    while (pos <= list.size()) {
        std::size_t comma = list.find(',', pos);
        if (comma == std::string_view::npos) {
            comma = list.size();
        }
        const std::string_view item = TrimBlanks(list.substr(pos, comma - pos));
        if (item.empty() || item.size() > 2) {
            return false;
        }
        int value = 0;
        for (char c : item) {
            const int d = HexDigit(c);
            if (d < 0) {
                return false;
            }
            value = value * 16 + d;
        }
        out.push_back(static_cast<std::uint8_t>(value));
        pos = comma + 1;
    }
    return true;
}

bool ParseData(std::string_view data, RegValue& value)
{
    data = TrimBlanks(data);
    if (!data.empty() && data.front() == '"') {
        std::size_t pos = 0;
        std::string text;
        if (!ReadQuoted(data, pos, text) || !TrimBlanks(data.substr(pos)).empty()) {
            return false;
        }
        value.Type = RegSz;
        value.Data.assign(text.begin(), text.end());
        return true;
    }
    auto startsWithNoCase = [&](const char* prefix) {
        const std::size_t n = std::strlen(prefix);
        return data.size() >= n && MbsEqualNoCase(data.substr(0, n), prefix);
    };
    if (startsWithNoCase("dword:")) {
        const std::string_view digits = TrimBlanks(data.substr(6));
        if (digits.empty() || digits.size() > 8) {
            return false;
        }
        std::uint32_t v = 0;
        for (char c : digits) {
            const int d = HexDigit(c);
            if (d < 0) {
                return false;
            }
            v = v * 16 + static_cast<std::uint32_t>(d);
        }
        value.Type = RegDword;
        value.Data = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                      static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
        return true;
    }
    if (startsWithNoCase("hex:")) {
        value.Type = RegBinary;
        return ParseHexBytes(data.substr(4), value.Data);
    }
    if (startsWithNoCase("hex(")) {
        const std::size_t close = data.find("):");
        if (close == std::string_view::npos || close == 4 || close > 12) {
            return false;
        }
        std::uint32_t type = 0;
        for (char c : data.substr(4, close - 4)) {
            const int d = HexDigit(c);
            if (d < 0) {
                return false;
            }
            type = type * 16 + static_cast<std::uint32_t>(d);
        }
        value.Type = type;
        return ParseHexBytes(data.substr(close + 2), value.Data);
    }
    return false;
}

void AppendEscaped(std::string& out, std::string_view text)
{
    out += '"';
    for (char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    out += '"';
}

void AppendHex(std::string& out, const std::vector<std::uint8_t>& data)
{
    static const char digits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        out += digits[data[i] >> 4];
        out += digits[data[i] & 0xF];
    }
}

// A string value that a quoted form could not carry back unchanged goes out as hex(1).
bool QuotableText(const std::vector<std::uint8_t>& data)
{
    for (std::uint8_t b : data) {
        if (b == 0 || b == '\r' || b == '\n') {
            return false;
        }
    }
    return true;
}

bool IsBelow(std::string_view path, std::string_view parent)
{
    return path.size() > parent.size() && path[parent.size()] == '\\' &&
           MbsEqualNoCase(path.substr(0, parent.size()), parent);
}

} // namespace

RegValue* RegKeyEntry::FindValue(std::string_view name)
{
    for (RegValue& value : Values) {
        if (MbsEqualNoCase(value.Name, name)) {
            return &value;
        }
    }
    return nullptr;
}

void RegKeyEntry::SetValue(std::string_view name, std::uint32_t type, const void* data, std::size_t size)
{
    RegValue* value = FindValue(name);
    if (value == nullptr) {
        Values.push_back(RegValue{std::string(name), type, {}});
        value = &Values.back();
    }
    value->Type = type;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    value->Data.assign(bytes, bytes + size);
}

RegKeyEntry* RegDocument::FindKey(std::string_view path)
{
    for (RegKeyEntry& key : Keys) {
        if (MbsEqualNoCase(key.Path, path)) {
            return &key;
        }
    }
    return nullptr;
}

RegKeyEntry& RegDocument::AddKey(std::string_view path)
{
    auto at = Keys.begin();
    while (at != Keys.end() && !IsBelow(at->Path, path)) {
        ++at;
    }
    return *Keys.insert(at, RegKeyEntry{std::string(path), {}});
}

bool RegDocument::Parse(std::string_view fileBytes, std::string* error)
{
    Keys.clear();
    auto fail = [&](std::size_t lineNumber, const char* reason) {
        Keys.clear();
        if (error != nullptr) {
            *error = "line " + std::to_string(lineNumber) + ": " + reason;
        }
        return false;
    };

    std::string text;
    bool unicode = false;
    if (fileBytes.size() >= 2 && static_cast<unsigned char>(fileBytes[0]) == 0xFF &&
        static_cast<unsigned char>(fileBytes[1]) == 0xFE) {
        text = Utf8ToCp949(Utf16LeToUtf8(fileBytes.substr(2)));
        unicode = true;
    } else {
        text.assign(fileBytes);
    }

    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        lines.push_back(std::string_view(text).substr(start, end - start));
        start = end + 1;
    }

    std::size_t i = 0;
    while (i < lines.size() && TrimBlanks(lines[i]).empty()) {
        ++i;
    }
    if (i == lines.size()) {
        return true;
    }
    const std::string_view header = TrimBlanks(lines[i]);
    if (!(header == kHeader4 && !unicode) && header != kHeader5) {
        return fail(i + 1, "not a registry export");
    }
    ++i;

    RegKeyEntry* current = nullptr;
    for (; i < lines.size(); ++i) {
        const std::size_t lineNumber = i + 1;
        std::string_view line = TrimBlanks(lines[i]);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3 || line[1] == '-') {
                return fail(lineNumber, "bad key line");
            }
            const std::string_view path = line.substr(1, line.size() - 2);
            current = FindKey(path);
            if (current == nullptr) {
                Keys.push_back(RegKeyEntry{std::string(path), {}});
                current = &Keys.back();
            }
            continue;
        }
        if (current == nullptr) {
            return fail(lineNumber, "value outside a key");
        }
        std::string name;
        std::size_t pos = 0;
        if (line.front() == '@') {
            pos = 1;
        } else if (line.front() != '"' || !ReadQuoted(line, pos, name)) {
            return fail(lineNumber, "bad value name");
        }
        while (pos < line.size() && IsBlank(line[pos])) {
            ++pos;
        }
        if (pos >= line.size() || line[pos] != '=') {
            return fail(lineNumber, "missing '='");
        }
        std::string data(line.substr(pos + 1));
        // hex lists may go on over several lines, each but the last ending in '\'.
        for (std::string_view trimmed = TrimBlanks(data); !trimmed.empty() && trimmed.back() == '\\';
             trimmed = TrimBlanks(data)) {
            data = std::string(trimmed.substr(0, trimmed.size() - 1));
            if (++i >= lines.size()) {
                return fail(lineNumber, "continued line at the end of the file");
            }
            data += TrimBlanks(lines[i]);
        }
        RegValue value;
        if (!ParseData(data, value)) {
            return fail(lineNumber, "bad value data");
        }
        current->SetValue(name, value.Type, value.Data.data(), value.Data.size());
    }
    return true;
}

std::string RegDocument::Serialize() const
{
    std::string out = kHeader4;
    out += "\r\n";
    for (const RegKeyEntry& key : Keys) {
        out += "\r\n[";
        out += key.Path;
        out += "]\r\n";
        for (const RegValue& value : key.Values) {
            if (value.Name.empty()) {
                out += '@';
            } else {
                AppendEscaped(out, value.Name);
            }
            out += '=';
            if (value.Type == RegSz && QuotableText(value.Data)) {
                AppendEscaped(out, std::string_view(reinterpret_cast<const char*>(value.Data.data()),
                                                    value.Data.size()));
            } else if (value.Type == RegDword && value.Data.size() == 4) {
                const std::uint32_t v = value.Data[0] | (value.Data[1] << 8) | (value.Data[2] << 16) |
                                        (static_cast<std::uint32_t>(value.Data[3]) << 24);
                char digits[16];
                std::snprintf(digits, sizeof digits, "%08x", v);
                out += "dword:";
                out += digits;
            } else if (value.Type == RegBinary) {
                out += "hex:";
                AppendHex(out, value.Data);
            } else {
                char prefix[24];
                std::snprintf(prefix, sizeof prefix, "hex(%x):", value.Type);
                out += prefix;
                AppendHex(out, value.Data);
            }
            out += "\r\n";
        }
    }
    return out;
}

} // namespace platform

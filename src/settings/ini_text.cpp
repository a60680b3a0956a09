#include "settings/ini_text.h"

#include "platform/text.h"

#include <cstring>
#include <new>

namespace {

const char kWhitespace[] = " \t\r\n";
const char kSectionTrim[] = "[] \t\r\n";

} // namespace

char* TrimSet(char* text, const char* set)
{
    if (*text == '\0') {
        return text;
    }
    char* start = text;
    while (*start != '\0' && std::strchr(set, *start) != nullptr) {
        ++start;
    }
    if (*start == '\0') {
        return start;
    }
    for (char* end = start + std::strlen(start) - 1; end >= start && std::strchr(set, *end) != nullptr;
         --end) {
        *end = '\0';
    }
    return start;
}

int TokenList::Split(const char* text, char separator)
{
    Clear();
    m_flags = 3;
    if (*text == '\0') {
        return 0;
    }
    const std::size_t length = std::strlen(text);
    m_data = new (std::nothrow) char[length + 1];
    if (m_data == nullptr) {
        Clear();
        return -2;
    }
    std::memcpy(m_data, text, length + 1);

    char* starts[MaxPieces];
    int recorded = 0;
    char* pieceStart = m_data;
    for (char* p = m_data; *p != '\0'; ++p) {
        if (recorded == MaxPieces) {
            Clear();
            return -1;
        }
        if (*p == separator) {
            *p = '\0';
            starts[recorded++] = pieceStart;
            pieceStart = p + 1;
        }
    }
    if (*pieceStart != '\0') {
        if (recorded == MaxPieces) {
            Clear();
            return -1;
        }
        starts[recorded++] = pieceStart;
    }
    m_pieces.reset(new (std::nothrow) char*[static_cast<std::size_t>(recorded)]);
    if (recorded > 0 && m_pieces == nullptr) {
        Clear();
        return -2;
    }
    std::copy(starts, starts + recorded, m_pieces.get());
    m_count = recorded;
    return m_count;
}

void TokenList::Clear()
{
    if ((m_flags & OwnsData) != 0) {
        delete[] m_data;
    }
    m_data = nullptr;
    m_pieces.reset();
    m_count = 0;
    m_flags = 0;
}

void TokenList::TrimLeftAll()
{
    for (int i = 0; i < m_count; ++i) {
        char* const original = m_pieces[i];
        for (const char* w = kWhitespace; *w != '\0'; ++w) {
            if (*original != *w) {
                continue;
            }
            const char* run = original;
            while (*run == *w) {
                ++run;
            }
            m_pieces[i] = const_cast<char*>(run);
        }
    }
}

void TokenList::TrimRightAll()
{
    for (int i = 0; i < m_count; ++i) {
        char* const piece = m_pieces[i];
        const std::ptrdiff_t length = static_cast<std::ptrdiff_t>(std::strlen(piece));
        for (const char* w = kWhitespace; *w != '\0'; ++w) {
            std::ptrdiff_t pos = length - 1;
            while (pos >= 0 && piece[pos] == *w) {
                --pos;
            }
            piece[pos + 1] = '\0';
        }
    }
}

bool CKvIniFileEx::AddSection(const char* name)
{
    auto* section = new (std::nothrow) CKvIniSection;
    if (section == nullptr) {
        return false;
    }
    section->Name = name;
    m_sections.push_back(section);
    m_current = section;
    return true;
}

bool CKvIniFileEx::AddValue(const char* key, const char* value)
{
    if (m_current == nullptr) {
        return false;
    }
    auto* pair = new (std::nothrow) CKvIniValue{key, value};
    if (pair == nullptr) {
        return false;
    }
    m_current->push_back(pair);
    return true;
}

bool CKvIniFileEx::Parse(const char* text)
{
    TokenList tokens;
    const char* p = text;
    while (*p != '\0') {
        const char* terminator = p;
        while (*terminator != '\0' && *terminator != '\n' && *terminator != '\r') {
            ++terminator;
        }
        if (*terminator == '\0') {
            break;
        }
        const char* next = terminator + 1;
        if (*terminator == '\r' && *next == '\n') {
            ++next;
        }

        // Longer lines are cut to the buffer; the rest of such a line is never read as a line of its own.
        char line[LineBufferSize];
        const std::size_t length =
            platform::Cp949CutLength(p, static_cast<std::size_t>(next - p), LineBufferSize - 1);
        std::memcpy(line, p, length);
        line[length] = '\0';
        p = next;

        if (char* comment = std::strchr(line, ';')) {
            *comment = '\0';
        }
        char* content = TrimSet(line, kWhitespace);
        if (std::strlen(content) < 3) {
            continue;
        }
        if (content[0] == '[') {
            if (std::strchr(content, ']') != nullptr) {
                AddSection(TrimSet(content + 1, kSectionTrim));
            }
            continue;
        }
        if (tokens.Split(content, '=') == 2) {
            AddValue(TrimSet(tokens.Piece(0), kWhitespace), TrimSet(tokens.Piece(1), kWhitespace));
        }
        tokens.Clear();
    }
    return true;
}

const char* CKvIniFileEx::FindUpdateVersion() const
{
    for (const CKvIniSection* section : m_sections) {
        if (!platform::MbsEqualNoCase(section->Name, "Update")) {
            continue;
        }
        for (const CKvIniValue* pair : *section) {
            if (platform::MbsEqualNoCase(pair->Key, "Version")) {
                return pair->Value.c_str();
            }
        }
        return nullptr;
    }
    return nullptr;
}

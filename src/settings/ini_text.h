#pragma once

// INI text held in memory (the published version file arrives this way):
//
//   [Update]            ; a section header; the name is trimmed of "[] \t\r\n"
//   Version = 5         ; key = value, both trimmed; ';' starts a comment anywhere on the line
//
// A line ends at LF, CR LF or a lone CR; a last line without a line end is not read. Pairs before the
// first header are dropped; a line that splits on '=' into anything but two pieces is skipped.
// Duplicate sections and keys are kept; lookups take the first.

#include <memory>
#include <string>
#include <vector>

// Splits a text on one separator into at most MaxPieces pieces, in place in a copy of the text.
class TokenList
{
public:
    static constexpr int MaxPieces = 1024;
    static constexpr unsigned OwnsData = 2;

    TokenList() = default;
    TokenList(const TokenList&) = delete;
    TokenList& operator=(const TokenList&) = delete;
    ~TokenList() { Clear(); }

    // Number of pieces; 0 for an empty text, -1 for more than MaxPieces, -2 when memory runs out (the
    // list is then empty). Empty pieces between separators count; an empty last piece does not.
    int Split(const char* text, char separator);
    void Clear();
    // Each removes only the run of the one whitespace character the piece starts (or ends) with.
    void TrimLeftAll();
    void TrimRightAll();

    int Count() const { return m_count; }
    char* Piece(int index) const { return m_pieces[index]; }

private:
    char* m_data = nullptr;
    std::unique_ptr<char*[]> m_pieces;
    int m_count = 0;
    unsigned m_flags = 0;
};

// Removes every character of set from both ends of text, in place; returns the new start.
char* TrimSet(char* text, const char* set);

template <typename T> class CKvStlArray : public std::vector<T*>
{
public:
    CKvStlArray() = default;
    CKvStlArray(const CKvStlArray&) = delete;
    CKvStlArray& operator=(const CKvStlArray&) = delete;
    virtual ~CKvStlArray() { DeleteAll(); }

    void DeleteAll()
    {
        for (T* element : *this) {
            delete element;
        }
        this->clear();
    }
};

struct CKvIniValue
{
    std::string Key;
    std::string Value;
};

class CKvIniValueArray : public CKvStlArray<CKvIniValue>
{
public:
    std::string Name;
};
using CKvIniSection = CKvIniValueArray;

class CKvIniSectionArray : public CKvStlArray<CKvIniSection>
{
};

class CKvIniFileEx
{
public:
    static constexpr std::size_t LineBufferSize = 1024;

    CKvIniFileEx() = default;
    CKvIniFileEx(const CKvIniFileEx&) = delete;
    CKvIniFileEx& operator=(const CKvIniFileEx&) = delete;
    virtual ~CKvIniFileEx() = default;

    // Appends what the text holds. A line too long for the line buffer is cut to fit.
    bool Parse(const char* text);
    bool AddSection(const char* name);
    bool AddValue(const char* key, const char* value);
    // [Update] Version of the first section named Update; null when that section lacks the key.
    const char* FindUpdateVersion() const;

    const CKvIniSectionArray& Sections() const { return m_sections; }

private:
    CKvIniSection* m_current = nullptr;
    CKvIniSectionArray m_sections;
};

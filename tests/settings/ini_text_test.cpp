#include "settings/ini_text.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::vector<std::string> Pieces(const TokenList& tokens)
{
    std::vector<std::string> out;
    for (int i = 0; i < tokens.Count(); ++i) {
        out.emplace_back(tokens.Piece(i));
    }
    return out;
}

} // namespace

TEST(IniText, FindsThePublishedVersion)
{
    struct Row
    {
        const char* name;
        std::string text;
        const char* version; // null: none
    } rows[] = {
        {"CR LF lines", "[Update]\r\nVersion=5\r\n", "5"},
        {"last line without an end is not read", "[Update]\r\nVersion=5", nullptr},
        {"case, blanks and a comment", "[update]\r\nversion = 5 ; the new one\r\n", "5"},
        {"first Update section without Version", "[Update]\r\nOther=1\r\n[Update]\r\nVersion=6\r\n", nullptr},
        {"pair before any section is dropped", "Version=5\r\n[Update]\r\n", nullptr},
        {"lone CR lines", "[Update]\rVersion=7\r", "7"},
        {"LF lines", "[Update]\nVersion=8\n", "8"},
        {"value with '=' is skipped", "[Update]\r\nVersion=1=2\r\nVersion=3\r\n", "3"},
        {"key with nothing after '='", "[Update]\r\nVersion=\r\nVersion=4\r\n", "4"},
        {"comment inside the value", "[Update]\r\nVersion=9;0\r\n", "9"},
        {"header without ']' is skipped", "[Update\r\nVersion=2\r\n", nullptr},
        {"a two-character line is skipped", "[Update]\r\n[]\r\nVersion=5\r\n", "5"},
        {"other section first", "[Main]\r\nVersion=1\r\n[Update]\r\nVersion=2\r\n", "2"},
        {"empty text", "", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CKvIniFileEx ini;
        EXPECT_TRUE(ini.Parse(row.text.c_str()));
        const char* found = ini.FindUpdateVersion();
        if (row.version == nullptr) {
            EXPECT_EQ(found, nullptr) << found;
        } else {
            ASSERT_NE(found, nullptr);
            EXPECT_STREQ(found, row.version);
        }
    }
}

TEST(IniText, KeepsSectionNamesAndDuplicates)
{
    CKvIniFileEx ini;
    ini.Parse("[a]b]\r\n=value\r\n[ x ]\r\nk=1\r\nk=2\r\n[ x ]\r\n");
    const CKvIniSectionArray& sections = ini.Sections();
    ASSERT_EQ(sections.size(), 3u);
    EXPECT_EQ(sections[0]->Name, "a]b");
    ASSERT_EQ(sections[0]->size(), 1u);
    EXPECT_EQ((*sections[0])[0]->Key, "");
    EXPECT_EQ((*sections[0])[0]->Value, "value");
    EXPECT_EQ(sections[1]->Name, "x");
    EXPECT_EQ(sections[1]->size(), 2u);
    EXPECT_EQ(sections[2]->Name, "x");
    EXPECT_FALSE(CKvIniFileEx().AddValue("k", "v")) << "no section to add to";
}

TEST(IniText, CutsLinesLongerThanTheBuffer)
{
    // Runs under AddressSanitizer too: the line buffer must never be overrun.
    const std::string longValue(5000, '7');
    CKvIniFileEx ini;
    ini.Parse(("[Update]\r\nNote=" + longValue + "\r\nVersion=" + longValue + "\r\n").c_str());
    const char* found = ini.FindUpdateVersion();
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(std::strlen(found), CKvIniFileEx::LineBufferSize - 1 - std::strlen("Version="));
}

TEST(TokenList, SplitsOnOneCharacter)
{
    struct Row
    {
        const char* name;
        std::string text;
        int count;
        std::vector<std::string> pieces;
    } rows[] = {
        {"empty middle piece, empty end dropped", "a||b|", 3, {"a", "", "b"}},
        {"leading separator", "|a", 2, {"", "a"}},
        {"empty text", "", 0, {}},
        {"no separator", "abc", 1, {"abc"}},
        {"1023 separators then text", std::string(1023, '|') + "x", 1024, {}},
        {"1024 separators then text", std::string(1024, '|') + "x", -1, {}},
        {"1024th separator is the last character", std::string(1024, '|'), 1024, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TokenList tokens;
        EXPECT_EQ(tokens.Split(row.text.c_str(), '|'), row.count);
        if (row.count <= 0) {
            EXPECT_EQ(tokens.Count(), 0);
        }
        if (!row.pieces.empty()) {
            EXPECT_EQ(Pieces(tokens), row.pieces);
        }
    }
}

TEST(TokenList, TrimsOnlyTheRunOfTheFirstOrLastWhitespace)
{
    struct Row
    {
        const char* name;
        std::string piece;
        std::string left;
        std::string right;
    } rows[] = {
        {"tab, space, letter", "\t a", " a", "\t a"},
        {"two spaces, letter", "  a", "a", "  a"},
        {"space, tab, letter", " \ta", "\ta", " \ta"},
        {"letter, CR, LF", "a\r\n", "a\r\n", "a\r"},
        {"letter, space, CR, LF", "a \r\n", "a \r\n", "a \r"},
        {"two tabs at the end", "a\t\t", "a\t\t", "a"},
        {"blanks only", "   ", "", ""},
        {"empty", "", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string text = row.piece + "|x";
        TokenList left;
        left.Split(text.c_str(), '|');
        left.TrimLeftAll();
        EXPECT_EQ(std::string(left.Piece(0)), row.left);
        TokenList right;
        right.Split(text.c_str(), '|');
        right.TrimRightAll();
        EXPECT_EQ(std::string(right.Piece(0)), row.right);
    }
}

TEST(TrimSet, RemovesAnyMixFromBothEnds)
{
    struct Row
    {
        const char* name;
        std::string text;
        const char* set;
        std::string result;
    } rows[] = {
        {"mixed ends", " \t\r\nkey \r\n\t", " \t\r\n", "key"},
        {"inside kept", " a b ", " ", "a b"},
        {"all in set", " \t ", " \t", ""},
        {"empty", "", " ", ""},
        {"section brackets", "[ Update ]", "[] \t\r\n", "Update"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<char> buffer(row.text.begin(), row.text.end());
        buffer.push_back('\0');
        EXPECT_EQ(std::string(TrimSet(buffer.data(), row.set)), row.result);
    }
}

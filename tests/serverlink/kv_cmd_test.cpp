#include "serverlink/kv_cmd.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

std::string BodyOf(const CKvSndCmd& cmd)
{
    return std::string(cmd.Body(), static_cast<std::size_t>(cmd.BodyLength()));
}

std::vector<std::pair<std::string, std::string>> PairsOf(const CKvRcvCmd& cmd)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const CKvCmd::CCmd* pair : cmd.Pairs()) {
        pairs.emplace_back(pair->Name, pair->Value);
    }
    return pairs;
}

} // namespace

TEST(SndCmd, WritesEveryValueType)
{
    struct Row
    {
        const char* name;
        std::function<void(CKvSndCmd&)> append;
        std::string body;
    } rows[] = {
        {"date and time",
         [](CKvSndCmd& c) {
             SystemTime t{2024, 3, 2, 5, 7, 8, 9, 123};
             c.Param("T", t);
         },
         "T=20240305070809"},
        {"double",
         [](CKvSndCmd& c) {
             double v = 3.5;
             c.Param("D", v);
         },
         "D=3.500000"},
        {"negative double",
         [](CKvSndCmd& c) {
             double v = -0.25;
             c.Param("D", v);
         },
         "D=-0.250000"},
        {"float",
         [](CKvSndCmd& c) {
             float v = 1.25f;
             c.Param("F", v);
         },
         "F=1.250000"},
        {"int64",
         [](CKvSndCmd& c) {
             std::int64_t v = -5000000000;
             c.Param("L", v);
         },
         "L=-5000000000"},
        {"uint64",
         [](CKvSndCmd& c) {
             std::uint64_t v = 5000000000;
             c.Param("L", v);
         },
         "L=5000000000"},
        {"int32",
         [](CKvSndCmd& c) {
             std::int32_t v = 1;
             c.Param("Type", v);
         },
         "Type=1"},
        {"uint32",
         [](CKvSndCmd& c) {
             std::uint32_t v = 4000000000u;
             c.Param("U", v);
         },
         "U=-294967296"},
        {"uint16",
         [](CKvSndCmd& c) {
             std::uint16_t v = 65535;
             c.Param("W", v);
         },
         "W=65535"},
        {"int16",
         [](CKvSndCmd& c) {
             std::int16_t v = -2;
             c.Param("S", v);
         },
         "S=-2"},
        {"buffer",
         [](CKvSndCmd& c) {
             char v[8] = "abc";
             c.Param("B", v, 8);
         },
         "B=abc"},
        {"null buffer", [](CKvSndCmd& c) { c.Param("B", nullptr, 0); }, "B="},
        {"string",
         [](CKvSndCmd& c) {
             std::string v = "x=y";
             c.Param("S", v);
         },
         "S=x=y"},
        {"empty string",
         [](CKvSndCmd& c) {
             std::string v;
             c.Param("S", v);
         },
         "S="},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CKvSndCmd cmd;
        row.append(cmd);
        EXPECT_EQ(BodyOf(cmd), row.body);
    }
}

TEST(SndCmd, SeparatesPairsWithOneByteAndKeepsTheLocaleOut)
{
    setlocale(LC_NUMERIC, "de_DE.UTF-8"); // harmless where that locale is not installed
    CKvSndCmd cmd;
    std::string id = "kim", pw = "pw", mac = "001122AABBCC";
    std::int32_t type = 1;
    double ratio = 0.5;
    cmd.Param("ID", id);
    cmd.Param("PW", pw);
    cmd.Param("Mac", mac);
    cmd.Param("Type", type);
    cmd.Param("R", ratio);
    setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(BodyOf(cmd), "ID=kim\x01PW=pw\x01Mac=001122AABBCC\x01Type=1\x01R=0.500000");
}

TEST(SndCmd, RefusesAPairThatWouldNotFit)
{
    CKvSndCmd cmd;
    std::string big(CKvSndCmd::BodyAreaSize - 3, 'v'); // "A=" + value + zero byte fills the area exactly
    ASSERT_TRUE(cmd.Param("A", big));
    EXPECT_EQ(cmd.BodyLength(), CKvSndCmd::BodyAreaSize - 1);
    std::string more = "x";
    EXPECT_FALSE(cmd.Param("B", more));
    EXPECT_EQ(cmd.BodyLength(), CKvSndCmd::BodyAreaSize - 1) << "a refused pair leaves the body as it was";

    CKvSndCmd other;
    std::string tooBig(CKvSndCmd::BodyAreaSize - 2, 'v');
    EXPECT_FALSE(other.Param("A", tooBig));
    EXPECT_EQ(other.BodyLength(), 0);
}

TEST(RcvCmd, ParsesBodies)
{
    struct Row
    {
        const char* name;
        std::string body;
        bool result;
        std::vector<std::pair<std::string, std::string>> pairs;
    } rows[] = {
        {"pairs",
         "A=1\x01"
         "B=2",
         true,
         {{"A", "1"}, {"B", "2"}}},
        {"value with '='", "K=a=b=c", true, {{"K", "a=b=c"}}},
        {"empty name, empty value", "=x\x01k=", true, {{"", "x"}, {"k", ""}}},
        {"empty middle segment",
         "A=1\x01\x01"
         "B=2",
         false,
         {{"A", "1"}}},
        {"last segment without '='",
         "A=1\x01"
         "B",
         true,
         {{"A", "1"}}},
        {"middle segment without '='",
         "A=1\x01"
         "B\x01"
         "C=3",
         false,
         {{"A", "1"}}},
        {"trailing separator", "A=1\x01", true, {{"A", "1"}}},
        {"empty body", "", true, {}},
        {"korean value", "N=\xB1\xE8", true, {{"N", "\xB1\xE8"}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (int copy : {1, 0}) {
            std::vector<char> text(row.body.begin(), row.body.end());
            text.push_back('\0');
            CKvRcvCmd cmd;
            EXPECT_EQ(cmd.ParseBody(static_cast<int>(row.body.size()), text.data(), copy), row.result);
            EXPECT_EQ(PairsOf(cmd), row.pairs);
            if (copy != 0) {
                EXPECT_EQ(std::string(text.data(), row.body.size()), row.body)
                    << "a copy leaves the text alone";
            }
        }
    }
}

TEST(RcvCmd, ANegativeLengthRunsToTheZeroByteAndReparsingReplacesPairs)
{
    char text[] = "A=1\x01"
                  "B=2\0C=3";
    CKvRcvCmd cmd;
    ASSERT_TRUE(cmd.ParseBody(-1, text, 1));
    EXPECT_EQ(PairsOf(cmd).size(), 2u);
    char next[] = "Z=9";
    ASSERT_TRUE(cmd.ParseBody(3, next, 1));
    EXPECT_EQ(PairsOf(cmd), (std::vector<std::pair<std::string, std::string>>{{"Z", "9"}}));
    cmd.ClearPairs();
    EXPECT_TRUE(cmd.Pairs().IsEmpty());
}

TEST(RcvCmd, LooksNamesUpAndConverts)
{
    char text[] = "AuthCode=A1\x01"
                  "authcode=second\x01"
                  "Short=70000\x01"
                  "Neg=-2\x01"
                  "F=3.5\x01"
                  "Big=-5000000000\x01"
                  "T=20240305070809\x01"
                  "T13=2024030507080\x01"
                  "Junk=  +12abc\x01"
                  "Word=abc\x01"
                  "Dbl= 2.5e2x\x01"
                  "Huge=3000000000\x01"
                  "Tiny=-3000000000";
    CKvRcvCmd cmd;
    ASSERT_TRUE(cmd.ParseBody(-1, text, 1));

    std::string s = "stale";
    EXPECT_TRUE(cmd.Param("authcode", s));
    EXPECT_EQ(s, "A1") << "the first occurrence wins, whatever the case";
    EXPECT_FALSE(cmd.Param("Missing", s));
    EXPECT_EQ(s, "");

    char buffer[3] = "zz";
    EXPECT_TRUE(cmd.Param("AuthCode", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "A1");
    char tiny[2] = "z";
    EXPECT_TRUE(cmd.Param("Word", tiny, sizeof tiny));
    EXPECT_STREQ(tiny, "a");
    EXPECT_FALSE(cmd.Param("Missing", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "");

    std::uint16_t u16 = 1;
    EXPECT_TRUE(cmd.Param("Short", u16));
    EXPECT_EQ(u16, 4464);
    std::int16_t i16 = 1;
    EXPECT_TRUE(cmd.Param("Neg", i16));
    EXPECT_EQ(i16, -2);
    std::int32_t i32 = 7;
    EXPECT_TRUE(cmd.Param("Junk", i32));
    EXPECT_EQ(i32, 12);
    EXPECT_TRUE(cmd.Param("Word", i32));
    EXPECT_EQ(i32, 0);
    EXPECT_FALSE(cmd.Param("Missing", i32));
    EXPECT_EQ(i32, 0);
    // Beyond 32 bits the narrow reads clamp as atoi does, then the 16-bit ones take the low bits.
    EXPECT_TRUE(cmd.Param("Huge", i32));
    EXPECT_EQ(i32, 2147483647);
    EXPECT_TRUE(cmd.Param("Tiny", i32));
    EXPECT_EQ(i32, -2147483647 - 1);
    std::uint32_t huge = 0;
    EXPECT_TRUE(cmd.Param("Huge", huge));
    EXPECT_EQ(huge, 2147483647u);
    EXPECT_TRUE(cmd.Param("Huge", i16));
    EXPECT_EQ(i16, -1);
    EXPECT_TRUE(cmd.Param("Tiny", u16));
    EXPECT_EQ(u16, 0);
    std::uint32_t u32 = 7;
    EXPECT_TRUE(cmd.Param("Neg", u32));
    EXPECT_EQ(u32, 4294967294u);
    std::int64_t i64 = 0;
    EXPECT_TRUE(cmd.Param("Big", i64));
    EXPECT_EQ(i64, -5000000000);
    std::uint64_t u64 = 1;
    EXPECT_FALSE(cmd.Param("Missing", u64));
    EXPECT_EQ(u64, 0u);
    float f = 0;
    EXPECT_TRUE(cmd.Param("F", f));
    EXPECT_EQ(f, 3.5f);
    double d = 1;
    EXPECT_TRUE(cmd.Param("Dbl", d));
    EXPECT_EQ(d, 250.0);
    EXPECT_FALSE(cmd.Param("Missing", d));
    EXPECT_EQ(d, 0.0);

    SystemTime t{1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_TRUE(cmd.Param("T", t));
    EXPECT_EQ(t.Year, 2024);
    EXPECT_EQ(t.Month, 3);
    EXPECT_EQ(t.Day, 5);
    EXPECT_EQ(t.Hour, 7);
    EXPECT_EQ(t.Minute, 8);
    EXPECT_EQ(t.Second, 9);
    EXPECT_EQ(t.DayOfWeek, 0);
    EXPECT_EQ(t.Milliseconds, 0);
    for (const char* bad : {"T13", "Missing"}) {
        SCOPED_TRACE(bad);
        SystemTime u{1, 1, 1, 1, 1, 1, 1, 1};
        EXPECT_FALSE(cmd.Param(bad, u));
        EXPECT_EQ(u.Year + u.Month + u.DayOfWeek + u.Day + u.Hour + u.Minute + u.Second + u.Milliseconds, 0);
    }
}

TEST(RcvCmd, WritesAndReadsTheSameCalls)
{
    CKvSndCmd out;
    SystemTime t{2026, 12, 0, 10, 23, 59, 1, 0};
    std::string name = "\xB1\xE8";
    std::int64_t big = 1234567890123;
    out.Param("T", t);
    out.Param("Name", name);
    out.Param("Big", big);
    std::string body(out.Body(), static_cast<std::size_t>(out.BodyLength()));

    CKvRcvCmd in;
    ASSERT_TRUE(in.ParseBody(static_cast<int>(body.size()), body.data(), 1));
    SystemTime t2;
    std::string name2;
    std::int64_t big2 = 0;
    EXPECT_TRUE(in.Param("T", t2));
    EXPECT_TRUE(in.Param("Name", name2));
    EXPECT_TRUE(in.Param("Big", big2));
    EXPECT_EQ(t2.Year, 2026);
    EXPECT_EQ(t2.Second, 1);
    EXPECT_EQ(name2, name);
    EXPECT_EQ(big2, big);
}

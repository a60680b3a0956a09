#include "platform/paths.h"
#include "platform/registry.h"
#include "support/failing_writer.h"
#include "support/temp_env.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;

namespace {

std::string Bytes(const std::vector<std::uint8_t>& data)
{
    return std::string(data.begin(), data.end());
}

std::string Utf16Le(const std::string& utf8)
{
    // Enough for the test texts: the Basic Multilingual Plane.
    std::string out = "\xFF\xFE";
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        char32_t cp = c;
        std::size_t n = 1;
        if (c >= 0xE0) {
            cp = ((c & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) | (utf8[i + 2] & 0x3F);
            n = 3;
        } else if (c >= 0xC0) {
            cp = ((c & 0x1F) << 6) | (utf8[i + 1] & 0x3F);
            n = 2;
        }
        out += static_cast<char>(cp & 0xFF);
        out += static_cast<char>(cp >> 8);
        i += n;
    }
    return out;
}

const char kProductKey[] = "HKEY_CURRENT_USER\\SOFTWARE\\Tolvik\\Pellamo";

} // namespace

TEST(RegText, ReadsWhatItWritesAndWhatOthersWrite)
{
    struct Row
    {
        const char* name;
        std::string text;
    } rows[] = {
        {"our own form",
         "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Tolvik\\Pellamo]\r\n\"SaveID\"=dword:00000001\r\n"
         "\"ID\"=\"k\\\\im\\\"\"\r\n\"POS\"=hex:2c,00,ff\r\n"},
        {"LF ends, comments, blanks",
         "REGEDIT4\n; exported by hand\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Tolvik\\Pellamo]\n"
         "  \"SaveID\" = dword:1\n\"ID\"=\"k\\\\im\\\"\"\n\"POS\"=hex:2C, 0,FF\n"},
        {"continued hex, any case",
         "REGEDIT4\r\n[hkey_current_user\\software\\tolvik\\pellamo]\r\n"
         "\"saveid\"=DWORD:00000001\r\n\"id\"=\"k\\\\im\\\"\"\r\n\"pos\"=hex:2c,\\\r\n  00,\\\r\n  ff\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RegDocument doc;
        std::string error;
        ASSERT_TRUE(doc.Parse(row.text, &error)) << error;
        RegKeyEntry* key = doc.FindKey(kProductKey);
        ASSERT_NE(key, nullptr);
        ASSERT_NE(key->FindValue("SaveID"), nullptr);
        EXPECT_EQ(key->FindValue("SaveID")->Type, RegDword);
        EXPECT_EQ(Bytes(key->FindValue("SaveID")->Data), std::string("\x01\0\0\0", 4));
        EXPECT_EQ(Bytes(key->FindValue("ID")->Data), "k\\im\"");
        EXPECT_EQ(key->FindValue("POS")->Type, RegBinary);
        EXPECT_EQ(Bytes(key->FindValue("POS")->Data), std::string("\x2c\x00\xff", 3));
    }
}

TEST(RegText, WritesTheExportForm)
{
    RegDocument doc;
    RegKeyEntry& pos = doc.AddKey(std::string(kProductKey) + "\\POS");
    const std::uint8_t point[8] = {0x2c, 0x01, 0, 0, 0xc8, 0, 0, 0};
    pos.SetValue(Cp("메인"), RegBinary, point, sizeof point);
    RegKeyEntry& product = doc.AddKey(kProductKey); // goes ahead of its sub-key
    const std::uint8_t one[4] = {1, 0, 0, 0};
    product.SetValue("SaveID", RegDword, one, 4);
    product.SetValue("ID", RegSz, "a\"b\\", 4);
    product.SetValue("PW", RegSz, "", 0);
    product.SetValue("Odd", RegSz, "two\nlines", 9);
    product.SetValue("", 2, "x", 1);

    const std::string expected = "REGEDIT4\r\n"
                                 "\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Tolvik\\Pellamo]\r\n"
                                 "\"SaveID\"=dword:00000001\r\n"
                                 "\"ID\"=\"a\\\"b\\\\\"\r\n"
                                 "\"PW\"=\"\"\r\n"
                                 "\"Odd\"=hex(1):74,77,6f,0a,6c,69,6e,65,73\r\n"
                                 "@=hex(2):78\r\n"
                                 "\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Tolvik\\Pellamo\\POS]\r\n"
                                 "\"" +
                                 Cp("메인") + "\"=hex:2c,01,00,00,c8,00,00,00\r\n";
    EXPECT_EQ(doc.Serialize(), expected);

    RegDocument again;
    ASSERT_TRUE(again.Parse(expected));
    EXPECT_EQ(again.Serialize(), expected);
}

TEST(RegText, ReadsAUnicodeExportFromWindows)
{
    const std::string text = Utf16Le("Windows Registry Editor Version 5.00\r\n\r\n"
                                     "[HKEY_CURRENT_USER\\Software\\Tolvik\\Pellamo]\r\n"
                                     "\"ID\"=\"김철수\"\r\n\r\n"
                                     "[HKEY_CURRENT_USER\\Software\\Tolvik\\Pellamo\\POS]\r\n"
                                     "\"날씨\"=hex:01,00,00,00,02,00,00,00\r\n");
    RegDocument doc;
    std::string error;
    ASSERT_TRUE(doc.Parse(text, &error)) << error;
    ASSERT_NE(doc.FindKey(kProductKey), nullptr);
    EXPECT_EQ(Bytes(doc.FindKey(kProductKey)->FindValue("ID")->Data), Cp("김철수"));
    RegKeyEntry* pos = doc.FindKey(std::string(kProductKey) + "\\POS");
    ASSERT_NE(pos, nullptr);
    ASSERT_NE(pos->FindValue(Cp("날씨")), nullptr);
}

TEST(RegText, RefusesWhatIsNotAnExport)
{
    struct Row
    {
        const char* name;
        std::string text;
    } rows[] = {
        {"no header", "[HKEY_CURRENT_USER\\X]\r\n"},
        {"other file", "\x89PNG\r\n\x1a\n"},
        {"value outside a key", "REGEDIT4\r\n\"a\"=dword:1\r\n"},
        {"bad hex", "REGEDIT4\r\n[K]\r\n\"a\"=hex:zz\r\n"},
        {"long dword", "REGEDIT4\r\n[K]\r\n\"a\"=dword:123456789\r\n"},
        {"unterminated text", "REGEDIT4\r\n[K]\r\n\"a\"=\"abc\r\n"},
        {"deletion", "REGEDIT4\r\n[-K]\r\n"},
        {"continued at the end", "REGEDIT4\r\n[K]\r\n\"a\"=hex:01,\\\r\n"},
        {"unicode text claiming REGEDIT4", Utf16Le("REGEDIT4\r\n")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RegDocument doc;
        EXPECT_FALSE(doc.Parse(row.text));
        EXPECT_TRUE(doc.Keys.empty());
    }
    RegDocument empty;
    EXPECT_TRUE(empty.Parse(""));
    EXPECT_TRUE(empty.Parse("\r\n  \r\n"));
}

class Store : public ::testing::Test
{
protected:
    TempEnv env;
    std::string file = StoreFilePath();
};

TEST_F(Store, CreatesAPrivateFileAndReadsBackEveryType)
{
    CKvRegKey key;
    EXPECT_FALSE(key.Open("SOFTWARE\\Tolvik\\Pellamo"));
    ASSERT_TRUE(key.Create("SOFTWARE\\Tolvik\\Pellamo"));
    struct stat st
    {
    };
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(stat(ProductConfigDir().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    const std::uint8_t data[5] = {1, 2, 3, 4, 5};
    ASSERT_TRUE(key.SetValue("Blob", RegBinary, data, sizeof data));
    CKvRegKey reopened;
    ASSERT_TRUE(reopened.Open("software\\tolvik\\pellamo"));
    std::uint8_t out[8] = {};
    std::uint32_t size = sizeof out;
    std::uint32_t type = 0;
    ASSERT_TRUE(reopened.QueryValue("BLOB", &type, out, &size));
    EXPECT_EQ(type, RegBinary);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(out[4], 5);
    size = 4;
    EXPECT_FALSE(reopened.QueryValue("Blob", &type, out, &size)) << "a value larger than the buffer fails";
    size = sizeof out;
    EXPECT_FALSE(reopened.QueryValue("Other", &type, out, &size));
    EXPECT_EQ(ListDir(ProductConfigDir()), std::vector<std::string>{"settings.reg"});
}

TEST_F(Store, ASaveTheDiskCutsShortLeavesTheStoreAsItWas)
{
    CKvRegKey key;
    ASSERT_TRUE(key.Create("SOFTWARE\\Tolvik\\Pellamo"));
    ASSERT_TRUE(key.SetValue("ID", RegSz, "kim", 3));
    const std::string before = ReadFile(file);
    for (std::size_t budget : {std::size_t{0}, std::size_t{10}, before.size() + 5}) {
        SCOPED_TRACE(budget);
        FailingWriter full(budget);
        EXPECT_FALSE(key.SetValue("ID", RegSz, "a much longer identifier", 24));
        EXPECT_EQ(ReadFile(file), before);
        EXPECT_EQ(ListDir(ProductConfigDir()), std::vector<std::string>{"settings.reg"})
            << "no temporary left";
    }
}

TEST_F(Store, KeepsADamagedFileAsideAndSaysSo)
{
    MakeDirs(ProductConfigDir(), 0700);
    const std::string garbage = "this is not what we wrote\r\n";
    WriteFile(file, garbage);
    CKvRegKey key;
    ASSERT_TRUE(key.Create("SOFTWARE\\Tolvik\\Pellamo"));

    std::vector<std::string> names = ListDir(ProductConfigDir());
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], "settings.reg");
    EXPECT_EQ(names[1].rfind("settings.reg.damaged-", 0), 0u);
    EXPECT_EQ(ReadFile(ProductConfigDir() + "/" + names[1]), garbage);

    // The layer says what it did; the log line is its caller's.
    const std::vector<StoreSetAside> told = key.TakeSetAsides();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].Path, file);
    EXPECT_EQ(told[0].Reason, "line 1: not a registry export");
    EXPECT_EQ(told[0].Aside, ProductConfigDir() + "/" + names[1]);
    EXPECT_TRUE(key.TakeSetAsides().empty());
    EXPECT_FALSE(Exists(ProductStateDir())) << "nothing below the settings writes the log";
}

TEST_F(Store, KeepsForeignKeysAndTakesOverAWindowsExport)
{
    MakeDirs(ProductConfigDir(), 0700);
    WriteFile(file, Utf16Le("Windows Registry Editor Version 5.00\r\n\r\n"
                            "[HKEY_CURRENT_USER\\Software\\Tolvik\\Pellamo]\r\n"
                            "\"ID\"=\"kim\"\r\n\r\n"
                            "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
                            "\"Keep\"=dword:0000002a\r\n"));
    CKvRegKey key;
    ASSERT_TRUE(key.Open("SOFTWARE\\Tolvik\\Pellamo"));
    char id[16];
    std::uint32_t size = sizeof id;
    ASSERT_TRUE(key.QueryValue("ID", nullptr, id, &size));
    EXPECT_EQ(std::string(id, size), "kim");

    ASSERT_TRUE(key.SetValue("SaveID", RegDword, "\x01\0\0\0", 4));
    EXPECT_EQ(ReadFile(file), "REGEDIT4\r\n"
                              "\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Tolvik\\Pellamo]\r\n"
                              "\"ID\"=\"kim\"\r\n"
                              "\"SaveID\"=dword:00000001\r\n"
                              "\r\n[HKEY_CURRENT_USER\\Software\\Other]\r\n"
                              "\"Keep\"=dword:0000002a\r\n");
}

TEST_F(Store, AKilledSaveNeverLeavesAFileThatFailsToLoad)
{
    CKvRegKey key;
    ASSERT_TRUE(key.Create("SOFTWARE\\Tolvik\\Pellamo"));
    std::mt19937 random(12345);
    for (int round = 0; round < 12; ++round) {
        const pid_t child = fork();
        if (child == 0) {
            CKvRegKey writer;
            writer.Open("SOFTWARE\\Tolvik\\Pellamo");
            std::string blob(600, 'x');
            for (std::uint32_t i = 0;; ++i) {
                blob[i % blob.size()] = static_cast<char>('a' + i % 26);
                writer.SetValue("Counter", RegDword, &i, 4);
                writer.SetValue("Blob", RegBinary, blob.data(), static_cast<std::uint32_t>(blob.size()));
            }
        }
        usleep(2000 + random() % 30000);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);

        RegDocument doc;
        std::string error;
        ASSERT_TRUE(doc.Parse(ReadFile(file), &error)) << "round " << round << ": " << error;
        ASSERT_NE(doc.FindKey(kProductKey), nullptr);
    }
    // The next save clears what the killed ones left half done.
    ASSERT_TRUE(key.SetValue("Done", RegDword, "\x01\0\0\0", 4));
    EXPECT_EQ(ListDir(ProductConfigDir()), std::vector<std::string>{"settings.reg"});
}

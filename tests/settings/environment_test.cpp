#include "log/file_log.h"
#include "platform/numbers.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "settings/env_fixture.h"
#include "settings/environment.h"
#include "settings/ini_file.h"
#include "settings/reg_config.h"
#include "settings/window_positions.h"
#include "support/temp_env.h"

#include <gtest/gtest.h>

namespace {

class Environment : public ::testing::Test
{
protected:
    std::string IniPath() const { return env.Path("Pellamo.ini"); }

    // Every line the process log received during the test.
    std::string LogText() const
    {
        std::string text;
        for (const std::string& name : ListDir(platform::ProductStateDir())) {
            text += ReadFile(platform::ProductStateDir() + "/" + name);
        }
        return text;
    }

    // The log line's text after its time stamp.
    static std::string Message(const std::string& line) { return line.size() > 19 ? line.substr(19) : line; }

    TempEnv env;
    EnvironmentSettings settings;
};

} // namespace

TEST_F(Environment, ReadsIniFilesByTheDesktopsRules)
{
    WriteFile(IniPath(), "\xEF\xBB\xBF; comment line\r\n"
                         "[Settings]\r\n"
                         "  Name  =  spaced value  \r\n"
                         "Quoted=\"  inside  \"\r\n"
                         "Semi=a;b\r\n"
                         "Empty=\r\n"
                         "Number= 42x\r\n"
                         "Negative=-7\r\n"
                         "Word=abc\r\n"
                         "Marker=@@CKvIniFile::GetString@@\r\n"
                         "Name=second\r\n"
                         "[URL]\r\n"
                         "관리=http://h/admin\r\n"
                         "[settings]\r\n"
                         "Late=found\r\n");
    const CKvIniFile ini(IniPath());
    struct Row
    {
        const char* name;
        const char* section;
        std::string key;
        bool found;
        std::string value;
    } rows[] = {
        {"blanks trimmed, first match wins", "Settings", "Name", true, "spaced value"},
        {"names without regard to case", "SETTINGS", "name", true, "spaced value"},
        {"one pair of quotes removed", "Settings", "Quoted", true, "  inside  "},
        {"';' inside a value kept", "Settings", "Semi", true, "a;b"},
        {"empty value is present", "Settings", "Empty", true, ""},
        {"absent key", "Settings", "Nothing", false, ""},
        {"absent section", "Other", "Name", false, ""},
        {"the marker text reads as absent", "Settings", "Marker", false, ""},
        {"UTF-8 file read as CP949", "URL", Cp("관리"), true, "http://h/admin"},
        {"a later section of the same name", "Settings", "Late", true, "found"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string value = "stale";
        EXPECT_EQ(ini.GetString(value, row.section, row.key.c_str()), row.found);
        EXPECT_EQ(value, row.value);
    }
    EXPECT_EQ(ini.GetInt("Settings", "Number", IniMissing), 42);
    EXPECT_EQ(ini.GetInt("Settings", "Negative", IniMissing), -7);
    EXPECT_EQ(ini.GetInt("Settings", "Word", IniMissing), 0);
    EXPECT_EQ(ini.GetInt("Settings", "Empty", IniMissing), IniMissing);
    EXPECT_EQ(ini.GetInt("Settings", "Nothing", 5), 5);
    EXPECT_EQ(CKvIniFile(env.Path("absent.ini")).GetInt("Settings", "Name", 3), 3);
}

TEST_F(Environment, CutsLongValuesToTheBuffer)
{
    WriteFile(IniPath(), "[S]\r\nK=" + std::string(3000, 'v') + "\r\n");
    std::string value;
    ASSERT_TRUE(CKvIniFile(IniPath()).GetString(value, "S", "K"));
    EXPECT_EQ(value.size(), CKvIniFile::ValueBufferSize - 1);
}

TEST(Numbers, DecimalValuesFollowAtoi)
{
    struct Row
    {
        const char* text;
        std::int32_t value;
    } rows[] = {{"12", 12},
                {"  -3", -3},
                {"+4z", 4},
                {"x1", 0},
                {"", 0},
                {"99999999999", 2147483647},
                {"-99999999999", -2147483647 - 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(platform::Atoi32(row.text), row.value);
    }
}

TEST_F(Environment, LoadsEveryKeyAndTheRememberedPositions)
{
    WriteFile(IniPath(), platform::Utf8ToCp949(EnvironmentText()));
    ASSERT_TRUE(LoadEnvironment(settings, env.Root()));
    EXPECT_EQ(settings.ServerAddr, "127.0.0.1");
    EXPECT_EQ(settings.ServerPort, 7000);
    EXPECT_EQ(settings.RefreshRate, 30);
    EXPECT_EQ(settings.Log, 1);
    EXPECT_EQ(settings.Urls[Main], "http://127.0.0.1:8080/wginfo");
    EXPECT_EQ(settings.Urls[Office], "http://127.0.0.1:8080/office?view=hourly");
    EXPECT_EQ(settings.Urls[Management], "http://127.0.0.1:8080/admin");
    EXPECT_EQ(settings.Urls[Mileage], "");
    EXPECT_EQ(settings.Urls[Weather], "");
    // First run: nothing remembered, and the POS key now exists.
    for (int i = 0; i < ServiceUrlCount; ++i) {
        EXPECT_TRUE(settings.PagePlacements[i].IsEmpty()) << i;
    }
    EXPECT_EQ(settings.MainPoint.x, NoPosition);
    EXPECT_EQ(settings.PlantPoint.y, NoPosition);
    EXPECT_NE(ReadFile(platform::StoreFilePath()).find("[HKEY_CURRENT_USER\\SOFTWARE\\Tolvik\\Pellamo\\POS]"),
              std::string::npos);
    EXPECT_EQ(LogText(), "");
}

TEST_F(Environment, ReportsTheFirstMissingKeyOnly)
{
    struct Row
    {
        const char* name;
        std::vector<std::string> skip;
        std::string logged; // UTF-8
    } rows[] = {
        {"URL 관리", {"관리"}, "URL section의 관리 값을 읽을수 없습니다.\r\n"},
        {"Settings ServerPort, URL not read",
         {"ServerPort", "WGInfo"},
         "Settings section의 ServerPort 값을 읽을수 없습니다.\r\n"},
        {"Settings ServerAddr", {"ServerAddr"}, "Settings section의 ServerAddr 값을 읽을수 없습니다.\r\n"},
        {"URL WGInfo", {"WGInfo"}, "URL section의 WGInfo 값을 읽을수 없습니다.\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempEnv local;
        WriteFile(local.Path("Pellamo.ini"), EnvironmentText(row.skip));
        EnvironmentSettings loaded;
        EXPECT_FALSE(LoadEnvironment(loaded, local.Root()));
        const std::vector<std::string> files = ListDir(platform::ProductStateDir());
        ASSERT_EQ(files.size(), 1u);
        const std::string line = ReadFile(platform::ProductStateDir() + "/" + files[0]);
        EXPECT_EQ(line.substr(0, 4), "[7] ");
        EXPECT_EQ(Message(line), platform::Utf8ToCp949(row.logged)) << platform::Cp949ToUtf8(line);
    }
}

TEST_F(Environment, AbsentFileFailsWithoutALogLine)
{
    EXPECT_FALSE(LoadEnvironment(settings, env.Root()));
    EXPECT_EQ(LogText(), "");
}

TEST_F(Environment, LogIsOptional)
{
    for (const std::string& logLine : {std::string("Log=\r\n"), std::string()}) {
        SCOPED_TRACE(logLine);
        WriteFile(IniPath(), EnvironmentText({"Log"}) + "[Settings]\r\n" + logLine);
        EnvironmentSettings loaded;
        EXPECT_TRUE(LoadEnvironment(loaded, env.Root()));
        EXPECT_EQ(loaded.Log, 0);
    }
}

TEST_F(Environment, ReadsBackRememberedPositions)
{
    WriteFile(IniPath(), EnvironmentText());
    EnvironmentSettings first;
    ASSERT_TRUE(LoadEnvironment(first, env.Root()));
    WindowPlacement placement;
    placement.length = 44;
    placement.showCmd = 3;
    placement.normalPosition = {10, 20, 1034, 788};
    SavePagePlacement(first, Map, placement);
    SavePagePlacement(first, Mileage, placement);
    SaveWindowPoint(first, Main, Rect{-5, 40, 254, 178});
    SaveWindowPoint(first, Weather, Rect{300, 0, 400, 100});

    // A value of the wrong size is as good as absent.
    {
        CKvRegConfig store;
        ASSERT_TRUE(store.OpenKey("POS"));
        ASSERT_TRUE(store.WriteBinary(PositionValueName(Office).c_str(), 4, "\x01\x02\x03\x04"));
        ASSERT_TRUE(store.WriteBinary(PositionValueName(Site).c_str(), 48, std::string(48, '\x01').data()));
    }

    EnvironmentSettings next;
    ASSERT_TRUE(LoadEnvironment(next, env.Root()));
    EXPECT_EQ(next.PagePlacements[Map].showCmd, 3);
    EXPECT_EQ(next.PagePlacements[Map].normalPosition.right, 1034);
    EXPECT_TRUE(next.PagePlacements[Site].IsEmpty());
    EXPECT_TRUE(next.PagePlacements[Mileage].IsEmpty()) << "written, but never read back at start";
    EXPECT_EQ(next.MainPoint.x, -5);
    EXPECT_EQ(next.MainPoint.y, 40);
    EXPECT_EQ(next.WeatherPoint.x, 300);
    EXPECT_EQ(next.PlantPoint.x, NoPosition);
    EXPECT_EQ(next.PlantPoint.y, NoPosition);
}

TEST_F(Environment, BuildsServiceUrls)
{
    settings.Urls[Map] = "http://h/map";
    settings.Urls[Office] = "http://h/office?view=1";
    settings.Urls[Site] = "http://h/\x81?"; // the '?' is the second byte of a character
    SessionIdentity session;
    session.UserId = "kim01";
    session.AuthCode = "A1B2";
    struct Row
    {
        const char* name;
        int index;
        bool built;
        std::string url;
    } rows[] = {
        {"no query yet", Map, true, "http://h/map?userId=kim01&authCode=A1B2"},
        {"query present", Office, true, "http://h/office?view=1&userId=kim01&authCode=A1B2"},
        {"multibyte '?'", Site, true, "http://h/\x81??userId=kim01&authCode=A1B2"},
        {"mileage has no address", Mileage, false, "untouched"},
        {"weather has no address", Weather, false, "untouched"},
        {"beyond the table", 10, false, "untouched"},
        {"negative", -1, false, "untouched"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string out = "untouched";
        EXPECT_EQ(BuildServiceUrl(settings, session, row.index, out), row.built);
        EXPECT_EQ(out, row.url);
    }
}

TEST_F(Environment, ValuesCannotAddQueryParameters)
{
    settings.Urls[Map] = "http://h/map";
    SessionIdentity session;
    session.UserId = "kim&admin=1";
    session.AuthCode = "a b#c%";
    session.GroupID = "g1&x=2";
    std::string out;
    ASSERT_TRUE(BuildServiceUrl(settings, session, Map, out));
    EXPECT_EQ(out, "http://h/map?userId=kim%26admin%3D1&authCode=a%20b%23c%25");
    EXPECT_EQ(AppendGroupId("", session), "?groupId=g1%26x%3D2");
    EXPECT_EQ(EncodeQueryValue(Cp("김") + "-._~Az09"), "%B1%E8-._~Az09");
}

TEST_F(Environment, AppendsTheGroup)
{
    SessionIdentity session;
    session.GroupID = "G7";
    EXPECT_EQ(AppendGroupId("http://h/office?userId=u&authCode=a", session),
              "http://h/office?userId=u&authCode=a&groupId=G7");
    EXPECT_EQ(AppendGroupId("http://h/weather", session), "http://h/weather?groupId=G7");
    EXPECT_EQ(AppendGroupId("", session), "?groupId=G7") << "the weather page has no base address";
}

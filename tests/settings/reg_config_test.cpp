#include "platform/paths.h"
#include "platform/registry.h"
#include "settings/reg_config.h"
#include "settings/window_positions.h"
#include "support/temp_env.h"

#include <gtest/gtest.h>

namespace {

class RegConfig : public ::testing::Test
{
protected:
    std::string StoreText() const { return ReadFile(platform::StoreFilePath()); }

    TempEnv env;
};

} // namespace

TEST_F(RegConfig, FirstLoadCreatesTheKeyWithEverythingOff)
{
    CKvRegConfig config;
    config.SaveID = 5;
    config.ID = "stale";
    ASSERT_TRUE(config.Load());
    EXPECT_EQ(config.SaveID, 0u);
    EXPECT_EQ(config.SavePW, 0u);
    EXPECT_EQ(config.AlwaysTop, 0u);
    EXPECT_EQ(config.ID, "");
    EXPECT_EQ(config.PW, "");
    EXPECT_EQ(config.KeyPath(), "SOFTWARE\\Tolvik\\Pellamo");
    EXPECT_EQ(StoreText(), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Tolvik\\Pellamo]\r\n");
}

TEST_F(RegConfig, SavesTheFiveValuesAndLoadsThemBack)
{
    CKvRegConfig config;
    config.SaveID = 7; // any non-zero is stored as 1
    config.SavePW = 0;
    config.ID = Cp("김철수");
    config.PW = "";
    config.AlwaysTop = 1;
    ASSERT_TRUE(config.Save());
    EXPECT_EQ(StoreText(), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Tolvik\\Pellamo]\r\n"
                           "\"SaveID\"=dword:00000001\r\n"
                           "\"SavePW\"=dword:00000000\r\n"
                           "\"ID\"=\"" +
                               Cp("김철수") +
                               "\"\r\n"
                               "\"PW\"=\"\"\r\n"
                               "\"AlwaysTop\"=dword:00000001\r\n");
    CKvRegConfig loaded;
    ASSERT_TRUE(loaded.Load());
    EXPECT_EQ(loaded.SaveID, 1u);
    EXPECT_EQ(loaded.SavePW, 0u);
    EXPECT_EQ(loaded.ID, Cp("김철수"));
    EXPECT_EQ(loaded.PW, "");
    EXPECT_EQ(loaded.AlwaysTop, 1u);
}

TEST_F(RegConfig, UnreadableValuesReadAsOffOrEmpty)
{
    platform::MakeDirs(platform::ProductConfigDir(), 0700);
    WriteFile(platform::StoreFilePath(), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Tolvik\\Pellamo]\r\n"
                                         "\"SaveID\"=hex:01\r\n"
                                         "\"SavePW\"=dword:00000002\r\n"
                                         "\"ID\"=\"" +
                                             std::string(1100, 'i') +
                                             "\"\r\n"
                                             "\"PW\"=hex(1):61,62,00,63\r\n");
    CKvRegConfig config;
    ASSERT_TRUE(config.Load());
    EXPECT_EQ(config.SaveID, 0u) << "a one-byte value is no DWORD";
    EXPECT_EQ(config.SavePW, 2u);
    EXPECT_EQ(config.ID, "") << "longer than the text buffer";
    EXPECT_EQ(config.PW, "ab") << "taken up to the first zero byte";
}

TEST_F(RegConfig, AStoreThatCannotBeCreatedFailsLoadAndSave)
{
    WriteFile(env.Path("config/Tolvik"), "a file where the folder should be");
    CKvRegConfig config;
    EXPECT_FALSE(config.Load());
    EXPECT_FALSE(config.Save());
    EXPECT_FALSE(config.OpenKey("POS"));
}

TEST_F(RegConfig, SavesPagePlacementsForTheStoredPagesOnly)
{
    EnvironmentSettings settings;
    WindowPlacement placement;
    placement.length = 44;
    placement.normalPosition = {1, 2, 3, 4};
    for (int index : std::initializer_list<int>{Map, Mileage, Weather, Main, 10, -1}) {
        SavePagePlacement(settings, index, placement);
    }
    EXPECT_EQ(settings.PagePlacements[Map].normalPosition.right, 3);
    EXPECT_EQ(settings.PagePlacements[Weather].normalPosition.right, 3) << "kept in memory";
    const std::string text = StoreText();
    EXPECT_NE(text.find("\"" + Cp("지도") +
                        "\"=hex:2c,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,"
                        "00,00,00,00,00,00,00,00,01,00,00,00,02,00,00,00,03,00,00,00,04,00,00,00\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\"" + Cp("마일리지") + "\"=hex:"), std::string::npos);
    EXPECT_EQ(text.find("\"" + Cp("날씨") + "\""), std::string::npos) << "index 7 is not stored";
    EXPECT_EQ(text.find("\"" + Cp("메인") + "\""), std::string::npos);
}

TEST_F(RegConfig, SavesAndResetsWindowPoints)
{
    EnvironmentSettings settings;
    WindowPlacement placement;
    placement.length = 44;
    SavePagePlacement(settings, Vehicle, placement);
    SaveWindowPoint(settings, Main, Rect{-300, 200, 0, 0});
    SaveWindowPoint(settings, Office, Rect{5, 6, 0, 0});
    SaveWindowPoint(settings, Map, Rect{9, 9, 0, 0}); // not a point window
    EXPECT_EQ(settings.MainPoint.x, -300);
    EXPECT_EQ(settings.PlantPoint.y, 6);
    EXPECT_NE(StoreText().find("\"" + Cp("메인") + "\"=hex:d4,fe,ff,ff,c8,00,00,00\r\n"), std::string::npos);

    ResetWindowPoints(settings);
    EXPECT_EQ(settings.MainPoint.x, NoPosition);
    EXPECT_EQ(settings.WeatherPoint.y, NoPosition);
    EXPECT_EQ(settings.PagePlacements[Vehicle].length, 44) << "page windows keep their placement";
    const std::string text = StoreText();
    for (const char* name : {"메인", "날씨", "공장"}) {
        EXPECT_NE(text.find("\"" + Cp(name) + "\"=hex:81,69,67,ff,81,69,67,ff\r\n"), std::string::npos)
            << name;
    }
    EXPECT_NE(text.find("\"" + Cp("차량") + "\"=hex:2c,"), std::string::npos);
}

TEST_F(RegConfig, ADamagedStoreIsLoggedWhereItWasKept)
{
    platform::MakeDirs(platform::ProductConfigDir(), 0700);
    WriteFile(platform::StoreFilePath(), "this is not what we wrote\r\n");
    CKvRegConfig config;
    ASSERT_TRUE(config.Load());

    const std::vector<std::string> logs = ListDir(platform::ProductStateDir());
    ASSERT_EQ(logs.size(), 1u);
    const std::string log = ReadFile(platform::ProductStateDir() + "/" + logs[0]);
    const std::string expected = "settings file " + platform::StoreFilePath() +
                                 " cannot be read (line 1: not a registry export); kept as " +
                                 platform::StoreFilePath() + ".damaged-";
    EXPECT_NE(log.find(expected), std::string::npos) << log;
    EXPECT_EQ(log.find("cannot be read", log.find(expected) + expected.size()), std::string::npos)
        << "logged once";
}

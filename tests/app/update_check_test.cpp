#include "app/tolvik_app.h"
#include "platform/paths.h"
#include "support/fake_ui.h"
#include "support/sim_process.h"
#include "support/temp_env.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sys/stat.h>
#include <thread>

namespace {

class UpdateCheck : public ::testing::Test
{
protected:
    UpdateCheck()
    {
        platform::MakeDirs(programDir, 0700);
        app.ModuleDir = programDir;
    }

    // An updater that notes how many arguments it got.
    void InstallUpdater()
    {
        const std::string updater = programDir + "/Update.exe";
        WriteFile(updater, "#!/bin/sh\necho \"$#\" > \"" + marker + ".tmp\" && mv \"" + marker + ".tmp\" \"" +
                               marker + "\"\n");
        chmod(updater.c_str(), 0700);
    }

    // An updater that was started writes its note within moments; the wait for one that should not
    // have been started is shorter.
    bool UpdaterRan(int waitMs = 5000)
    {
        for (int i = 0; i < waitMs / 20 && !Exists(marker); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return Exists(marker);
    }

    void LocalVersion(const std::string& lines)
    {
        WriteFile(programDir + "/Pellamo_VER.ini", "[Version]\r\n" + lines);
    }

    std::size_t VersionRequests() const
    {
        std::size_t n = 0;
        for (const std::string& line : sim.Requests()) {
            n += line.rfind("http GET /version", 0) == 0 ? 1 : 0;
        }
        return n;
    }

    TempEnv env;
    std::string programDir = env.Path("opt/pellamo");
    std::string marker = env.Path("updater-ran");
    SimProcess sim{
        {"--published-version", "5", "--http-fault", "/gone=status:404", "--http-fault", "/hang=silent"}};
    FakeUi ui;
    CTolvikWGApp app{ui, programDir + "/pellamo"};
};

} // namespace

TEST_F(UpdateCheck, NoLocalFileMeansNoCheck)
{
    InstallUpdater();
    EXPECT_FALSE(app.CheckForUpdate());
    LocalVersion("Version=5\r\n");
    EXPECT_FALSE(app.CheckForUpdate()) << "no UpdateURL";
    EXPECT_EQ(VersionRequests(), 0u);
    EXPECT_FALSE(UpdaterRan(1000));
}

TEST_F(UpdateCheck, EqualVersionsGoOn)
{
    ASSERT_TRUE(sim.Ready());
    InstallUpdater();
    LocalVersion("Version=5\r\nUpdateURL=" + sim.HttpUrl("/version") + "\r\n");
    EXPECT_FALSE(app.CheckForUpdate());
    EXPECT_EQ(VersionRequests(), 1u);
    EXPECT_FALSE(UpdaterRan(1000));
}

TEST_F(UpdateCheck, ADifferentVersionStartsTheUpdaterWithoutArguments)
{
    ASSERT_TRUE(sim.Ready());
    InstallUpdater();
    LocalVersion("Version=6\r\nUpdateURL=" + sim.HttpUrl("/version") +
                 "\r\n"); // published 5: lower counts too
    EXPECT_TRUE(app.CheckForUpdate());
    ASSERT_TRUE(UpdaterRan());
    EXPECT_EQ(ReadFile(marker), "0\n");
}

TEST_F(UpdateCheck, AMissingVersionIsZero)
{
    ASSERT_TRUE(sim.Ready());
    LocalVersion("UpdateURL=" + sim.HttpUrl("/version") + "\r\n");
    EXPECT_TRUE(app.CheckForUpdate()) << "installed 0, published 5; no updater beside the program";
}

TEST_F(UpdateCheck, FailuresCountAsNoUpdate)
{
    ASSERT_TRUE(sim.Ready());
    InstallUpdater();
    for (const std::string& url : {sim.HttpUrl("/gone"), sim.HttpUrl("/map"),
                                   "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/version"}) {
        SCOPED_TRACE(url);
        LocalVersion("Version=1\r\nUpdateURL=" + url + "\r\n");
        EXPECT_FALSE(app.CheckForUpdate());
    }
    EXPECT_FALSE(UpdaterRan(1000));
}

TEST_F(UpdateCheck, AServerThatNeverAnswersIsGivenUpAfterTenSeconds)
{
    ASSERT_TRUE(sim.Ready());
    InstallUpdater();
    LocalVersion("Version=1\r\nUpdateURL=" + sim.HttpUrl("/hang") + "\r\n");
    const auto began = std::chrono::steady_clock::now();
    EXPECT_FALSE(app.CheckForUpdate());
    // Well short of the 30 s a silent server would otherwise hold the start for.
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(25));
    EXPECT_FALSE(UpdaterRan(1000));
}

TEST_F(UpdateCheck, AnUpdateEndsStartUpBeforeTheEnvironmentFile)
{
    ASSERT_TRUE(sim.Ready());
    InstallUpdater();
    LocalVersion("Version=1\r\nUpdateURL=" + sim.HttpUrl("/version") + "\r\n");
    CTolvikWGApp started(ui, programDir + "/pellamo");
    EXPECT_FALSE(started.InitInstance());
    EXPECT_TRUE(UpdaterRan());
    EXPECT_TRUE(ui.messages.empty()) << "no environment file, yet no message: the update came first";
    EXPECT_TRUE(ui.prompts.empty());
}

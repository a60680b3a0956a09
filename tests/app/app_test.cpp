#include "app/app_ui_interface.h"
#include "app/tolvik_app.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "settings/env_fixture.h"
#include "support/fake_ui.h"
#include "support/temp_env.h"

#include <gtest/gtest.h>

namespace {

class Startup : public ::testing::Test
{
protected:
    Startup() { platform::MakeDirs(programDir, 0700); }

    TempEnv env;
    std::string programDir = env.Path("opt/pellamo");
    std::string programPath = programDir + "/pellamo";
    FakeUi ui;
};

} // namespace

TEST_F(Startup, ASecondCopyOnlySaysSoAndTouchesNothing)
{
    WriteFile(programDir + "/Pellamo.ini", EnvironmentText({"관리"}));
    CKvSingleExec firstCopy;
    ASSERT_TRUE(firstCopy.Check(CTolvikWGApp::InstanceName));

    CTolvikWGApp app(ui, programPath);
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(ui.messages, std::vector<std::string>{"프로그램이 이미 실행중입니다."});
    EXPECT_EQ(app.Environment.ServerAddr, "") << "the environment file was not read";
    EXPECT_FALSE(Exists(platform::ProductStateDir())) << "nothing was logged";
    EXPECT_FALSE(Exists(platform::StoreFilePath())) << "the settings store was not touched";
}

TEST_F(Startup, AMissingEnvironmentFileIsReported)
{
    CTolvikWGApp app(ui, programPath);
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.ModuleDir, programDir);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"환경파일을 읽을 수 없습니다."});
    EXPECT_FALSE(Exists(platform::ProductStateDir()));
    EXPECT_EQ(ui.mainWindowRuns, 0);
}

TEST_F(Startup, AMissingKeyIsLoggedAndReported)
{
    WriteFile(programDir + "/Pellamo.ini", EnvironmentText({"관리"}));
    CTolvikWGApp app(ui, programPath);
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(ui.messages, std::vector<std::string>{"환경파일을 읽을 수 없습니다."});
    const std::vector<std::string> logs = ListDir(platform::ProductStateDir());
    ASSERT_EQ(logs.size(), 1u);
    const std::string line = ReadFile(platform::ProductStateDir() + "/" + logs[0]);
    EXPECT_EQ(line.substr(19), Cp("URL section의 관리 값을 읽을수 없습니다.\r\n"));
}

TEST_F(Startup, ACompleteEnvironmentGoesOnToSignIn)
{
    WriteFile(programDir + "/Pellamo.ini", EnvironmentText());
    // The prompt is closed at once: the program ends there, silently.
    {
        CTolvikWGApp app(ui, programPath);
        EXPECT_EQ(TheApp(), &app);
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(app.Environment.ServerPort, 7000);
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(ui.prompts.size(), 1u);
        EXPECT_EQ(ui.mainWindowRuns, 0);
        EXPECT_TRUE(Exists(platform::StoreFilePath())) << "the position key is created on the first start";
        EXPECT_TRUE(Exists(env.Path("run/KORVA.TolvikWG.lock")));
    }
    EXPECT_EQ(TheApp(), nullptr);
    EXPECT_FALSE(Exists(env.Path("run/KORVA.TolvikWG.lock"))) << "the lock goes with the program";
    CKvSingleExec next;
    EXPECT_TRUE(next.Check(CTolvikWGApp::InstanceName));
}

TEST_F(Startup, AProgramPathWithoutFolderGivesAnEmptyModuleDir)
{
    CTolvikWGApp app(ui, "pellamo");
    app.InitInstance();
    EXPECT_EQ(app.ModuleDir, "");
}

#include "app/sign_in.h"
#include "app/tolvik_app.h"
#include "platform/paths.h"
#include "serverlink/server_session.h"
#include "settings/reg_config.h"
#include "support/fake_ui.h"
#include "support/sim_process.h"
#include "support/temp_env.h"

#include <gtest/gtest.h>

namespace {

class SignIn : public ::testing::Test
{
protected:
    SignIn()
    {
        app.Environment.ServerAddr = "127.0.0.1";
        app.Environment.ServerPort = sim.LoginPort();
    }

    void Remember(std::uint32_t saveId, const std::string& id, std::uint32_t savePw, const std::string& pw)
    {
        CKvRegConfig store;
        store.SaveID = saveId;
        store.ID = id;
        store.SavePW = savePw;
        store.PW = pw;
        ASSERT_TRUE(store.Save());
    }

    struct StoredValues
    {
        std::uint32_t SaveID, SavePW;
        std::string ID, PW;
    };
    StoredValues Stored()
    {
        CKvRegConfig store;
        store.Load();
        return {store.SaveID, store.SavePW, store.ID, store.PW};
    }

    TempEnv env;
    SimProcess sim{{"--user", "kim:secret:00", "--user", "lee:pw2:01", "--auth", "AC9", "--group", "G5",
                    "--company", "C1"}};
    FakeUi ui;
    CTolvikWGApp app{ui, "/opt/pellamo/pellamo"};
};

} // namespace

TEST(LoginErrorText, EveryCodeHasItsText)
{
    struct Row
    {
        int code;
        const char* text;
    } rows[] = {
        {101, "메시지 파라미터 값이 잘못되었습니다."},
        {102, "데이터베이스 에러가 발생하였습니다."},
        {103, "시스템 에러가 발생하였습니다."},
        {104, "로그인 되어있지 않습니다."},
        {105, "서버에 접속하지 못했습니다."},
        {106, "데이터 전송에러가 발생하였습니다."},
        {107, "테이터 수신에러가 발생하였습니다."},
        {108, "테이터 수신시간을 초과 하였습니다."},
        {111, "환경파일 에러"},
        {112, "등록되지 않은 사용자 입니다."},
        {113, "암호가 일치하지 않습니다."},
        {114, "허가된 MAC 주소가 아닙니다."},
        {115, "사용권한이 없습니다."},
        {109, "Unknown error : errno(109)"},
        {110, "Unknown error : errno(110)"},
        {0, "Unknown error : errno(0)"},
        {65535, "Unknown error : errno(65535)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        EXPECT_EQ(platform::Cp949ToUtf8(LoginErrorText(row.code)), row.text);
    }
}

TEST(TryLogin, IsAdminOnlyForExactlyDoubleZero)
{
    TempEnv env;
    for (const char* perm : {"00", "0", "000", "00 ", "01"}) {
        SCOPED_TRACE(perm);
        SimProcess sim({"--user", std::string("kim:pw:") + perm});
        ASSERT_TRUE(sim.Ready());
        EnvironmentSettings settings;
        settings.ServerAddr = "127.0.0.1";
        settings.ServerPort = sim.LoginPort();
        ServerSession session;
        SessionIdentity identity;
        ASSERT_EQ(TryLogin(session, settings, identity, "kim", "pw"), 0);
        EXPECT_EQ(identity.UserPerm, perm);
        EXPECT_EQ(identity.IsAdmin, std::string(perm) == "00" ? 1 : 0);
    }
}

TEST_F(SignIn, RememberedCredentialsSignInWithoutThePrompt)
{
    ASSERT_TRUE(sim.Ready());
    Remember(1, "kim", 1, "secret");
    EXPECT_TRUE(app.SignIn());
    EXPECT_TRUE(ui.prompts.empty());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(app.Session.UserId, "kim");
    EXPECT_EQ(app.Session.Password, "secret");
    EXPECT_EQ(app.Session.AuthCode, "AC9");
    EXPECT_EQ(app.Session.UserPerm, "00");
    EXPECT_EQ(app.Session.CompanyID, "C1");
    EXPECT_EQ(app.Session.GroupID, "G5");
    EXPECT_EQ(app.Session.IsAdmin, 1);
    EXPECT_EQ(sim.Requests().size(), 1u);
}

TEST_F(SignIn, ARefusalIsShownAndTheIdentifierKept)
{
    ASSERT_TRUE(sim.Ready());
    Remember(1, "kim", 1, "stale");
    ui.AnswerLogin("kim", "secret", true, true);
    EXPECT_TRUE(app.SignIn());
    EXPECT_EQ(ui.messages, std::vector<std::string>{"암호가 일치하지 않습니다."});
    ASSERT_EQ(ui.prompts.size(), 1u);
    EXPECT_EQ(ui.prompts[0].Id, "kim");
    EXPECT_EQ(ui.prompts[0].Password, "");
    EXPECT_TRUE(ui.prompts[0].SaveId);
    EXPECT_TRUE(ui.prompts[0].SavePw);
    EXPECT_EQ(Stored().PW, "secret");
}

TEST_F(SignIn, AnUnreachableServerCanBeRetriedOrGivenUp)
{
    app.Environment.ServerPort = ClosedPort();
    ui.AnswerLogin("kim", "secret", true, false);
    ui.AnswerLogin("kim", "secret", false, true); // switches changed in the dialog, then closed
    ui.AnswerClose();
    EXPECT_FALSE(app.SignIn());
    EXPECT_EQ(ui.messages,
              (std::vector<std::string>{"서버에 접속하지 못했습니다.", "서버에 접속하지 못했습니다."}));
    ASSERT_EQ(ui.prompts.size(), 3u);
    EXPECT_EQ(ui.prompts[0].Id, "") << "nothing remembered";
    EXPECT_EQ(ui.prompts[1].Id, "kim");
    EXPECT_EQ(ui.prompts[1].Password, "");
    EXPECT_TRUE(ui.prompts[1].SaveId);
    EXPECT_FALSE(ui.prompts[2].SaveId) << "the switches as the user last set them";
    EXPECT_TRUE(ui.prompts[2].SavePw);
    EXPECT_EQ(ReadFile(platform::StoreFilePath()),
              "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Tolvik\\Pellamo]\r\n")
        << "closing the prompt writes nothing";
    EXPECT_EQ(app.Session.UserId, "");
}

TEST_F(SignIn, TheStoreRemembersWhatTheSwitchesSay)
{
    ASSERT_TRUE(sim.Ready());
    struct Row
    {
        const char* name;
        bool saveId;
        bool savePw;
        std::string id;
        std::string pw;
    } rows[] = {
        {"identifier only", true, false, "kim", ""},
        {"password only", false, true, "", "secret"},
        {"neither", false, false, "", ""},
        {"both", true, true, "kim", "secret"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Remember(0, "", 0, "");
        FakeUi rowUi;
        rowUi.AnswerLogin("kim", "secret", row.saveId, row.savePw);
        CTolvikWGApp rowApp(rowUi, "/opt/pellamo/pellamo");
        rowApp.Environment = app.Environment;
        ASSERT_TRUE(rowApp.SignIn());
        const StoredValues stored = Stored();
        EXPECT_EQ(stored.SaveID, row.saveId ? 1u : 0u);
        EXPECT_EQ(stored.SavePW, row.savePw ? 1u : 0u);
        EXPECT_EQ(stored.ID, row.id);
        EXPECT_EQ(stored.PW, row.pw);
    }
}

TEST_F(SignIn, OnlyTheRememberedPasswordMeansThePromptComesFilledIn)
{
    ASSERT_TRUE(sim.Ready());
    Remember(0, "kim", 1, "secret"); // automatic sign-in was turned on while the identifier was not kept
    ui.AnswerLogin("kim", "secret", false, true);
    EXPECT_TRUE(app.SignIn());
    ASSERT_EQ(ui.prompts.size(), 1u);
    EXPECT_EQ(ui.prompts[0].Id, "");
    EXPECT_EQ(ui.prompts[0].Password, "secret");
}

TEST_F(SignIn, AStoreThatCannotBeOpenedEndsSilently)
{
    WriteFile(env.Path("config/Tolvik"), "a file where the folder should be");
    EXPECT_FALSE(app.SignIn());
    EXPECT_TRUE(ui.prompts.empty());
    EXPECT_TRUE(ui.messages.empty());
}

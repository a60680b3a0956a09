#include "settings/env_fixture.h"
#include "support/sim_process.h"
#include "support/temp_env.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

namespace {

struct DiagRun
{
    int exitCode = -1;
    std::string output;
};

DiagRun Diag(const std::string& arguments, const std::string& input = "")
{
    const std::string command =
        std::string("printf '%s' '") + input + "' | " + PELLAMO_DIAG + " " + arguments + " 2>&1";
    DiagRun run;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            run.output += buffer;
        }
        const int status = pclose(pipe);
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return run;
}

std::string EnvironmentFor(int port)
{
    std::string text = EnvironmentText({"ServerPort"});
    return text + "[Settings]\r\nServerPort=" + std::to_string(port) + "\r\n";
}

} // namespace

TEST(Diag, LoginPrintsTheResultAndTheReplyButNoSecret)
{
    TempEnv env;
    SimProcess sim({"--user", "김철수:s3cret-pw:00", "--auth", "AUTH1SECRETCODE9", "--group", "그룹7",
                    "--company", "C9"});
    ASSERT_TRUE(sim.Ready());
    WriteFile(env.Path("Pellamo.ini"), EnvironmentFor(sim.LoginPort()));

    const DiagRun accepted = Diag("--dir " + env.Root() + " login 김철수", "s3cret-pw\n");
    EXPECT_EQ(accepted.exitCode, 0) << accepted.output;
    EXPECT_NE(accepted.output.find("result: 0 accepted\n"), std::string::npos) << accepted.output;
    for (const char* line :
         {"AuthCode=…(set, 16 chars)\n", "UserPerm=00\n", "CompanyID=C9\n", "GroupID=그룹7\n"}) {
        EXPECT_NE(accepted.output.find(line), std::string::npos) << line << accepted.output;
    }
    EXPECT_EQ(accepted.output.find("s3cret"), std::string::npos);
    EXPECT_EQ(accepted.output.find("AUTH1"), std::string::npos);

    const DiagRun fromInput = Diag("--dir " + env.Root() + " login 김철수 -", "wrong-pw\n");
    EXPECT_EQ(fromInput.exitCode, 1);
    EXPECT_NE(fromInput.output.find("result: 113 암호가 일치하지 않습니다.\n"), std::string::npos)
        << fromInput.output;
    EXPECT_EQ(fromInput.output.find("wrong-pw"), std::string::npos);

    // A password on the command line is refused before anything is sent.
    const DiagRun argument = Diag("--dir " + env.Root() + " login 김철수 s3cret-pw");
    EXPECT_EQ(argument.exitCode, 2);
    EXPECT_NE(argument.output.find("never taken on the command line"), std::string::npos) << argument.output;
    EXPECT_EQ(argument.output.find("result:"), std::string::npos);
}

TEST(Diag, FeedShowsTheAddressAndTheFieldsOfOnePoll)
{
    TempEnv env;
    SimProcess sim(
        {"--user", "kim:s3cret-pw", "--auth", "AUTH1SECRETCODE9", "--feed-line", "1|2|3|4|5|6|7|제1공장|x"});
    ASSERT_TRUE(sim.Ready());
    std::string text = EnvironmentFor(sim.LoginPort());
    const std::string feedKey = "WGInfo=http://127.0.0.1:8080/wginfo";
    text.replace(text.find(feedKey), feedKey.size(), "WGInfo=" + sim.HttpUrl("/wginfo"));
    WriteFile(env.Path("Pellamo.ini"), text);

    const DiagRun run = Diag("--dir " + env.Root() + " feed kim -", "s3cret-pw\n");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("feed: " + sim.HttpUrl("/wginfo?userId=kim&authCode=…(set, 16 chars)") + "\n"),
              std::string::npos)
        << run.output;
    EXPECT_NE(
        run.output.find("OperatingCount=5\nHiredCount=6\nWaitingCount=7\nPlantCaption=제1공장\nExtra=x\n"),
        std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("s3cret"), std::string::npos);
    EXPECT_EQ(run.output.find("AUTH1"), std::string::npos);
}

TEST(Diag, AClosedPortGives105)
{
    TempEnv env;
    WriteFile(env.Path("Pellamo.ini"), EnvironmentFor(ClosedPort()));
    const DiagRun run = Diag("--dir " + env.Root() + " login kim", "pw\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("result: 105 서버에 접속하지 못했습니다.\n"), std::string::npos) << run.output;
}

TEST(Diag, MacShowsTheAdaptersAndTheAddress)
{
    TempEnv env;
    const DiagRun run = Diag("mac");
    const std::size_t at = run.output.find("hardware address: ");
    ASSERT_NE(at, std::string::npos) << run.output;
    const std::string address = run.output.substr(at + 18, run.output.find('\n', at) - at - 18);
    EXPECT_TRUE(address == "none" ||
                (address.size() == 12 && address.find_first_not_of("0123456789ABCDEF") == std::string::npos))
        << run.output;
    EXPECT_EQ(run.exitCode, run.output.find("hardware address: none") == std::string::npos ? 0 : 1);
    EXPECT_EQ(Diag("bogus").exitCode, 2);
}

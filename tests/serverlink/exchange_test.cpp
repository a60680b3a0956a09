#include "platform/network.h"
#include "platform/paths.h"
#include "serverlink/mac_address.h"
#include "serverlink/server_session.h"
#include "support/sim_process.h"
#include "support/temp_env.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>

namespace {

std::string NoMac()
{
    return {};
}
std::string FixedMac()
{
    return "00163E0A0B0C";
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string Text(CKvRcvCmd& reply, const char* name)
{
    std::string value;
    reply.Param(name, value);
    return value;
}

// A sim with one account per way of answering, so that one server serves a whole table.
std::vector<std::string> SimArgs(std::vector<std::string> extra = {})
{
    std::vector<std::string> args = {"--user",    "kim:pw:00",
                                     "--auth",    "AC42",
                                     "--group",   "G7",
                                     "--company", "C3",
                                     "--user",    "refused:pw",
                                     "--fault",   "refused=refuse:113",
                                     "--user",    "closer:pw",
                                     "--fault",   "closer=close",
                                     "--user",    "half:pw",
                                     "--fault",   "half=close-mid-body",
                                     "--user",    "huge:pw",
                                     "--fault",   "huge=oversize",
                                     "--user",    "negative:pw",
                                     "--fault",   "negative=negative-length:113",
                                     "--user",    "headeronly:pw",
                                     "--fault",   "headeronly=negative-length",
                                     "--user",    "empty:pw",
                                     "--fault",   "empty=empty-ok",
                                     "--user",    "silent:pw",
                                     "--fault",   "silent=silent",
                                     "--user",    "slow:pw",
                                     "--fault",   "slow=trickle",
                                     "--user",    "odd:pw",
                                     "--fault",   "odd=refuse:109",
                                     "--user",    "boxed:pw:01:00163E0A0B0C"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

class Exchange : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.Ready());
        session.SetMacAddressSource(&FixedMac);
    }

    int Login(const std::string& id, const std::string& password = "pw")
    {
        if (!session.ConnectServer("127.0.0.1", sim.LoginPort())) {
            return ResultConnectFailed;
        }
        return session.SendLogin(id, password);
    }

    TempEnv env;
    SimProcess sim{SimArgs()};
    ServerSession session;
};

} // namespace

TEST(LoginRequest, FramesHeaderAndBody)
{
    CKvSndCmd request;
    BuildLoginRequest(request, "abc", "x", "");
    const std::uint8_t expected[8] = {0x2D, 0x01, 0x00, 0x00, 0x17, 0x00, 0x00, 0x00};
    EXPECT_EQ(std::vector<std::uint8_t>(request.Packet(), request.Packet() + 8),
              std::vector<std::uint8_t>(expected, expected + 8));
    EXPECT_EQ(std::string(request.Body(), 23), "ID=abc\x01PW=x\x01Mac=\x01Type=1");

    PacketHeader header;
    header.Command = 0x1234;
    header.Result = 113;
    header.Length = -2;
    std::uint8_t bytes[8];
    header.Write(bytes);
    EXPECT_EQ(bytes[0], 0x34);
    EXPECT_EQ(bytes[2], 113);
    EXPECT_EQ(bytes[7], 0xFF);
    const PacketHeader back = PacketHeader::Read(bytes);
    EXPECT_EQ(back.Command, 0x1234);
    EXPECT_EQ(back.Result, 113);
    EXPECT_EQ(back.Length, -2);
}

TEST_F(Exchange, AcceptedLoginCarriesTheReplyPairs)
{
    EXPECT_EQ(Login("kim"), 0);
    EXPECT_EQ(Text(session.Reply(), "AuthCode"), "AC42");
    EXPECT_EQ(Text(session.Reply(), "userperm"), "00");
    EXPECT_EQ(Text(session.Reply(), "CompanyID"), "C3");
    EXPECT_EQ(Text(session.Reply(), "GroupID"), "G7");
    const std::vector<std::string> requests = sim.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], "login command=301 ID=kim Mac=00163E0A0B0C Type=1 PWlength=2 length=36");
}

TEST_F(Exchange, AnswersThatEndTheAttempt)
{
    struct Row
    {
        const char* name;
        std::string id;
        std::string password;
        int code;
    } rows[] = {
        {"server refuses with its pairs", "refused", "pw", 113},
        {"unknown user", "nobody", "pw", 112},
        {"wrong password", "kim", "nope", 113},
        {"code without a text of its own", "odd", "pw", 109},
        {"closed before the header", "closer", "pw", 107},
        {"closed in the middle of the body", "half", "pw", 107},
        {"Length beyond the receive area", "huge", "pw", 107},
        {"a refusal whose Length is -1: no body, the header's Result", "negative", "pw", 113},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Login(row.id, row.password), row.code);
    }
    EXPECT_EQ(Login("refused"), 113);
    EXPECT_EQ(Text(session.Reply(), "GroupID"), "G7") << "a refusal's body is parsed all the same";
}

TEST_F(Exchange, AnEmptySuccessHasNoPairs)
{
    ASSERT_EQ(Login("kim"), 0);
    for (const char* id : {"empty", "headeronly"}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(Login(id), 0) << "Length 0 or -1 with Result 0 is an acceptance";
        EXPECT_EQ(Text(session.Reply(), "AuthCode"), "") << "the earlier reply's pairs are gone";
        EXPECT_TRUE(session.Reply().Pairs().IsEmpty());
        ASSERT_EQ(Login("kim"), 0);
    }
}

TEST_F(Exchange, TheHardwareAddressIsJudgedByTheServer)
{
    EXPECT_EQ(Login("boxed"), 0);
    session.SetMacAddressSource(&NoMac);
    EXPECT_EQ(Login("boxed"), 114);
    EXPECT_EQ(sim.Requests().back(), "login command=301 ID=boxed Mac= Type=1 PWlength=2 length=26");
}

TEST_F(Exchange, ASilentServerTimesOutAfterTenSeconds)
{
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Login("silent"), 108);
    EXPECT_GE(SecondsSince(start), 9.5);
    EXPECT_LT(SecondsSince(start), 30.0);
}

TEST_F(Exchange, ATricklingServerStillTimesOut)
{
    // One byte a second: the header arrives within its ten seconds, the body cannot.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Login("slow"), 108);
    EXPECT_GE(SecondsSince(start), 9.5);
    EXPECT_LT(SecondsSince(start), 40.0);
}

TEST_F(Exchange, SendingToAServerThatHasGoneIsAnErrorNotASignal)
{
    struct sigaction current
    {
    };
    sigaction(SIGPIPE, nullptr, &current);
    ASSERT_EQ(current.sa_handler, SIG_DFL)
        << "a write to a closed peer would end this test if it raised SIGPIPE";
    EXPECT_EQ(Login("closer"), 107);
    // The same connection again: the peer has closed, so the writes meet a reset connection.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int code = session.SendLogin("closer", "pw");
        EXPECT_TRUE(code == 106 || code == 107) << code;
    }
    EXPECT_EQ(ServerSession().SendLogin("kim", "pw"), 106) << "no open socket";
}

TEST(Connect, FailuresToConnect)
{
    TempEnv env;
    struct Row
    {
        const char* name;
        std::string address;
        int port;
    } rows[] = {
        {"refused port", "127.0.0.1", ClosedPort()},
        {"name that cannot resolve", "no such host!", 17100},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ServerSession session;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(session.ConnectServer(row.address.c_str(), row.port));
        EXPECT_LT(SecondsSince(start), 4.0);
        EXPECT_EQ(session.SendLogin("kim", "pw"), 106);
    }
}

TEST(Connect, AServerThatDoesNotAcceptGivesUpAfterFiveSeconds)
{
    TempEnv env;
    SimProcess sim({"--user", "kim:pw", "--fault", "stall"});
    ASSERT_TRUE(sim.Ready());
    ServerSession session;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(session.ConnectServer("127.0.0.1", sim.LoginPort()));
    EXPECT_GE(SecondsSince(start), 4.5);
    EXPECT_LT(SecondsSince(start), 20.0);
}

TEST(Connect, ASlowAcceptWithinTheLimitConnects)
{
    TempEnv env;
    SimProcess sim({"--user", "kim:pw", "--fault", "accept-delay:1500"});
    ASSERT_TRUE(sim.Ready());
    ServerSession session;
    session.SetMacAddressSource(&NoMac);
    ASSERT_TRUE(session.ConnectServer("127.0.0.1", sim.LoginPort()));
    EXPECT_EQ(session.SendLogin("kim", "pw"), 0);
}

TEST(MacAddress, TakesTheFirstWiredCardWithAnAddress)
{
    TempEnv env;
    using platform::NetworkAdapter;
    const std::vector<std::uint8_t> a1 = {0x00, 0x11, 0x22, 0xAA, 0xBB, 0xCC};
    const std::vector<std::uint8_t> a2 = {0x00, 0x11, 0x22, 0xAA, 0xBB, 0xCD};
    const std::vector<std::uint8_t> wifi = {0x02, 0, 0, 0, 0, 1};
    struct Row
    {
        const char* name;
        std::vector<NetworkAdapter> adapters;
        std::string chosen;
        std::string logged;
    } rows[] = {
        {"first card has no IPv4 address",
         {{"eth0", a1, true, "0.0.0.0"}, {"eth1", a2, true, "192.0.2.7"}},
         "001122AABBCD",
         "ethernet 001122AABBCC\r\nethernet 001122AABBCD\r\n"},
        {"other adapters only logged",
         {{"wlan0", wifi, false, "192.0.2.8"},
          {"eth0", a1, true, "192.0.2.9"},
          {"eth1", a2, true, "192.0.2.10"}},
         "001122AABBCC",
         "020000000001\r\nethernet 001122AABBCC\r\n"},
        {"no 6-byte address",
         {{"tun0", {}, false, "10.0.0.1"}, {"ib0", std::vector<std::uint8_t>(20, 1), false, "0.0.0.0"}},
         "",
         ""},
        {"no wired card", {{"wlan0", wifi, false, "192.0.2.8"}}, "", "020000000001\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempEnv local;
        std::string chosen = "stale";
        EXPECT_EQ(ChooseMacAddress(row.adapters, chosen), !row.chosen.empty());
        EXPECT_EQ(chosen, row.chosen);
        std::string logged;
        for (const std::string& file : ListDir(platform::ProductStateDir())) {
            const std::string text = ReadFile(platform::ProductStateDir() + "/" + file);
            for (std::size_t at = 0; at < text.size();) {
                const std::size_t end = text.find('\n', at);
                logged += text.substr(at + 19, end + 1 - at - 19);
                at = end + 1;
            }
        }
        EXPECT_EQ(logged, row.logged);
    }
}

TEST(MacAddress, TheNeighbourTableNamesNoAddressOfOurs)
{
    TempEnv env;
    const std::string table =
        "IP address       HW type     Flags       HW address            Mask     Device\n"
        "192.0.2.1        0x1         0x2         02:fc:00:00:00:05     *        eth0\n"
        "192.0.2.2        0x1         0x0         00:00:00:00:00:00     *        eth0\n";
    const std::vector<platform::NeighbourEntry> entries = platform::ParseNeighbourTable(table);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(FormatMacAddress(entries[0].Address), "02FC00000005");
    EXPECT_TRUE(entries[1].Address.empty()) << "an incomplete entry has no address";
    LogNeighbourTable(entries);
    const std::vector<std::string> files = ListDir(platform::ProductStateDir());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(ReadFile(platform::ProductStateDir() + "/" + files[0]).substr(19), "02FC00000005\r\n");
}

TEST(MacAddress, ThisMachinesScanGivesTwelveDigitsOrNothing)
{
    TempEnv env;
    const std::string address = FindMacAddress();
    EXPECT_TRUE(address.empty() || address.size() == 12) << address;
    for (char c : address) {
        EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << address;
    }
}

// pellamo-diag: the widget's own sign-in code on a terminal, for support staff.
//
//   pellamo-diag mac                 the hardware address a login would send, and the adapters seen
//   pellamo-diag login ID [-]        one login attempt with the environment file beside the widget
//   pellamo-diag feed ID [-]         signs in, then one poll of the status feed
//
// The password is asked for on the terminal (not echoed) or read from standard input, never taken
// from the command line, which every user of the machine can read while the program runs. Output is
// pasted into tickets: the session's AuthCode opens every service page as that user, so it is shown
// only as set or not, in the reply and inside the feed address.

#include "app/sign_in.h"
#include "feed/status_feed.h"
#include "platform/network.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "serverlink/mac_address.h"
#include "serverlink/server_session.h"
#include "settings/environment.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <strings.h>
#include <termios.h>
#include <unistd.h>

namespace {

const char kUsage[] = "usage: pellamo-diag mac\n"
                      "       pellamo-diag [--dir FOLDER] login ID [-]\n"
                      "       pellamo-diag [--dir FOLDER] feed ID [-]\n"
                      "FOLDER holds Pellamo.ini (default: the folder of this program, beside the widget).\n"
                      "The password is asked for, or read from standard input.\n";

const char kNoPasswordArgument[] =
    "pellamo-diag: a password is never taken on the command line, where other users can read it.\n"
    "Leave it out and type it when asked, or give it on standard input:\n"
    "  pellamo-diag login ID < file-with-the-password\n";

// "…(set, 16 chars)" for a secret, "(none)" for an empty one.
std::string Masked(const std::string& secret)
{
    return secret.empty() ? "(none)" : "…(set, " + std::to_string(secret.size()) + " chars)";
}

// The address with the value of its authCode parameter masked.
std::string MaskAuthCode(std::string url)
{
    for (const char* key : {"?authCode=", "&authCode="}) {
        const std::size_t at = url.find(key);
        if (at == std::string::npos) {
            continue;
        }
        const std::size_t start = at + std::strlen(key);
        const std::size_t end = std::min(url.find('&', start), url.size());
        url.replace(start, end - start, Masked(url.substr(start, end - start)));
    }
    return url;
}

std::string ModuleDir()
{
    const std::string path = platform::ModuleFilePath();
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string ReadPassword()
{
    const bool terminal = isatty(STDIN_FILENO) != 0;
    termios saved{};
    if (terminal) {
        std::cerr << "password: " << std::flush;
        tcgetattr(STDIN_FILENO, &saved);
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    std::string password;
    std::getline(std::cin, password);
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        std::cerr << "\n";
    }
    return password;
}

int ShowMac()
{
    for (const platform::NetworkAdapter& adapter : platform::ListNetworkAdapters()) {
        std::cout << "adapter " << adapter.Name << " "
                  << (adapter.Address.empty() ? "-" : FormatMacAddress(adapter.Address))
                  << (adapter.IsEthernet ? " ethernet " : " other ") << adapter.IpAddress << "\n";
    }
    const std::string address = FindMacAddress();
    std::cout << "hardware address: " << (address.empty() ? "none" : address) << "\n";
    return address.empty() ? 1 : 0;
}

int PollFeed(const EnvironmentSettings& env, const SessionIdentity& identity)
{
    std::string url;
    if (!BuildServiceUrl(env, identity, Main, url)) {
        std::cout << "feed: no [URL] WGInfo address\n";
        return 1;
    }
    std::cout << "feed: " << MaskAuthCode(platform::Cp949ToUtf8(url)) << "\n";
    CStatusFeed feed([&url](std::string& out) {
        out = url;
        return true;
    });
    QEventLoop loop;
    bool downloaded = false;
    QObject::connect(&feed, &CStatusFeed::Polled, &loop, [&](bool ok) {
        downloaded = ok;
        loop.quit();
    });
    feed.Poll();
    loop.exec();
    if (!downloaded) {
        std::cout << "poll failed: no complete 2xx answer (server unreachable, refused, or too slow)\n";
        return 1;
    }
    const StatusRecord& r = feed.Record();
    const std::pair<const char*, std::string> fields[] = {
        {"PlannedVolume", r.PlannedVolume},
        {"OrderedVolume", r.OrderedVolume},
        {"ShippedVolume", r.ShippedVolume},
        {"RemainingVolume", r.RemainingVolume},
        {"OperatingCount", std::to_string(r.OperatingCount)},
        {"HiredCount", std::to_string(r.HiredCount)},
        {"WaitingCount", std::to_string(r.WaitingCount)},
        {"PlantCaption", r.PlantCaption},
        {"Extra", r.Extra}};
    for (const auto& [name, value] : fields) {
        std::cout << name << "=" << platform::Cp949ToUtf8(value) << "\n";
    }
    return 0;
}

int Login(const std::string& dir, const std::string& idUtf8, std::string passwordUtf8, bool thenFeed)
{
    EnvironmentSettings env;
    if (!LoadEnvironmentFile(env, dir)) {
        std::cout << "환경파일을 읽을 수 없습니다. (" << ModuleFile(dir, "Pellamo.ini") << ")\n";
        return 1;
    }
    std::cout << "server: " << platform::Cp949ToUtf8(env.ServerAddr) << ":" << env.ServerPort << "\n";
    ServerSession session;
    SessionIdentity identity;
    const int code =
        TryLogin(session, env, identity, platform::Utf8ToCp949(idUtf8), platform::Utf8ToCp949(passwordUtf8));
    std::fill(passwordUtf8.begin(), passwordUtf8.end(), '\0');
    if (code != LoginAccepted) {
        std::cout << "result: " << code << " " << platform::Cp949ToUtf8(LoginErrorText(code)) << "\n";
        return 1;
    }
    std::cout << "result: 0 accepted\n";
    for (const CKvCmd::CCmd* pair : session.Reply().Pairs()) {
        const bool secret = strcasecmp(pair->Name, "AuthCode") == 0;
        std::cout << platform::Cp949ToUtf8(pair->Name) << "="
                  << (secret ? Masked(pair->Value) : platform::Cp949ToUtf8(pair->Value)) << "\n";
    }
    std::cout << "administrator: " << (identity.IsAdmin != 0 ? "yes" : "no") << "\n";
    if (!thenFeed) {
        return 0;
    }
    identity.UserId = platform::Utf8ToCp949(idUtf8);
    return PollFeed(env, identity);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::string dir = ModuleDir();
    int i = 1;
    if (i + 1 < argc && std::strcmp(argv[i], "--dir") == 0) {
        dir = argv[i + 1];
        i += 2;
    }
    if (i < argc && std::strcmp(argv[i], "mac") == 0 && i + 1 == argc) {
        return ShowMac();
    }
    const bool login = i < argc && std::strcmp(argv[i], "login") == 0;
    const bool feed = i < argc && std::strcmp(argv[i], "feed") == 0;
    if ((login || feed) && i + 1 < argc && i + 3 >= argc) {
        if (i + 2 < argc && std::strcmp(argv[i + 2], "-") != 0) {
            std::cerr << kNoPasswordArgument;
            return 2;
        }
        return Login(dir, argv[i + 1], ReadPassword(), feed);
    }
    std::cerr << kUsage;
    return 2;
}

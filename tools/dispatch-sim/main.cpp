// A stand-in dispatch server for tests and demonstrations. It speaks the login exchange of the real
// server (an 8-byte little-endian header and a body of name=value pairs joined by 0x01) and can be told
// to misbehave.

#include "sim.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iconv.h>
#include <iostream>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace sim {

namespace {

std::mutex g_logLock;

std::string Convert(const std::string& in, const char* to, const char* from)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) { // NOLINT(performance-no-int-to-ptr)
        return in;
    }
    std::string out(in.size() * 4 + 4, '\0');
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) {
        return in;
    }
    out.resize(out.size() - dstLeft);
    return out;
}

} // namespace

std::string ToCp949(const std::string& utf8)
{
    return Convert(utf8, "CP949", "UTF-8");
}

std::string ToUtf8(const std::string& cp949)
{
    return Convert(cp949, "UTF-8", "CP949");
}

void AppendLog(const Config& config, const std::string& line)
{
    if (config.LogPath.empty()) {
        return;
    }
    std::lock_guard<std::mutex> hold(g_logLock);
    std::ofstream(config.LogPath, std::ios::app) << line << "\n";
}

int Listen(const std::string& address, int port, int backlog, int& actualPort)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<std::uint16_t>(port));
    if (inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1 ||
        bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 || listen(fd, backlog) != 0) {
        close(fd);
        return -1;
    }
    socklen_t size = sizeof local;
    getsockname(fd, reinterpret_cast<sockaddr*>(&local), &size);
    actualPort = ntohs(local.sin_port);
    return fd;
}

} // namespace sim

namespace {

const char kUsage[] =
    "usage: dispatch-sim [options]\n"
    "  --bind ADDR              listen address (default 127.0.0.1; loopback only in tests)\n"
    "  --login-port N           login port, 0 for any free one (default 17100)\n"
    "  --user ID:PW[:PERM[:MAC,...]]  an account (repeatable); PERM is its UserPerm (default 01),\n"
    "                           MACs the hardware addresses it may sign in from (default any)\n"
    "  --company TEXT           CompanyID handed out (default C001)\n"
    "  --group TEXT             GroupID handed out (default G001)\n"
    "  --auth CODE              AuthCode handed out (default: a fresh code per run)\n"
    "  --fault [ID=]BEHAVIOUR   misbehave for one identifier, or for all: refuse:CODE, close,\n"
    "                           close-mid-body, silent, trickle, oversize, negative-length[:CODE]\n"
    "                           (Result CODE, default 0, with Length -1 and no body), empty-ok;\n"
    "                           for all only: stall (never accept), accept-delay:MS\n"
    "  --http-port N            web port, 0 for any free one (default 17180): /wginfo (the status\n"
    "                           feed, for identifiers and codes this server handed out), /version,\n"
    "                           and the service pages /map /sites /vehicles /shipments /sms /admin\n"
    "                           /office /weather /mileage\n"
    "  --feed-line TEXT         the feed's line (UTF-8); default: figures that move with the day\n"
    "  --session ID=CODE        an AuthCode the feed accepts for ID without a login first\n"
    "  --published-version N    [Update] Version of /version (default 1)\n"
    "  --http-fault [PATH=]BEHAVIOUR  misbehave for one path (or path?query), or for all: status:CODE,\n"
    "                           slow-body,\n"
    "                           cut, huge, huge-unannounced, no-length, chunked, silent, redirect\n"
    "  --ready-file PATH        written once listening: login-port=N and http-port=M lines\n"
    "  --log PATH               one line per request received (the password's length, never itself)\n"
    "  --max-seconds N          end by itself after N seconds (default 3600)\n"
    "Identifiers and passwords are given in UTF-8 and sent in CP949.\n";

bool ParseFault(const std::string& text, sim::Fault& fault)
{
    const std::size_t colon = text.find(':');
    const std::string kind = text.substr(0, colon);
    const std::string arg = colon == std::string::npos ? std::string() : text.substr(colon + 1);
    const std::pair<const char*, sim::Fault::Kind> kinds[] = {{"refuse", sim::Fault::Refuse},
                                                              {"close", sim::Fault::Close},
                                                              {"close-mid-body", sim::Fault::CloseMidBody},
                                                              {"silent", sim::Fault::Silent},
                                                              {"trickle", sim::Fault::Trickle},
                                                              {"oversize", sim::Fault::Oversize},
                                                              {"negative-length", sim::Fault::NegativeLength},
                                                              {"empty-ok", sim::Fault::EmptyOk},
                                                              {"stall", sim::Fault::Stall},
                                                              {"accept-delay", sim::Fault::AcceptDelay}};
    for (const auto& [name, type] : kinds) {
        if (kind == name) {
            fault.Type = type;
            fault.Code =
                type == sim::Fault::Refuse || type == sim::Fault::NegativeLength ? std::atoi(arg.c_str()) : 0;
            fault.DelayMs = type == sim::Fault::AcceptDelay ? std::atoi(arg.c_str()) : 0;
            return !(type == sim::Fault::Refuse && arg.empty()) &&
                   !(type == sim::Fault::AcceptDelay && arg.empty());
        }
    }
    return false;
}

bool ParseHttpFault(const std::string& text, sim::HttpFault& fault)
{
    const std::size_t colon = text.find(':');
    const std::string kind = text.substr(0, colon);
    const std::pair<const char*, sim::HttpFault::Kind> kinds[] = {
        {"status", sim::HttpFault::Status},
        {"slow-body", sim::HttpFault::SlowBody},
        {"cut", sim::HttpFault::Cut},
        {"huge", sim::HttpFault::Huge},
        {"huge-unannounced", sim::HttpFault::HugeUnannounced},
        {"no-length", sim::HttpFault::NoLength},
        {"chunked", sim::HttpFault::Chunked},
        {"silent", sim::HttpFault::Silent},
        {"redirect", sim::HttpFault::Redirect}};
    for (const auto& [name, type] : kinds) {
        if (kind == name) {
            fault.Type = type;
            fault.Code = type == sim::HttpFault::Status && colon != std::string::npos
                             ? std::atoi(text.c_str() + colon + 1)
                             : 0;
            return type != sim::HttpFault::Status || fault.Code >= 100;
        }
    }
    return false;
}

std::vector<std::string> SplitOn(const std::string& text, char separator, std::size_t most)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (parts.size() + 1 < most) {
        const std::size_t at = text.find(separator, start);
        if (at == std::string::npos) {
            break;
        }
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

std::string RandomCode()
{
    unsigned char bytes[8] = {};
    std::ifstream("/dev/urandom", std::ios::binary).read(reinterpret_cast<char*>(bytes), sizeof bytes);
    char text[17];
    for (int i = 0; i < 8; ++i) {
        std::snprintf(text + 2 * i, 3, "%02X", bytes[i]);
    }
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    sim::Config config;
    std::map<std::string, std::string> sessions;
    std::string readyFile;
    int maxSeconds = 3600;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (i + 1 >= argc) {
            std::cerr << "dispatch-sim: " << option << " needs a value\n" << kUsage;
            return 2;
        }
        const std::string value = argv[++i];
        if (option == "--bind") {
            config.Bind = value;
        } else if (option == "--login-port") {
            config.LoginPort = std::atoi(value.c_str());
        } else if (option == "--user") {
            const std::vector<std::string> parts = SplitOn(value, ':', 4);
            if (parts.size() < 2) {
                std::cerr << "dispatch-sim: --user wants ID:PW\n";
                return 2;
            }
            sim::Account account;
            account.Password = sim::ToCp949(parts[1]);
            if (parts.size() > 2 && !parts[2].empty()) {
                account.Perm = parts[2];
            }
            if (parts.size() > 3 && !parts[3].empty()) {
                account.Macs = SplitOn(parts[3], ',', 64);
            }
            config.Accounts[sim::ToCp949(parts[0])] = account;
        } else if (option == "--company") {
            config.Company = sim::ToCp949(value);
        } else if (option == "--group") {
            config.Group = sim::ToCp949(value);
        } else if (option == "--auth") {
            config.Auth = value;
        } else if (option == "--fault") {
            const std::size_t equals = value.find('=');
            sim::Fault fault;
            if (!ParseFault(equals == std::string::npos ? value : value.substr(equals + 1), fault)) {
                std::cerr << "dispatch-sim: unknown fault " << value << "\n";
                return 2;
            }
            if (equals == std::string::npos) {
                config.AllFault = fault;
            } else {
                config.UserFaults[sim::ToCp949(value.substr(0, equals))] = fault;
            }
        } else if (option == "--http-port") {
            config.HttpPort = std::atoi(value.c_str());
        } else if (option == "--feed-line") {
            config.FeedLine = sim::ToCp949(value);
        } else if (option == "--session") {
            const std::size_t equals = value.find('=');
            sessions[sim::ToCp949(value.substr(0, equals))] =
                equals == std::string::npos ? "" : value.substr(equals + 1);
        } else if (option == "--published-version") {
            config.PublishedVersion = std::atoi(value.c_str());
        } else if (option == "--http-fault") {
            // A path starts with '/': "/wginfo=cut"; anything else is a fault for every path.
            const std::size_t equals = value[0] == '/' ? value.rfind('=') : std::string::npos;
            sim::HttpFault fault;
            if (!ParseHttpFault(equals == std::string::npos ? value : value.substr(equals + 1), fault)) {
                std::cerr << "dispatch-sim: unknown HTTP fault " << value << "\n";
                return 2;
            }
            if (equals == std::string::npos) {
                config.AllHttpFault = fault;
            } else {
                config.PathFaults[value.substr(0, equals)] = fault;
            }
        } else if (option == "--ready-file") {
            readyFile = value;
        } else if (option == "--log") {
            config.LogPath = value;
        } else if (option == "--max-seconds") {
            maxSeconds = std::atoi(value.c_str());
        } else {
            std::cerr << "dispatch-sim: unknown option " << option << "\n" << kUsage;
            return 2;
        }
    }

    signal(SIGPIPE, SIG_IGN);
    sim::State state;
    state.RunAuthCode = RandomCode();
    state.AuthCodes = sessions;
    const bool stalls =
        config.AllFault.Type == sim::Fault::Stall || config.AllFault.Type == sim::Fault::AcceptDelay;
    int loginPort = 0;
    const int login = sim::Listen(config.Bind, config.LoginPort, stalls ? 0 : 64, loginPort);
    if (login < 0) {
        std::cerr << "dispatch-sim: cannot listen on " << config.Bind << ":" << config.LoginPort << ": "
                  << std::strerror(errno) << "\n";
        return 1;
    }
    config.LoginPort = loginPort;

    int httpPort = 0;
    const int http = sim::Listen(config.Bind, config.HttpPort, 64, httpPort);
    if (http < 0) {
        std::cerr << "dispatch-sim: cannot listen on " << config.Bind << ":" << config.HttpPort << ": "
                  << std::strerror(errno) << "\n";
        return 1;
    }
    config.HttpPort = httpPort;

    std::thread([&] { sim::RunLoginServer(config, state, login); }).detach();
    std::thread([&] { sim::RunHttpServer(config, state, http); }).detach();

    const std::string ready =
        "login-port=" + std::to_string(loginPort) + "\nhttp-port=" + std::to_string(httpPort) + "\n";
    std::cout << ready << std::flush;
    if (!readyFile.empty()) {
        // Written whole under another name first, so that a reader never sees half of it.
        const std::string temp = readyFile + ".tmp";
        std::ofstream(temp) << ready;
        std::rename(temp.c_str(), readyFile.c_str());
    }
    sleep(static_cast<unsigned>(maxSeconds));
    return 0;
}

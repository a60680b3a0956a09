#include "sim.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <iconv.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace sim {
namespace {

bool ReadAll(int fd, void* data, std::size_t size)
{
    auto* at = static_cast<std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = recv(fd, at, size, 0);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) {
                continue;
            }
            return false;
        }
        at += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

bool SendAll(int fd, const std::string& data)
{
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string Header(std::uint16_t command, std::uint16_t result, std::int32_t length)
{
    const auto l = static_cast<std::uint32_t>(length);
    const char bytes[8] = {static_cast<char>(command & 0xFF),   static_cast<char>(command >> 8),
                           static_cast<char>(result & 0xFF),    static_cast<char>(result >> 8),
                           static_cast<char>(l & 0xFF),         static_cast<char>((l >> 8) & 0xFF),
                           static_cast<char>((l >> 16) & 0xFF), static_cast<char>(l >> 24)};
    return std::string(bytes, 8);
}

std::map<std::string, std::string> SplitPairs(const std::string& body)
{
    std::map<std::string, std::string> pairs;
    std::size_t start = 0;
    while (start <= body.size()) {
        std::size_t end = body.find('\x01', start);
        if (end == std::string::npos) {
            end = body.size();
        }
        const std::string segment = body.substr(start, end - start);
        const std::size_t equals = segment.find('=');
        if (equals != std::string::npos) {
            pairs.emplace(segment.substr(0, equals), segment.substr(equals + 1));
        }
        start = end + 1;
    }
    return pairs;
}

std::string JoinPairs(const std::vector<std::pair<std::string, std::string>>& pairs)
{
    std::string body;
    for (const auto& [name, value] : pairs) {
        if (!body.empty()) {
            body += '\x01';
        }
        body += name;
        body += '=';
        body += value;
    }
    return body;
}

void WaitForClose(int fd)
{
    char sink[256];
    while (recv(fd, sink, sizeof sink, 0) > 0) {
    }
}

namespace {

void Serve(const Config& config, State& state, int fd)
{
    char headerBytes[8];
    if (!ReadAll(fd, headerBytes, sizeof headerBytes)) {
        close(fd);
        return;
    }
    const auto* h = reinterpret_cast<const unsigned char*>(headerBytes);
    const std::uint16_t command = static_cast<std::uint16_t>(h[0] | (h[1] << 8));
    const std::int32_t length = static_cast<std::int32_t>(h[4] | (h[5] << 8) | (h[6] << 16) |
                                                          (static_cast<std::uint32_t>(h[7]) << 24));
    std::string body(length > 0 && length <= 65536 ? static_cast<std::size_t>(length) : 0, '\0');
    if ((length < 0 || length > 65536) || !ReadAll(fd, body.data(), body.size())) {
        close(fd);
        return;
    }
    auto pairs = SplitPairs(body);
    const std::string id = pairs["ID"];
    AppendLog(config, "login command=" + std::to_string(command) + " ID=" + ToUtf8(id) +
                          " Mac=" + pairs["Mac"] + " Type=" + pairs["Type"] + " PWlength=" +
                          std::to_string(pairs["PW"].size()) + " length=" + std::to_string(length));

    std::uint16_t result = 0;
    std::vector<std::pair<std::string, std::string>> reply;
    const auto account = config.Accounts.find(id);
    if (account == config.Accounts.end()) {
        result = 112;
    } else if (account->second.Password != pairs["PW"]) {
        result = 113;
    } else if (!account->second.Macs.empty() &&
               std::find(account->second.Macs.begin(), account->second.Macs.end(), pairs["Mac"]) ==
                   account->second.Macs.end()) {
        result = 114;
    } else {
        std::string code;
        {
            std::lock_guard<std::mutex> hold(state.Lock);
            code = config.Auth.empty() ? state.RunAuthCode : config.Auth;
            state.AuthCodes[id] = code;
        }
        reply = {{"AuthCode", code},
                 {"UserPerm", account->second.Perm},
                 {"CompanyID", config.Company},
                 {"GroupID", config.Group}};
    }
    if (result != 0) {
        reply = {{"Reason", std::to_string(result)}};
    }

    Fault fault = config.AllFault;
    if (const auto own = config.UserFaults.find(id); own != config.UserFaults.end()) {
        fault = own->second;
    }
    std::string replyBody = JoinPairs(reply);
    switch (fault.Type) {
    case Fault::Refuse:
        SendAll(fd, Header(command, static_cast<std::uint16_t>(fault.Code),
                           static_cast<std::int32_t>(replyBody.size())) +
                        replyBody);
        break;
    case Fault::Close:
        break;
    case Fault::CloseMidBody:
        SendAll(fd, Header(command, result, static_cast<std::int32_t>(replyBody.size())) +
                        replyBody.substr(0, replyBody.size() / 2));
        break;
    case Fault::Silent:
        WaitForClose(fd);
        break;
    case Fault::Trickle: {
        const std::string whole =
            Header(command, result, static_cast<std::int32_t>(replyBody.size())) + replyBody;
        for (char c : whole) {
            if (!SendAll(fd, std::string(1, c))) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::seconds(1));
        }
        break;
    }
    case Fault::Oversize:
        SendAll(fd, Header(command, 0, 20000) + std::string(20000, 'x'));
        break;
    case Fault::NegativeLength:
        SendAll(fd, Header(command, static_cast<std::uint16_t>(fault.Code), -1));
        break;
    case Fault::EmptyOk:
        SendAll(fd, Header(command, 0, 0));
        break;
    default:
        SendAll(fd, Header(command, result, static_cast<std::int32_t>(replyBody.size())) + replyBody);
        break;
    }
    // The client closes first: one exchange per connection.
    if (fault.Type != Fault::Close && fault.Type != Fault::CloseMidBody && fault.Type != Fault::Silent) {
        shutdown(fd, SHUT_WR);
        WaitForClose(fd);
    }
    close(fd);
}

// Connections that fill the listener's queue, so that the kernel drops further connection requests:
// to a client this server does not accept.
std::vector<int> FillBacklog(const std::string& address, int port)
{
    std::vector<int> fillers;
    for (int i = 0; i < 16; ++i) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in target{};
        target.sin_family = AF_INET;
        target.sin_port = htons(static_cast<std::uint16_t>(port));
        inet_pton(AF_INET, address.c_str(), &target.sin_addr);
        // Non-blocking: the connect is still in progress when it returns; the poll tells.
        (void)connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target);
        pollfd waiting{fd, POLLOUT, 0};
        const bool done = poll(&waiting, 1, 300) > 0;
        fillers.push_back(fd);
        if (!done) {
            break;
        }
    }
    return fillers;
}

} // namespace

void RunLoginServer(const Config& config, State& state, int listener)
{
    const Fault& fault = config.AllFault;
    if (fault.Type == Fault::Stall || fault.Type == Fault::AcceptDelay) {
        std::vector<int> fillers = FillBacklog(config.Bind, config.LoginPort);
        if (fault.Type == Fault::Stall) {
            for (;;) {
                pause();
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(fault.DelayMs));
        for (int fd : fillers) {
            close(fd);
        }
    }
    AcceptLoop(listener, [&config, &state](int fd) { Serve(config, state, fd); });
}

void AcceptLoop(int listener, const std::function<void(int)>& serve)
{
    for (;;) {
        const int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) {
                continue;
            }
            return;
        }
        std::thread(serve, fd).detach();
    }
}

} // namespace sim

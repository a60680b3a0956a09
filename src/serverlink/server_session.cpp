#include "serverlink/server_session.h"

#include "platform/clock.h"
#include "serverlink/mac_address.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool SetNonBlocking(int fd, bool on)
{
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0) {
        return false;
    }
    return fcntl(fd, F_SETFL, on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK)) == 0;
}

} // namespace

void PacketHeader::Write(std::uint8_t* bytes) const
{
    const auto length = static_cast<std::uint32_t>(Length);
    bytes[0] = static_cast<std::uint8_t>(Command);
    bytes[1] = static_cast<std::uint8_t>(Command >> 8);
    bytes[2] = static_cast<std::uint8_t>(Result);
    bytes[3] = static_cast<std::uint8_t>(Result >> 8);
    bytes[4] = static_cast<std::uint8_t>(length);
    bytes[5] = static_cast<std::uint8_t>(length >> 8);
    bytes[6] = static_cast<std::uint8_t>(length >> 16);
    bytes[7] = static_cast<std::uint8_t>(length >> 24);
}

PacketHeader PacketHeader::Read(const std::uint8_t* bytes)
{
    PacketHeader header;
    header.Command = static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
    header.Result = static_cast<std::uint16_t>(bytes[2] | (bytes[3] << 8));
    header.Length =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes[4]) | (bytes[5] << 8) | (bytes[6] << 16) |
                                  (static_cast<std::uint32_t>(bytes[7]) << 24));
    return header;
}

CKvSocket::~CKvSocket()
{
    CloseSocket();
}

bool CKvSocket::Create()
{
    CloseSocket();
    m_handle = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    return m_handle >= 0;
}

void CKvSocket::CloseSocket()
{
    if (m_handle >= 0) {
        close(m_handle);
        m_handle = -1;
    }
}

bool CKvSocket::ResolveAndConnect(const char* address, int port)
{
    in_addr_t ip = inet_addr(address);
    if (ip == INADDR_NONE) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (getaddrinfo(address, nullptr, &hints, &found) == 0 && found != nullptr) {
            ip = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
        }
        if (found != nullptr) {
            freeaddrinfo(found);
        }
    }
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(static_cast<std::uint16_t>(port));
    target.sin_addr.s_addr = ip;
    return connect(m_handle, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0;
}

bool CKvSocket::ConnectWithTimeout(const char* address, int port)
{
    if (!SetNonBlocking(m_handle, true)) {
        return false;
    }
    bool connected = ResolveAndConnect(address, port);
    if (!connected && errno == EINPROGRESS) {
        // The budget counts from here: a host-name lookup before the connect has its own.
        const std::uint64_t start = platform::GetTickCount64();
        for (;;) {
            const std::uint64_t elapsed = platform::GetTickCount64() - start;
            if (elapsed >= static_cast<std::uint64_t>(ConnectTimeoutMs)) {
                break;
            }
            pollfd waiting{m_handle, POLLOUT, 0};
            const int ready = poll(&waiting, 1, static_cast<int>(ConnectTimeoutMs - elapsed));
            if (ready < 0 && errno == EINTR) {
                continue;
            }
            if (ready > 0) {
                int error = 0;
                socklen_t size = sizeof error;
                connected = getsockopt(m_handle, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
            }
            break;
        }
    }
    if (!SetNonBlocking(m_handle, false)) {
        return false;
    }
    return connected;
}

ServerSession::ServerSession() : m_macSource(&FindMacAddress) {}

bool ServerSession::ConnectServer(const char* address, int port)
{
    m_socket.CloseSocket();
    if (!m_socket.Create()) {
        return false;
    }
    if (!m_socket.ConnectWithTimeout(address, port)) {
        m_socket.CloseSocket();
        return false;
    }
    return true;
}

void BuildLoginRequest(CKvSndCmd& request, const std::string& id, const std::string& password,
                       const std::string& macAddress)
{
    std::string idValue = id;
    std::string passwordValue = password;
    std::string macValue = macAddress;
    std::int32_t type = 1;
    request.Param("ID", idValue);
    request.Param("PW", passwordValue);
    request.Param("Mac", macValue);
    request.Param("Type", type);
    PacketHeader header;
    header.Command = PacketHeader::LoginCommand;
    header.Result = 0;
    header.Length = request.BodyLength();
    header.Write(request.Header());
}

int ServerSession::SendLogin(const std::string& id, const std::string& password)
{
    CKvSndCmd request;
    BuildLoginRequest(request, id, password, m_macSource());
    if (!m_socket.IsOpen()) {
        return ResultSendFailed;
    }
    const std::size_t total = static_cast<std::size_t>(request.BodyLength()) + PacketHeader::Size;
    // A peer that has gone must not end the program with SIGPIPE.
    const ssize_t sent = send(m_socket.Handle(), request.Packet(), total, MSG_NOSIGNAL);
    if (sent < 0 || static_cast<std::size_t>(sent) != total) {
        return ResultSendFailed;
    }
    if (const int code = ReceiveReply(); code != 0) {
        return code;
    }
    return ReplyHeader().Result;
}

void CKvSocket::Attach(int handle)
{
    CloseSocket();
    m_handle = handle;
}

int ServerSession::ReceiveReply()
{
    if (const int code = ReceiveExact(PacketHeader::Size, m_receive); code != 0) {
        return code;
    }
    const PacketHeader header = ReplyHeader();
    // A length the receive area cannot hold is a broken reply; it never reaches the area.
    if (header.Length > MaxBodyLength) {
        return ResultReceiveFailed;
    }
    std::uint8_t* body = m_receive + PacketHeader::Size;
    m_reply.ClearPairs();
    // No body follows a length of 0 or less: the header's Result is the whole answer.
    if (header.Length <= 0) {
        body[0] = 0;
        return 0;
    }
    if (const int code = ReceiveExact(header.Length, body); code != 0) {
        return code;
    }
    body[header.Length] = 0;
    m_reply.ParseBody(header.Length, reinterpret_cast<char*>(body), 1);
    return 0;
}

int ServerSession::ReceiveExact(int count, std::uint8_t* destination)
{
    if (!m_socket.IsOpen()) {
        return ResultReceiveFailed;
    }
    const std::uint64_t start = platform::GetTickCount64();
    int received = 0;
    while (received < count) {
        const std::uint64_t elapsed = platform::GetTickCount64() - start;
        if (elapsed >= static_cast<std::uint64_t>(ReceiveTimeoutMs)) {
            return ResultReceiveTimeout;
        }
        pollfd waiting{m_socket.Handle(), POLLIN, 0};
        const int ready = poll(&waiting, 1, static_cast<int>(ReceiveTimeoutMs - elapsed));
        if (ready < 0 && errno != EINTR) {
            return ResultReceiveFailed;
        }
        if (ready <= 0) {
            continue;
        }
        const ssize_t n = recv(m_socket.Handle(), destination + received,
                               static_cast<std::size_t>(count - received), MSG_DONTWAIT);
        if (n > 0) {
            received += static_cast<int>(n);
            continue;
        }
        // 0: the server closed the connection before the count was complete.
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            return ResultReceiveFailed;
        }
    }
    return 0;
}

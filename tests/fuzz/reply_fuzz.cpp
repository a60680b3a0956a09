// The reply receive path, fed from the other end of a socket pair that then closes: header, length
// checks, body, parse.
#include "serverlink/server_session.h"

#include <cstdint>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        return 0;
    }
    int buffer = 1 << 20;
    setsockopt(ends[1], SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
    std::size_t sent = 0;
    while (sent < size) {
        const ssize_t n = send(ends[1], data + sent, size - sent, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n <= 0) {
            break;
        }
        sent += static_cast<std::size_t>(n);
    }
    close(ends[1]);
    ServerSession session;
    session.Socket().Attach(ends[0]);
    if (session.ReceiveReply() == 0) {
        std::string value;
        session.Reply().Param("AuthCode", value);
        session.Reply().Param("GroupID", value);
    }
    return 0;
}

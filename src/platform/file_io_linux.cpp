#include "platform/file_io.h"

#include <cerrno>
#include <unistd.h>

namespace platform {
namespace {

WriteFunction g_write = &::write;

} // namespace

bool WriteAll(int fd, const void* data, std::size_t size, std::size_t* written)
{
    const auto* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    bool ok = true;
    while (done < size) {
        const ssize_t n = g_write(fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ok = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (written != nullptr) {
        *written = done;
    }
    return ok;
}

WriteFunction SetWriteFunction(WriteFunction function)
{
    const WriteFunction previous = g_write;
    g_write = function != nullptr ? function : &::write;
    return previous;
}

} // namespace platform

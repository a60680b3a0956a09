#pragma once

// While one lives, the program's writes (platform::WriteAll) fail once a budget of bytes has been
// written, as on a disk that fills up: the bytes up to the budget reach the file, then the system
// refuses with ENOSPC.

#include "platform/file_io.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

class FailingWriter
{
public:
    explicit FailingWriter(std::size_t budget) : m_previous(platform::SetWriteFunction(&Write))
    {
        s_left = budget;
    }
    FailingWriter(const FailingWriter&) = delete;
    FailingWriter& operator=(const FailingWriter&) = delete;
    ~FailingWriter() { platform::SetWriteFunction(m_previous); }

private:
    static ssize_t Write(int fd, const void* data, std::size_t size)
    {
        if (s_left == 0) {
            errno = ENOSPC;
            return -1;
        }
        const ssize_t n = ::write(fd, data, std::min(size, s_left));
        if (n > 0) {
            s_left -= static_cast<std::size_t>(n);
        }
        return n;
    }

    static inline std::size_t s_left = 0;
    platform::WriteFunction m_previous;
};

#pragma once

#include <cstddef>
#include <sys/types.h>

namespace platform {

// Writes the whole of data to fd, going on after interruptions and partial writes. False when the
// system refuses a write (a full disk, a lost device); what was written by then stays written, and
// written (when given) tells how much that was.
bool WriteAll(int fd, const void* data, std::size_t size, std::size_t* written = nullptr);

// The system call WriteAll uses. Tests put in one that fails after some bytes, to see what a short
// write leaves behind; answers the one it replaces.
using WriteFunction = ssize_t (*)(int fd, const void* data, std::size_t size);
WriteFunction SetWriteFunction(WriteFunction function);

} // namespace platform

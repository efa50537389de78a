#pragma once

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>

namespace rl4::sim {

// What failed, with the system's reason from errno.
inline std::string failure(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// A descriptor the poll loop waits on must never block it, nor leak into a child process.
inline bool makeNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0 && fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

} // namespace rl4::sim

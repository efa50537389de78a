#pragma once

#include "platform/pty_pair.h"

#include <arpa/inet.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>

namespace rl4::test {

// A TCP listener on 127.0.0.1 at a port the system picks, standing in for a serial device server.
class LoopbackListener {
public:
    explicit LoopbackListener(int backlog = 4) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto* any = reinterpret_cast<sockaddr*>(&address);
        if (::bind(fd_, any, length) == 0 && ::listen(fd_, backlog) == 0 &&
            ::getsockname(fd_, any, &length) == 0)
            port_ = ntohs(address.sin_port);
    }
    ~LoopbackListener() { ::close(fd_); }
    LoopbackListener(const LoopbackListener&) = delete;

    int port() const { return port_; }
    std::string target() const { return "socket://127.0.0.1:" + std::to_string(port_); }
    // The next connection, or -1 when none comes within a second.
    int accept() const {
        pollfd p{fd_, POLLIN, 0};
        return ::poll(&p, 1, 1000) == 1 ? ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC) : -1;
    }

private:
    int fd_;
    int port_ = 0;
};

} // namespace rl4::test

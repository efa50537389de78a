#include "sim/tcp_port.h"

#include "sim/posix_calls.h"

#include <arpa/inet.h>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace rl4::sim {

namespace {

constexpr std::size_t kTcpReadChunk = 256;
constexpr int kBacklog = 4;

} // namespace

std::unique_ptr<TcpPort> TcpPort::open(int port, std::string& error) {
    std::unique_ptr<TcpPort> server(new TcpPort());
    server->askedPort_ = port;
    error = server->listen(port);
    if (!error.empty()) {
        server.reset();
    }
    return server;
}

TcpPort::~TcpPort() {
    closeAll();
}

void TcpPort::closeAll() {
    if (client_ >= 0) {
        close(client_);
        client_ = -1;
    }
    if (listener_ >= 0) {
        close(listener_);
        listener_ = -1;
    }
}

std::string TcpPort::unplug() {
    if (!plugged()) {
        return "the line is already unplugged";
    }
    // A pulled cable gives no orderly goodbye: linger 0 makes close() send a reset.
    if (client_ >= 0) {
        const linger abort{1, 0};
        setsockopt(client_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    }
    closeAll();
    return {};
}

std::string TcpPort::replug() {
    if (plugged()) {
        return "the line is already plugged in";
    }
    std::string error = listen(boundPort_);
    if (!error.empty()) {
        closeAll();
    }
    return error;
}

std::string TcpPort::listen(int port) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    if (listener_ < 0 || !makeNonBlocking(listener_)) {
        return failure("cannot create a TCP socket");
    }
    const int on = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        return failure("cannot listen on 127.0.0.1:" + std::to_string(port));
    }
    if (::listen(listener_, kBacklog) != 0) {
        return failure("cannot listen on 127.0.0.1:" + std::to_string(port));
    }
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    boundPort_ = ntohs(address.sin_port);
    return {};
}

void TcpPort::acceptClient() {
    const int client = accept(listener_, nullptr, nullptr);
    if (client < 0) {
        return;
    }
    // Paced answers go out a byte at a time; they must not wait for more.
    const int on = 1;
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (!makeNonBlocking(client)) {
        close(client);
        return;
    }
    client_ = client;
}

PortInput TcpPort::receive() {
    PortInput input;
    if (client_ < 0) {
        acceptClient();
        return input;
    }
    std::array<std::uint8_t, kTcpReadChunk> buffer{};
    const ssize_t count = read(client_, buffer.data(), buffer.size());
    if (count > 0) {
        input.bytes.assign(buffer.begin(), buffer.begin() + count);
    } else if (count == 0 || (errno != EAGAIN && errno != EINTR)) {
        close(client_);
        client_ = -1;
        input.disconnected = true;
    }
    return input;
}

} // namespace rl4::sim

#pragma once

#include "platform/descriptor_channel.h"

namespace rl4 {

// Raw TCP to a serial device server that passes bytes to and from the matrix's serial line unchanged.
// Targets read "socket://HOST:PORT", HOST being a name, an IPv4 literal or an IPv6 literal (bare or in
// brackets).
class SocketChannel : public DescriptorChannel {
public:
    static constexpr const char* kScheme = "socket://";
    // Long enough for a server across a slow network, short enough that a dead one does not freeze the
    // program at start-up.
    static constexpr int kConnectTimeoutMs = 2000;
    // A lost server tried again between two passes of the main loop: a server on the local network accepts
    // well within it, and the windows do not freeze noticeably while one that is not there keeps silent.
    static constexpr int kRetryConnectTimeoutMs = 250;
    // A server and the network add their own delay before the first byte of an answer: it is given twice
    // a local line's wait. A server that answers well is not slowed; only a missing answer waits longer.
    static constexpr LineTimeouts kNetworkTimeouts{.readTotalConstant = 100};

    explicit SocketChannel(LineTimeouts timeouts = kNetworkTimeouts, int connectMs = kConnectTimeoutMs)
        : DescriptorChannel(timeouts), connectMs_(connectMs) {}

    // Whether `target` reads "socket://HOST:PORT" with a host and a port 1..65535; whether the host
    // exists is known only by connecting.
    static bool wellFormed(const std::string& target);

    // False for a malformed target, a name that does not resolve, a refused connection (at once) or a
    // server that does not answer within the connect time (kConnectTimeoutMs unless told otherwise).
    bool open(const std::string& target) override;

protected:
    ssize_t transmit(int fd, std::uint8_t byte) override;
    ssize_t receive(int fd, std::uint8_t* buffer, std::size_t n) override;
    // The socket's pending error (a reset, a time-out of the network), else a peer that has closed.
    std::string hangUpReason(int fd) override;
    std::string endOfStreamReason() const override { return kClosedByPeer; }

private:
    int connectMs_;
};

} // namespace rl4

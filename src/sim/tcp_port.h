#pragma once

#include "sim/sim_port.h"

#include <memory>
#include <string>

namespace rl4::sim {

// A TCP port on the loopback address that plays a serial device server: one client at a time; when it
// disconnects, the next waiting client is let in. Unplugging resets the client's connection and stops
// listening; replugging listens on the same port again.
class TcpPort : public SimPort {
public:
    // Listens on 127.0.0.1:port (0: a port the system picks). Returns null and an error text on failure.
    static std::unique_ptr<TcpPort> open(int port, std::string& error);
    ~TcpPort() override;
    TcpPort(const TcpPort&) = delete;
    TcpPort& operator=(const TcpPort&) = delete;

    int boundPort() const { return boundPort_; }

    int pollFd() const override { return client_ >= 0 ? client_ : listener_; }
    int writeFd() const override { return client_; }
    PortInput receive() override;
    std::string unplug() override;
    std::string replug() override;
    bool plugged() const override { return listener_ >= 0; }
    std::string announcement() const override {
        return askedPort_ == 0 ? std::to_string(boundPort_) : std::string();
    }

private:
    TcpPort() = default;
    std::string listen(int port);
    void acceptClient();
    void closeAll();

    int listener_ = -1;
    int client_ = -1;
    int boundPort_ = 0;
    int askedPort_ = 0;
};

} // namespace rl4::sim

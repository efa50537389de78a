#pragma once

#include "sim/sim_port.h"

#include <memory>
#include <string>

namespace rl4::sim {

// A pseudo-terminal whose slave device plays the matrix's serial port. The matrix keeps a descriptor of
// the slave open itself, so that a client closing and reopening the device never leaves the master hung
// up. Unplugging closes both ends, so the client is hung up on, and removes the link; replugging opens a
// new pseudo-terminal behind the same link.
class PtyPort : public SimPort {
public:
    // Opens a pseudo-terminal in raw mode. With a link path, that path becomes a symbolic link to the
    // slave device (an existing symbolic link there is replaced) and is removed again on destruction.
    // Returns null and an error text on failure.
    static std::unique_ptr<PtyPort> open(const std::string& linkPath, std::string& error);
    ~PtyPort() override;
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    const std::string& devicePath() const { return device_; }

    int pollFd() const override { return master_; }
    int writeFd() const override { return master_; }
    PortInput receive() override;
    std::string unplug() override;
    std::string replug() override;
    bool plugged() const override { return master_ >= 0; }
    std::string announcement() const override { return linkPath_.empty() ? device_ : std::string(); }

private:
    PtyPort() = default;
    // Opens the device and makes the link when one was asked for; closes what it opened on failure.
    std::string plugIn();
    std::string openDevice();
    std::string makeLink();
    void removeLink();
    void closeDevice();

    int master_ = -1;
    int slave_ = -1;
    std::string device_;
    std::string linkPath_; // as asked for; empty when unnamed
    bool linkMade_ = false;
};

} // namespace rl4::sim

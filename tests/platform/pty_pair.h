#pragma once

#include <cstdint>
#include <poll.h>
#include <pty.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace rl4::test {

// A pseudo-terminal: the slave stands in for the serial port, the test plays the matrix on the master.
class PtyPair {
public:
    PtyPair() {
        if (::openpty(&master_, &slave_, nullptr, nullptr, nullptr) == 0 && ::ttyname(slave_))
            slavePath_ = ::ttyname(slave_);
    }
    ~PtyPair() { closeMaster(), ::close(slave_); }
    PtyPair(const PtyPair&) = delete;

    const std::string& slavePath() const { return slavePath_; }
    int slave() const { return slave_; }
    bool send(const std::vector<std::uint8_t>& bytes) const {
        return ::write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // What reaches the master within `timeoutMs` of each byte, at most `n` bytes.
    std::vector<std::uint8_t> receive(std::size_t n, int timeoutMs = 500) const {
        std::vector<std::uint8_t> bytes;
        for (pollfd p{master_, POLLIN, 0}; bytes.size() < n && ::poll(&p, 1, timeoutMs) == 1;) {
            std::uint8_t byte = 0;
            if (::read(master_, &byte, 1) != 1)
                break;
            bytes.push_back(byte);
        }
        return bytes;
    }
    // The matrix end goes away, as an unplugged adapter does.
    void closeMaster() { ::close(master_), master_ = -1; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

} // namespace rl4::test

#include "sim/pty_port.h"

#include "sim/posix_calls.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace rl4::sim {

namespace {

constexpr std::size_t kReadChunk = 256;
// How long to wait when the master reports a hang-up, so that such a state costs no busy loop.
constexpr long kHangUpPauseNanos = 20'000'000;

} // namespace

std::unique_ptr<PtyPort> PtyPort::open(const std::string& linkPath, std::string& error) {
    std::unique_ptr<PtyPort> port(new PtyPort());
    port->linkPath_ = linkPath;
    error = port->plugIn();
    if (!error.empty()) {
        port.reset();
    }
    return port;
}

PtyPort::~PtyPort() {
    removeLink();
    closeDevice();
}

std::string PtyPort::plugIn() {
    std::string error = openDevice();
    if (error.empty() && !linkPath_.empty()) {
        error = makeLink();
    }
    if (!error.empty()) {
        closeDevice();
    }
    return error;
}

std::string PtyPort::unplug() {
    if (!plugged()) {
        return "the line is already unplugged";
    }
    removeLink();
    closeDevice();
    return {};
}

std::string PtyPort::replug() {
    if (plugged()) {
        return "the line is already plugged in";
    }
    return plugIn();
}

// Only a link that still points at this matrix's device is removed: someone may have put another there.
void PtyPort::removeLink() {
    if (!linkMade_) {
        return;
    }
    linkMade_ = false;
    std::array<char, PATH_MAX> target{};
    const ssize_t length = readlink(linkPath_.c_str(), target.data(), target.size() - 1);
    if (length > 0 && device_ == std::string(target.data(), static_cast<std::size_t>(length))) {
        unlink(linkPath_.c_str());
    }
}

void PtyPort::closeDevice() {
    if (slave_ >= 0) {
        close(slave_);
        slave_ = -1;
    }
    if (master_ >= 0) {
        close(master_);
        master_ = -1;
    }
}

std::string PtyPort::openDevice() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) {
        return failure("cannot open a pseudo-terminal");
    }
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        return failure("cannot unlock the pseudo-terminal");
    }
    const char* name = ptsname(master_);
    if (name == nullptr) {
        return failure("cannot name the pseudo-terminal");
    }
    device_ = name;
    slave_ = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        return failure("cannot open " + device_);
    }
    termios settings{};
    if (tcgetattr(slave_, &settings) != 0) {
        return failure("cannot read the settings of " + device_);
    }
    cfmakeraw(&settings);
    if (tcsetattr(slave_, TCSANOW, &settings) != 0) {
        return failure("cannot set " + device_ + " to raw mode");
    }
    const int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0 ||
        fcntl(master_, F_SETFD, FD_CLOEXEC) != 0) {
        return failure("cannot set up the pseudo-terminal");
    }
    return {};
}

std::string PtyPort::makeLink() {
    struct stat existing {};
    if (lstat(linkPath_.c_str(), &existing) == 0) {
        if (!S_ISLNK(existing.st_mode)) {
            return linkPath_ + " exists and is not a symbolic link";
        }
        if (unlink(linkPath_.c_str()) != 0) {
            return failure("cannot remove the old link " + linkPath_);
        }
    }
    if (symlink(device_.c_str(), linkPath_.c_str()) != 0) {
        return failure("cannot create the link " + linkPath_);
    }
    linkMade_ = true;
    return {};
}

PortInput PtyPort::receive() {
    PortInput input;
    std::array<std::uint8_t, kReadChunk> buffer{};
    const ssize_t count = read(master_, buffer.data(), buffer.size());
    if (count > 0) {
        input.bytes.assign(buffer.begin(), buffer.begin() + count);
    } else if (count < 0 && errno != EAGAIN && errno != EINTR) {
        const timespec pause{0, kHangUpPauseNanos};
        nanosleep(&pause, nullptr);
    }
    return input;
}

} // namespace rl4::sim

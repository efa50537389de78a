#include "platform/serial_channel.h"

#include "platform/other_process.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/major.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace rl4 {

namespace {

void setMatrixLine(int fd) {
    termios line{};
    if (::tcgetattr(fd, &line) != 0)
        return;
    ::cfmakeraw(&line);
    ::cfsetispeed(&line, B9600);
    ::cfsetospeed(&line, B9600);
    line.c_cflag &= ~(PARENB | CSTOPB | CSIZE | CRTSCTS);
    line.c_cflag |= CS8 | CLOCAL | CREAD;
    line.c_iflag &= ~(IXON | IXOFF | IXANY);
    ::tcsetattr(fd, TCSANOW, &line);
    // Whatever waited in the buffers belongs to an earlier user of the port, not to our next request.
    ::tcflush(fd, TCIOFLUSH);
}

// A pseudo-terminal keeps its exclusive mode for as long as its master lives, even after its last user
// has gone: a program killed while holding one would lock everyone else (but root) out of it until the
// software matrix behind it restarts. The lock on the device is enough between our own programs.
bool isPseudoTerminal(const struct stat& device) {
    const auto number = major(device.st_rdev);
    return number >= UNIX98_PTY_SLAVE_MAJOR && number < UNIX98_PTY_SLAVE_MAJOR + UNIX98_PTY_MAJOR_COUNT;
}

} // namespace

bool SerialChannel::open(const std::string& target) {
    close();
    // Frames written to anything but a line would land in a file or a pipe, or reach some other device:
    // only a terminal (a serial adapter, or a pseudo-terminal standing in for one) is a port.
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0)
        return openFailed(errno == ENOENT ? kNoSuchDevice : std::strerror(errno));
    if (!S_ISCHR(info.st_mode))
        return openFailed(kNotASerialDevice);
    const int fd = ::open(target.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    // A line in exclusive mode refuses every other opener but root.
    if (fd < 0 && errno == EBUSY)
        return openFailed(inUseBy(processWithFileOpen(target)));
    if (fd < 0)
        return openFailed(std::strerror(errno));
    if (::isatty(fd) == 0) {
        ::close(fd);
        return openFailed(kNotASerialDevice);
    }
    // Two programs on one line would each take the other's answers. The lock is taken before anything
    // touches the line, so that a second opener leaves the first one's settings and buffers alone; the
    // kernel drops it with the descriptor, so a crash never leaves the port locked.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        const auto holder = flockHolder(fd);
        ::close(fd);
        return openFailed(inUseBy(holder));
    }
    // Against programs that do not lock (a terminal emulator left open on the port), as far as the system
    // enforces it: root passes through.
    const bool exclusive = !isPseudoTerminal(info) && ::ioctl(fd, TIOCEXCL) == 0;
    setMatrixLine(fd);
    adopt(fd, exclusive);
    return true;
}

} // namespace rl4

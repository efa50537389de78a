#include "platform/serial_channel.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
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
    if (fd < 0)
        return openFailed(std::strerror(errno));
    if (::isatty(fd) == 0) {
        ::close(fd);
        return openFailed(kNotASerialDevice);
    }
    setMatrixLine(fd);
    adopt(fd);
    return true;
}

} // namespace rl4

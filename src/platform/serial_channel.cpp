#include "platform/serial_channel.h"

#include <fcntl.h>
#include <termios.h>

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
    const int fd = ::open(target.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    setMatrixLine(fd);
    adopt(fd);
    return true;
}

} // namespace rl4

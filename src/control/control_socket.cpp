#include "control/control_socket.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace rl4 {

namespace {

std::uint64_t fnv1a(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    return hash;
}

std::string runtimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime == '/')
        return std::string(runtime) + "/routelane4";
    return "/tmp/routelane4-" + std::to_string(::getuid());
}

bool addressOf(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// The folder must be the user's own and closed to everyone else; in /tmp anybody could have made it first.
std::string makePrivateFolder(const std::string& folder) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(folder).parent_path(), ignored);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return systemError("cannot make " + folder);
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0)
        return systemError(folder);
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        return folder + " is not a folder of this user's";
    if ((info.st_mode & 0777) != 0700 && ::chmod(folder.c_str(), 0700) != 0)
        return systemError("cannot close " + folder + " to other users");
    return "";
}

struct HostAndPort {
    std::string host;
    std::string port;
};

HostAndPort splitHostAndPort(const std::string& text) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos)
        return {"127.0.0.1", text};
    std::string host = text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    return {host.empty() ? "127.0.0.1" : host, text.substr(colon + 1)};
}

// The first address of the host and port that `use` accepts; the error text when none does.
template <typename Use>
std::string eachAddress(const std::string& hostAndPort, bool passive, Use use) {
    const HostAndPort where = splitHostAndPort(hostAndPort);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = passive ? AI_PASSIVE : 0;
    addrinfo* found = nullptr;
    if (const int failed = ::getaddrinfo(where.host.c_str(), where.port.c_str(), &hints, &found); failed != 0)
        return hostAndPort + ": " + ::gai_strerror(failed);
    std::string error = hostAndPort + ": no address";
    for (addrinfo* address = found; address != nullptr; address = address->ai_next) {
        error = use(*address);
        if (error.empty())
            break;
    }
    ::freeaddrinfo(found);
    return error;
}

} // namespace

std::string controlSocketPath(const std::string& programFolder) {
    const std::filesystem::path folder =
        std::filesystem::weakly_canonical(std::filesystem::absolute(programFolder));
    std::string text = folder.lexically_normal().string();
    while (text.size() > 1 && text.ends_with('/'))
        text.pop_back();
    char name[32];
    std::snprintf(name, sizeof name, "%016llx.sock", static_cast<unsigned long long>(fnv1a(text)));
    return runtimeFolder() + "/" + name;
}

int connectControlSocket(const std::string& path) {
    sockaddr_un address{};
    if (!addressOf(path, address)) {
        errno = ENAMETOOLONG;
        return -1;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int reason = errno;
        ::close(fd);
        errno = reason;
        return -1;
    }
    return fd;
}

ListeningSocket listenControlSocket(const std::string& path) {
    ListeningSocket result;
    sockaddr_un address{};
    if (!addressOf(path, address)) {
        result.error = path + ": too long for a socket address";
        return result;
    }
    result.error = makePrivateFolder(std::filesystem::path(path).parent_path().string());
    if (!result.error.empty())
        return result;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        if (!S_ISSOCK(info.st_mode)) {
            result.error = path + " is there and is no socket";
            return result;
        }
        const int live = connectControlSocket(path);
        if (live >= 0) {
            ::close(live);
            result.error = "another routelane4 listens on " + path;
            return result;
        }
        ::unlink(path.c_str());
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        result.error = systemError("socket");
        return result;
    }
    // The folder keeps others out meanwhile; the mode is for a folder someone opens later.
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path.c_str(), 0600) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        result.error = systemError("cannot listen on " + path);
        ::close(fd);
        return result;
    }
    if (::lstat(path.c_str(), &info) == 0)
        result.inode = info.st_ino;
    result.fd = fd;
    return result;
}

ListeningSocket listenTcpSocket(const std::string& hostAndPort) {
    ListeningSocket result;
    result.error = eachAddress(hostAndPort, true, [&result, &hostAndPort](const addrinfo& address) {
        const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                                address.ai_protocol);
        if (fd < 0)
            return systemError("socket");
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (::bind(fd, address.ai_addr, address.ai_addrlen) != 0 || ::listen(fd, SOMAXCONN) != 0) {
            const std::string error = systemError("cannot listen on " + hostAndPort);
            ::close(fd);
            return error;
        }
        result.fd = fd;
        return std::string();
    });
    return result;
}

int connectTcpSocket(const std::string& hostAndPort, std::string& error) {
    int connected = -1;
    error = eachAddress(hostAndPort, false, [&connected, &hostAndPort](const addrinfo& address) {
        const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC, address.ai_protocol);
        if (fd < 0)
            return systemError("socket");
        if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
            const std::string error = systemError(hostAndPort);
            ::close(fd);
            return error;
        }
        connected = fd;
        return std::string();
    });
    return connected;
}

TokenFile readTokenFile(const std::string& path) {
    TokenFile result;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        result.error = systemError(path);
        return result;
    }
    if (!S_ISREG(info.st_mode) || info.st_uid != ::getuid() || (info.st_mode & 0777) != 0600) {
        result.error = path + " must be a file of this user's with mode 0600";
        return result;
    }
    std::ifstream in(path);
    std::getline(in, result.token);
    while (!result.token.empty() && (result.token.back() == '\r' || result.token.back() == ' '))
        result.token.pop_back();
    if (result.token.empty() || result.token.find_first_of(" \t\"\\") != std::string::npos)
        result.error = path + ": the token is one word on the first line";
    return result;
}

void removeControlSocket(const std::string& path, unsigned long inode) {
    struct stat onDisk {};
    if (::lstat(path.c_str(), &onDisk) == 0 && onDisk.st_ino == inode)
        ::unlink(path.c_str());
}

} // namespace rl4

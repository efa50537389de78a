#include "control/control_socket.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
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

void removeControlSocket(const std::string& path, unsigned long inode) {
    struct stat onDisk {};
    if (::lstat(path.c_str(), &onDisk) == 0 && onDisk.st_ino == inode)
        ::unlink(path.c_str());
}

} // namespace rl4

#include "platform/other_process.h"

#include <charconv>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace rl4 {

namespace {

// The look through /proc costs a stat per descriptor; a busy machine has tens of thousands of them, and an
// open that fails must still answer at once.
constexpr int kMostDescriptorsExamined = 20000;
// /proc/locks has a line per lock on the machine; no answer is worth reading more.
constexpr int kMostLockLines = 100000;

std::optional<int> processId(const char* text) {
    int pid = 0;
    const char* end = text + std::char_traits<char>::length(text);
    const auto [stop, error] = std::from_chars(text, end, pid);
    if (error != std::errc() || stop != end || pid <= 0)
        return std::nullopt;
    return pid;
}

// "fd:01:1234567": the device in hexadecimal major:minor, then the inode in decimal.
bool sameFile(const std::string& field, const struct stat& file) {
    unsigned deviceMajor = 0;
    unsigned deviceMinor = 0;
    unsigned long long inode = 0;
    char tail = 0;
    return std::sscanf(field.c_str(), "%x:%x:%llu%c", &deviceMajor, &deviceMinor, &inode, &tail) == 3 &&
           deviceMajor == major(file.st_dev) && deviceMinor == minor(file.st_dev) && inode == file.st_ino;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

} // namespace

std::string OtherProcess::describe() const {
    if (pid <= 0)
        return "another process";
    std::string text = "process " + std::to_string(pid);
    if (!command.empty())
        text += " (" + command + ")";
    return text;
}

std::string inUseBy(const std::optional<OtherProcess>& holder) {
    return "in use by " + holder.value_or(OtherProcess{}).describe();
}

std::optional<OtherProcess> inUseHolder(std::string_view reason) {
    constexpr std::string_view kInUse = "in use by ";
    constexpr std::string_view kProcess = "process ";
    if (!reason.starts_with(kInUse))
        return std::nullopt;
    reason.remove_prefix(kInUse.size());
    OtherProcess holder;
    if (!reason.starts_with(kProcess))
        return holder;
    reason.remove_prefix(kProcess.size());
    const auto [stop, error] = std::from_chars(reason.data(), reason.data() + reason.size(), holder.pid);
    if (error != std::errc())
        return OtherProcess{};
    reason.remove_prefix(static_cast<std::size_t>(stop - reason.data()));
    if (reason.starts_with(" (") && reason.ends_with(")"))
        holder.command = reason.substr(2, reason.size() - 3);
    return holder;
}

OtherProcess processOf(int pid) {
    OtherProcess process{pid, ""};
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::getline(comm, process.command);
    return process;
}

std::optional<OtherProcess> flockHolder(int fd) {
    struct stat file {};
    if (::fstat(fd, &file) != 0)
        return std::nullopt;
    std::ifstream locks("/proc/locks");
    std::string line;
    for (int i = 0; i < kMostLockLines && std::getline(locks, line); ++i) {
        // "1: FLOCK  ADVISORY  WRITE 1234 00:1a:3 0 EOF"; waiters read "1: -> FLOCK ..." and hold nothing.
        std::istringstream fields(line);
        std::string number, kind, mode, access, pid, where;
        fields >> number >> kind >> mode >> access >> pid >> where;
        if (kind != "FLOCK" || !sameFile(where, file))
            continue;
        if (const auto id = processId(pid.c_str()))
            return processOf(*id);
        return OtherProcess{};
    }
    return std::nullopt;
}

std::optional<OtherProcess> processWithFileOpen(const std::string& path) {
    struct stat wanted {};
    if (::stat(path.c_str(), &wanted) != 0)
        return std::nullopt;
    const std::unique_ptr<DIR, DirCloser> processes(::opendir("/proc"));
    if (!processes)
        return std::nullopt;
    const int self = static_cast<int>(::getpid());
    int examined = 0;
    while (const dirent* entry = ::readdir(processes.get())) {
        const auto pid = processId(entry->d_name);
        if (!pid || *pid == self)
            continue;
        const std::string fdFolder = "/proc/" + std::string(entry->d_name) + "/fd";
        const std::unique_ptr<DIR, DirCloser> descriptors(::opendir(fdFolder.c_str()));
        if (!descriptors)
            continue;
        while (const dirent* fd = ::readdir(descriptors.get())) {
            if (++examined > kMostDescriptorsExamined)
                return std::nullopt;
            struct stat open {};
            if (fd->d_name[0] != '.' && ::stat((fdFolder + "/" + fd->d_name).c_str(), &open) == 0 &&
                open.st_dev == wanted.st_dev && open.st_ino == wanted.st_ino)
                return processOf(*pid);
        }
    }
    return std::nullopt;
}

} // namespace rl4

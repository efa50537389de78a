#include "platform/program_folder_lock.h"

#include "platform/text_file.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace rl4 {

namespace {

// The pid its holder wrote in the lock file; 0 when there is none (a holder that could only read the file,
// or one caught between taking the lock and writing).
int writtenPid(int fd) {
    char text[32] = {};
    const ssize_t count = ::pread(fd, text, sizeof text - 1, 0);
    int pid = 0;
    if (count > 0)
        std::from_chars(text, text + count, pid);
    return pid > 0 ? pid : 0;
}

} // namespace

ProgramFolderLock::ProgramFolderLock(const std::string& folder, const std::string& fileName)
    : path_(folder + "/" + fileName) {
    int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    // A folder or lock file that is read-only for us can still be locked, only without our pid.
    bool writable = fd >= 0;
    if (fd < 0 && (errno == EACCES || errno == EROFS))
        fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        failure_ = path_ + ": " + systemErrorText(errno);
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK) {
            // The kernel's table names the holder even when it could not write its pid.
            holder_ = flockHolder(fd);
            if (!holder_ || holder_->pid == 0) {
                const int pid = writtenPid(fd);
                holder_ = pid > 0 ? processOf(pid) : OtherProcess{};
            }
            failure_ = inUseBy(holder_);
        } else {
            failure_ = path_ + ": " + systemErrorText(error);
        }
        ::close(fd);
        return;
    }
    fd_ = fd;
    if (writable) {
        const std::string pid = std::to_string(::getpid()) + "\n";
        if (::ftruncate(fd_, 0) == 0) {
            [[maybe_unused]] const ssize_t written = ::pwrite(fd_, pid.data(), pid.size(), 0);
        }
    }
}

ProgramFolderLock::~ProgramFolderLock() {
    release();
}

ProgramFolderLock::ProgramFolderLock(ProgramFolderLock&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)), holder_(std::move(other.holder_)),
      failure_(std::move(other.failure_)) {}

ProgramFolderLock& ProgramFolderLock::operator=(ProgramFolderLock&& other) noexcept {
    if (this != &other) {
        release();
        path_ = std::move(other.path_);
        fd_ = std::exchange(other.fd_, -1);
        holder_ = std::move(other.holder_);
        failure_ = std::move(other.failure_);
    }
    return *this;
}

void ProgramFolderLock::release() {
    if (fd_ < 0)
        return;
    // The file stays: removing it would let a program that opened it just before lock a file nobody else
    // sees any more, beside a new one. Emptied, it names no process that has gone.
    [[maybe_unused]] const int emptied = ::ftruncate(fd_, 0);
    ::close(fd_);
    fd_ = -1;
}

} // namespace rl4

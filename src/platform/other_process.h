#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rl4 {

// A process that holds something this program wants (a serial line, the program folder), as far as the
// system lets it be known.
struct OtherProcess {
    // 0 when the holder cannot be told.
    int pid = 0;
    // Its command name ("routelane4ctl"); empty when unreadable (another user's process, no /proc).
    std::string command;

    // "process 1234 (routelane4ctl)", "process 1234", or "another process".
    std::string describe() const;
};

// The reason given when another process holds what was asked for: "in use by process 1234 (routelane4)",
// "in use by another process" when it cannot be told.
std::string inUseBy(const std::optional<OtherProcess>& holder);

// The holder a reason made by inUseBy names (pid 0 for "another process"); nothing when the reason is
// another one. Callers that speak the operator's language take the process from here.
std::optional<OtherProcess> inUseHolder(std::string_view reason);

// The process of that id with its command name when it can be read.
OtherProcess processOf(int pid);

// The process holding a flock(2) lock on the file open on `fd`, from the kernel's table of locks.
std::optional<OtherProcess> flockHolder(int fd);

// A process other than this one that has the file at `path` open, found by a look through /proc/*/fd
// bounded to a few thousand descriptors; only processes of the same user (or all, for root) are seen.
std::optional<OtherProcess> processWithFileOpen(const std::string& path);

} // namespace rl4

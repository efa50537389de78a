#pragma once

#include "platform/other_process.h"

#include <optional>
#include <string>

namespace rl4 {

// Keeps a program folder to one running program, so that two copies never write over each other's
// files. The lock lives as long as the object (or until release()); the system drops it with the
// process, so a crash never leaves the folder locked.
class ProgramFolderLock {
public:
    static constexpr const char* kFileName = ".routelane4.lock";

    // Tries once, without waiting. `fileName` lets a program with files of its own (the protocol test tool)
    // share a folder with routelane4 without excluding it.
    explicit ProgramFolderLock(const std::string& folder, const std::string& fileName = kFileName);
    ~ProgramFolderLock();
    ProgramFolderLock(ProgramFolderLock&& other) noexcept;
    ProgramFolderLock& operator=(ProgramFolderLock&& other) noexcept;
    ProgramFolderLock(const ProgramFolderLock&) = delete;
    ProgramFolderLock& operator=(const ProgramFolderLock&) = delete;

    bool held() const { return fd_ >= 0; }
    // The process that has the folder when another one does (its pid 0 when it cannot be told).
    const std::optional<OtherProcess>& holder() const { return holder_; }
    // Why the lock is not held, in words for the operator: "in use by process 1234 (routelane4)", or the
    // system's reason when the lock file cannot be made ("/data/.routelane4.lock: Permission denied").
    // Empty while held.
    const std::string& failure() const { return failure_; }
    // The lock file's path.
    const std::string& path() const { return path_; }

    void release();

private:
    std::string path_;
    int fd_ = -1;
    std::optional<OtherProcess> holder_;
    std::string failure_;
};

} // namespace rl4

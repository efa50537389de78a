#pragma once

#include "platform/program_folder_lock.h"

#include <cstddef>
#include <string>

namespace rl4 {

// Two copies of the program on one folder would write over each other's files: the window program, and
// the commands of routelane4ctl that write files, keep the folder to themselves while they run. The one
// that has it clears what writers killed before their rename left behind. A folder whose lock file cannot
// be made (read-only) is used without the lock: nothing of ours can be written there anyway.
class FolderClaim {
public:
    explicit FolderClaim(const std::string& folder);

    // Another program has the folder.
    bool refused() const { return !refusal_.empty(); }
    // Why, for the operator, in the language of the folder's settings.
    const std::string& refusal() const { return refusal_; }
    std::size_t leftoversRemoved() const { return leftovers_; }

private:
    ProgramFolderLock lock_;
    std::string refusal_;
    std::size_t leftovers_ = 0;
};

} // namespace rl4

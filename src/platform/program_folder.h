#pragma once

#include <optional>
#include <string>

namespace rl4 {

// Where the program keeps its files, or why there is none.
struct FolderChoice {
    std::string folder;
    // Empty when `folder` is usable.
    std::string error;
};

// The folder of the settings, connexion, assignment and port map files: the --data folder when one is
// given (created if missing); else the executable's own folder, as on Windows, when the user may write
// there and it is not the bin folder of an installation prefix (a bin folder beside a share folder);
// else $HOME/.local/share/PROGRAM (created), PROGRAM being `programName`.
FolderChoice programFolder(const std::optional<std::string>& dataOption, const std::string& executablePath,
                           const std::string& programName = "routelane4");

// The running executable's path, or an empty text when the system does not tell.
std::string executablePath();

} // namespace rl4

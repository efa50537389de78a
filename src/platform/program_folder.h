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
// there; else $HOME/.local/share/routelane4 (created).
FolderChoice programFolder(const std::optional<std::string>& dataOption, const std::string& executablePath);

// The running executable's path, or an empty text when the system does not tell.
std::string executablePath();

} // namespace rl4

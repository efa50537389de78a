#include "platform/program_folder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace rl4 {

namespace {

constexpr const char* kHomeData = ".local/share/";

FolderChoice madeFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        return {"", "cannot create folder " + folder + ": " + error.message()};
    if (!std::filesystem::is_directory(folder, error))
        return {"", "cannot use " + folder + " as the program folder: it is not a folder"};
    return {folder, ""};
}

// PREFIX/bin beside PREFIX/share (/usr/bin, /usr/local/bin, ~/.local/bin) holds programs that every user
// of the machine shares. Their files go to each user's home, even for root, who could write into /usr/bin.
bool installedUnderPrefix(const std::filesystem::path& folder) {
    std::error_code error;
    return folder.filename() == "bin" && std::filesystem::is_directory(folder.parent_path() / "share", error);
}

} // namespace

FolderChoice programFolder(const std::optional<std::string>& dataOption, const std::string& executablePath,
                           const std::string& programName) {
    if (dataOption && dataOption->empty())
        return {"", "--data needs a folder"};
    if (dataOption)
        return madeFolder(*dataOption);
    if (!executablePath.empty()) {
        const std::string folder = std::filesystem::path(executablePath).parent_path().string();
        if (!folder.empty() && !installedUnderPrefix(folder) && ::access(folder.c_str(), W_OK) == 0)
            return {folder, ""};
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0')
        return {"", "cannot find a folder for the program's files: HOME is not set"};
    return madeFolder(std::string(home) + "/" + kHomeData + programName);
}

std::string executablePath() {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? "" : path.string();
}

} // namespace rl4

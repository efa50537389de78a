#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace rl4::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder() {
        std::string name = (std::filesystem::temp_directory_path() / "rl4-test-XXXXXX").string();
        if (::mkdtemp(name.data()) != nullptr)
            path_ = name;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& folder() const { return path_; }
    std::string path(const std::string& name = "") const { return name.empty() ? path_ : path_ + "/" + name; }

private:
    std::string path_;
};

} // namespace rl4::test

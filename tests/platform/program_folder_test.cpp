#include "platform/program_folder.h"
#include "support/temp_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace rl4 {
namespace {

namespace fs = std::filesystem;

// Points HOME at a temporary folder for the length of a test.
class ProgramFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* home = std::getenv("HOME"))
            savedHome = home;
        ::setenv("HOME", temp.path("home").c_str(), 1);
    }
    void TearDown() override {
        if (savedHome)
            ::setenv("HOME", savedHome->c_str(), 1);
        else
            ::unsetenv("HOME");
    }

    test::TempFolder temp;
    std::optional<std::string> savedHome;
};

TEST_F(ProgramFolderTest, DataOptionFirstThenTheExecutablesFolder) {
    const std::string data = temp.path("data/matrix");
    const FolderChoice chosen = programFolder(data, temp.path("bin/routelane4"));
    EXPECT_EQ(chosen.folder, data);
    EXPECT_EQ(chosen.error, "");
    EXPECT_TRUE(fs::is_directory(data));

    fs::create_directories(temp.path("bin"));
    EXPECT_EQ(programFolder(std::nullopt, temp.path("bin/routelane4")).folder, temp.path("bin"));
    EXPECT_FALSE(fs::exists(temp.path("home")));
    EXPECT_NE(programFolder(std::string(), temp.path("bin/routelane4")).error, "");
    EXPECT_EQ(fs::path(executablePath()).filename(), "test_platform");
}

TEST_F(ProgramFolderTest, FallsBackToTheHomeDataFolder) {
    const std::string homeData = temp.path("home/.local/share/routelane4");
    EXPECT_EQ(programFolder(std::nullopt, "/nonexistent/bin/routelane4").folder, homeData);
    EXPECT_TRUE(fs::is_directory(homeData));
    EXPECT_EQ(programFolder(std::nullopt, "").folder, homeData);
    EXPECT_EQ(programFolder(std::nullopt, "", "protocol").folder, temp.path("home/.local/share/protocol"));

    // Root may write anywhere, so a read-only folder only counts for other users.
    fs::create_directories(temp.path("ro"));
    ::chmod(temp.path("ro").c_str(), 0555);
    const std::string expected = ::geteuid() == 0 ? temp.path("ro") : homeData;
    EXPECT_EQ(programFolder(std::nullopt, temp.path("ro/routelane4")).folder, expected);
}

// A bin folder beside a share folder is an installation that every user shares: its programs keep their files
// in each user's home even when the folder is writable, as the temporary folder is here and /usr/bin is for
// root. Any other folder is portable: files beside the executable.
TEST_F(ProgramFolderTest, InstalledProgramsKeepTheirFilesInTheHome) {
    struct Case {
        std::vector<const char*> folders;
        const char* executable;
        const char* program;
        const char* expected;
    };
    const Case cases[] = {
        {{"usr/bin", "usr/share"}, "usr/bin/routelane4", "routelane4", "home/.local/share/routelane4"},
        {{"usr/local/bin", "usr/local/share"},
         "usr/local/bin/protocol",
         "protocol",
         "home/.local/share/protocol"},
        {{"home/.local/bin", "home/.local/share"},
         "home/.local/bin/routelane4",
         "routelane4",
         "home/.local/share/routelane4"},
        {{"opt/bin"}, "opt/bin/routelane4", "routelane4", "opt/bin"},
        {{"kit/share"}, "kit/routelane4", "routelane4", "kit"},
        {{"tools/sbin", "tools/share"}, "tools/sbin/protocol", "protocol", "tools/sbin"},
    };
    for (const Case& c : cases) {
        for (const char* folder : c.folders)
            fs::create_directories(temp.path(folder));
        const FolderChoice chosen = programFolder(std::nullopt, temp.path(c.executable), c.program);
        EXPECT_EQ(chosen.folder, temp.path(c.expected)) << c.executable;
        EXPECT_EQ(chosen.error, "") << c.executable;
    }

    // A file named share is no installation.
    fs::create_directories(temp.path("odd/bin"));
    std::ofstream(temp.path("odd/share")) << "x";
    EXPECT_EQ(programFolder(std::nullopt, temp.path("odd/bin/routelane4")).folder, temp.path("odd/bin"));
}

TEST_F(ProgramFolderTest, UncreatableFolderIsReported) {
    std::ofstream(temp.path("file")) << "x";
    const FolderChoice underFile = programFolder(temp.path("file/data"), "");
    EXPECT_EQ(underFile.folder, "");
    EXPECT_EQ(underFile.error.rfind("cannot create folder " + temp.path("file/data") + ": ", 0), 0u)
        << underFile.error;

    ::setenv("HOME", temp.path("file").c_str(), 1);
    EXPECT_NE(programFolder(std::nullopt, "/nonexistent/routelane4").error, "");
    ::unsetenv("HOME");
    EXPECT_EQ(programFolder(std::nullopt, "/nonexistent/routelane4").error,
              "cannot find a folder for the program's files: HOME is not set");
}

} // namespace
} // namespace rl4

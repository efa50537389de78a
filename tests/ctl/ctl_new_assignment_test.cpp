#include "ctl/ctl_new_assignment.h"
#include "platform/text_file.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <sstream>

namespace rl4::test {
namespace {

struct Result {
    int status = 0;
    std::string out, err;
};

Result run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = runNewAssignment(args, out, err);
    return {status, out.str(), err.str()};
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(CtlNewAssignment, WritesTheFileTheSizeDialogWould) {
    TempFolder folder;
    const std::string path = folder.path("ctl.agn");
    const Result done = run({"--video-in", "10", "--audio-in", "4", "--video-out", "3", "--yc-out", "5",
                             "--source-prefix", "Cam", "--no-all-dest", "--touches", path});
    ASSERT_EQ(done.status, 0) << done.err;
    EXPECT_EQ(done.out, path + ": 11 sources, 5 destinations\n");
    const std::string bytes = fileBytes(path);
    EXPECT_TRUE(has(bytes, "Cam 10              | 10| 10|   |   |   |\r\n"));
    EXPECT_TRUE(has(bytes, "Dest 1              | 17|  1|   |   |  1| -1| -1|127|"));
    EXPECT_FALSE(has(bytes, "All Dest")) << "--no-all-dest";
}

TEST(CtlNewAssignment, SeparateNamingFromZeroNamesEachLayersConnectors) {
    TempFolder folder;
    const std::string path = folder.path("small.agn");
    ASSERT_EQ(run({"--naming", "separate", "--from-zero", "--video-in", "1", "--audio-out", "1",
                   "--video-in-prefix", "Cam", path})
                  .status,
              0);
    const Lines lines = readCrLf(path);
    ASSERT_GE(lines.size(), 14u);
    EXPECT_EQ((Lines{lines[0], lines[3]}), (Lines{"Video In = 1", "Audio Out = 1"}));
    EXPECT_EQ(lines[10], "Cam 0               |   |  0|   |   |   |");
    EXPECT_EQ(lines[13], "Audio out 0         |   |   |  0|   |   | -1| -1|127|127|127|127|127|127|");
    EXPECT_EQ(lines[16], "Take                |   |");
}

TEST(CtlNewAssignment, UsageAndFileErrors) {
    TempFolder folder;
    const std::string path = folder.path("x.agn");
    // clang-format off
    const std::vector<std::vector<std::string>> wrong = {
        {}, {folder.path("x.txt")}, {path, folder.path("y.agn")}, {"--video-in", "257", path},
        {"--audio-out", "-1", path}, {path, "--rgb-in"}, {"--layers", "4", path}, {"--naming", "diagonal", path},
        {"--video-in-prefix", "Cam", path}, {"--naming", "separate", "--dest-prefix", "Out", path},
        {"--source-prefix", "----------", "--video-in", "4", path}};
    // clang-format on
    for (const auto& args : wrong) {
        const Result refused = run(args);
        EXPECT_EQ(refused.status, 64) << (args.empty() ? "" : args.front());
        EXPECT_TRUE(has(refused.err, "Try 'routelane4ctl new-assignment --help'."));
    }
    EXPECT_FALSE(fileExists(path));

    // What the size dialog tells goes to the error stream, and the file is written all the same.
    const Result cut = run({"--video-in", "256", "--video-out", "2", path});
    EXPECT_EQ(cut.status, 0) << cut.err;
    EXPECT_TRUE(has(cut.err, "stop at 255")) << cut.err;
    EXPECT_TRUE(has(fileBytes(path), "Source 255          |   |255|"));
    EXPECT_FALSE(has(fileBytes(path), "256|"));

    EXPECT_TRUE(run({"--help"}).out.starts_with("Usage: routelane4ctl new-assignment"));
    const Result unwritable = run({folder.path("missing/x.agn")});
    EXPECT_EQ(unwritable.status, 66);
    EXPECT_TRUE(has(unwritable.err, folder.path("missing/x.agn")));
}

} // namespace
} // namespace rl4::test

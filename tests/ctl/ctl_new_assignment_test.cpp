#include "assign/editor_rig.h"
#include "ctl/ctl_new_assignment.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace rl4::test {
namespace {

struct CtlRun {
    int status = 0;
    std::string out;
    std::string err;
};

CtlRun run(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = runNewAssignment(args, out, err);
    return {status, out.str(), err.str()};
}

TEST(CtlNewAssignmentTest, WritesTheFileTheSizeDialogAndSaveWrite) {
    ScratchFolder folder;
    const std::string fromCtl = folder.path("ctl.agn");
    const CtlRun done = run({"--video-in", "10", "--audio-in", "4", "--video-out", "3", "--yc-out", "5",
                             "--source-prefix", "Cam", "--no-all-dest", "--touches", fromCtl});
    ASSERT_EQ(done.status, 0) << done.err;
    EXPECT_EQ(done.out, fromCtl + ": 11 sources, 5 destinations\n");

    EditorRig rig;
    rig.editor.frmagn_Load();
    rig.editor.frmagn_MenuEvent(104);
    SizeDialogModel& dialog = *rig.editor.sizeDialog();
    dialog.edsizeinvideonumber = "10";
    dialog.edsizeinaudionumber = "4";
    dialog.edsizeoutvideonumber = "3";
    dialog.edsizeoutaudionumber = "0";
    dialog.edsizeoutrgbnumber = "0";
    dialog.edsizeoutycnumber = "5";
    dialog.edsizeinglobal = "Cam";
    dialog.chkalldest = false;
    dialog.chkclavier = true;
    dialog.cmdsizecreate_Click();
    const std::string fromEditor = rig.folder.path("editor.agn");
    rig.prompt.answerPath(fromEditor);
    rig.editor.frmagn_MenuEvent(102);

    EXPECT_EQ(ScratchFolder::bytes(fromCtl), ScratchFolder::bytes(fromEditor));
    EXPECT_NE(ScratchFolder::bytes(fromCtl).find("Cam 10              | 10| 10|   |   |   |\r\n"),
              std::string::npos);
    EXPECT_NE(ScratchFolder::bytes(fromCtl).find("Dest 1              | 17|  1|   |   |  1| -1| -1|127|"),
              std::string::npos);
}

TEST(CtlNewAssignmentTest, SeparateNamingFromZeroGivesTheFileOfTheRules) {
    ScratchFolder folder;
    const std::string path = folder.path("small.agn");
    ASSERT_EQ(run({"--naming", "separate", "--from-zero", "--video-in", "1", "--audio-out", "1",
                   "--video-in-prefix", "Cam", path})
                  .status,
              0);

    const std::string expected =
        fileHead({1, 0, 0, 1, 0, 0, 0, 0}) + "Cam 0               |   |  0|   |   |   |\r\n" +
        destinationsHead() + "Audio out 0         |   |   |  0|   |   | -1| -1|127|127|127|127|127|127|\r\n" +
        specialsPart("   ");
    EXPECT_EQ(ScratchFolder::bytes(path), expected);
}

TEST(CtlNewAssignmentTest, UsageAndFileErrors) {
    ScratchFolder folder;
    const std::string path = folder.path("x.agn");
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {folder.path("x.txt")},
        {path, folder.path("y.agn")},
        {"--video-in", "257", path},
        {"--audio-out", "-1", path},
        {path, "--rgb-in"},
        {"--layers", "4", path},
        {"--naming", "diagonal", path},
        {"--video-in-prefix", "Cam", path},
        {"--naming", "separate", "--dest-prefix", "Out", path},
        {"--source-prefix", "----------", "--video-in", "4", path},
    };
    for (const auto& args : wrong) {
        const CtlRun refused = run(args);
        EXPECT_EQ(refused.status, 64) << (args.empty() ? "" : args.front());
        EXPECT_NE(refused.err.find("Try 'routelane4ctl new-assignment --help'."), std::string::npos);
    }
    EXPECT_FALSE(fileExists(path));

    // What the size dialog tells goes to the error stream, and the file is written all the same.
    const CtlRun cut = run({"--video-in", "256", "--video-out", "2", path});
    EXPECT_EQ(cut.status, 0) << cut.err;
    EXPECT_NE(cut.err.find("stop at 255"), std::string::npos) << cut.err;
    EXPECT_NE(ScratchFolder::bytes(path).find("Source 255          |   |255|"), std::string::npos);
    EXPECT_EQ(ScratchFolder::bytes(path).find("256|"), std::string::npos);
    std::filesystem::remove(path);

    const CtlRun help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: routelane4ctl new-assignment"));

    const CtlRun unwritable = run({folder.path("missing/x.agn")});
    EXPECT_EQ(unwritable.status, 66);
    EXPECT_NE(unwritable.err.find(folder.path("missing/x.agn")), std::string::npos);
}

} // namespace
} // namespace rl4::test

#include "engine/menu_ids.h"
#include "link/history_csv.h"
#include "support/engine_rig.h"

#include <gtest/gtest.h>

namespace rl4::test {
namespace {

using namespace menu_id;

TEST(HistoryCsv, FieldsAreQuotedOnlyWhereCsvNeedsIt) {
    struct Case {
        const char* field;
        const char* written;
    };
    // clang-format off
    const Case cases[] = {
        {"02.56.03.01.03", "02.56.03.01.03"}, {"", ""}, {"in the middle", "in the middle"},
        {" 3", "\" 3\""}, // the number form's leading blank must survive a spreadsheet
        {"bad ", "\"bad \""}, {"a,b", "\"a,b\""}, {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""}, {"cr\r", "\"cr\r\""},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(csvField(c.field), c.written) << c.field;
    EXPECT_EQ(historyCsvHeader(), "time,sent,received,instruction,object,in,out,ms");
    const HistoryRow row{.sent = "External",
                         .received = "02.56.03.02.03",
                         .instr = "Swch",
                         .object = "video",
                         .in = " 2",
                         .out = " 3",
                         .timeOfDay = "10:11:12",
                         .responseMs = 14};
    EXPECT_EQ(historyCsvLine(row), "10:11:12,External,02.56.03.02.03,Swch,video,\" 2\",\" 3\",14");
}

// The log takes every frame whether the history window is open or not, one line each as it comes; the
// window's export writes the rows it shows in the same form; a second run appends under the one header.
TEST(HistoryCsv, TheLogTakesEveryRowAndTheExportWritesTheWindowsRowsAlike) {
    EngineRig rig;
    rig.engine.link().setPortNumber(0);
    rig.engine.link().OpenPort();
    const std::string logPath = rig.path("frames.csv");
    std::string error;
    {
        const std::unique_ptr<FrameLog> log = FrameLog::open(logPath, error);
        ASSERT_TRUE(log) << error;
        rig.engine.link().setRowLog(log.get());
        rig.commands.frm1_MenuEvent(kStoreStatus); // history closed
        rig.commands.frm1_MenuEvent(kHistory);
        rig.commands.frm1_MenuEvent(kStoreStatus);
        ASSERT_EQ(readCrLf(logPath).size(), 3U) << "written as it comes, before the log is closed";
        rig.engine.link().setRowLog(nullptr);
    }
    const Lines logged = readCrLf(logPath);
    EXPECT_EQ(logged[0], historyCsvHeader());
    EXPECT_TRUE(logged[1].ends_with(",02.53.53.53.03,02.53.53.53.03,Mem,eepr,\" 83\",\" 83\",0"))
        << logged[1];

    rig.prompt.answerPath(rig.path("export.csv"));
    rig.engine.history().cmdexporthisto_Click(rig.prompt);
    EXPECT_EQ(readCrLf(rig.path("export.csv")), (Lines{logged[0], logged[2]}));
    EXPECT_EQ(rig.prompt.questions.back().title, "Export the history");

    ASSERT_TRUE(FrameLog::open(logPath, error));
    EXPECT_EQ(readCrLf(logPath), logged) << "no second header";
    EXPECT_FALSE(FrameLog::open(rig.path("no-such-folder/frames.csv"), error));
    EXPECT_EQ(error, "No such file or directory");
    // An export the folder refuses is said, and nothing else happens.
    rig.prompt.answerPath(rig.path("no-such-folder/export.csv"));
    rig.engine.history().cmdexporthisto_Click(rig.prompt);
    EXPECT_TRUE(rig.prompt.questions.back().text.starts_with("Cannot write the file "))
        << rig.prompt.questions.back().text;
}

} // namespace
} // namespace rl4::test

#include "engine/menu_ids.h"
#include "link/history_csv.h"
#include "support/engine_rig.h"

#include <gtest/gtest.h>

namespace rl4::test {
namespace {

using namespace menu_id;

// The engine not started, its link on port `port` (0: no matrix, frames answered by their echo), and the
// history window open.
struct HistoryRig : EngineRig {
    explicit HistoryRig(int port) {
        engine.link().setPortNumber(port);
        engine.link().OpenPort();
        commands.frm1_MenuEvent(kHistory);
    }
    HistoryModel& history() { return engine.history(); }
    std::vector<std::string> headers() {
        std::vector<std::string> result;
        for (const HistoryColumn& column : history().columns())
            result.push_back(column.header);
        return result;
    }
};

const HistoryRow kRow{.sent = "02.56.03.02.03",
                      .received = "02.56.03.02.03",
                      .instr = "Swch",
                      .object = "video",
                      .in = " 2",
                      .out = " 3",
                      .timeOfDay = "10:11:12",
                      .responseMs = 14,
                      .recognised = true,
                      .atMicros = 50'000'000};

TEST(HistoryModel, ColumnsAndCaptionSayWhetherAMatrixAnswersInEitherLanguage) {
    HistoryRig simulated(0);
    EXPECT_EQ(simulated.headers(), (std::vector<std::string>{"Sent (h)", "Simulated (h)", "Instr", "Layer",
                                                             "In", "Out", "Time", "mS", "n"}));
    EXPECT_EQ(simulated.history().caption(), "Historical (No Matrix operating)");

    HistoryRig rig(1);
    rig.history().frmhisto_Close();
    rig.engine.messages().setLanguage(kLanguageFrench);
    rig.commands.frm1_MenuEvent(kHistory);
    EXPECT_EQ(rig.headers()[0] + " " + rig.headers()[1], "Transmis (h) Reçu (h)");
}

// The list counts its rows down from 99; the hundredth frame clears it and becomes its only row.
TEST(HistoryModel, RowsCloseInTimeShareAColourUnrecognisedOnesAreRedAndTheHundredthClearsTheList) {
    HistoryRig rig(0);
    HistoryRow row = kRow;
    // Within 200 ms of the row before: the same colour; further: the other one.
    for (const std::int64_t step : {0, 250'000, 150'000}) {
        row.atMicros += step;
        row.recognised = step != 150'000;
        rig.history().AddHistoryRow(row);
    }
    const std::vector<HistoryLine>& rows = rig.history().rows();
    ASSERT_EQ(rows.size(), 3U);
    EXPECT_EQ(rows[0].cells, (std::array<std::string, 9>{"02.56.03.02.03", "02.56.03.02.03", "Swch", "video",
                                                         " 2", " 3", "10:11:12", "14", "97"}))
        << "the newest row comes first, counted down from 99";
    EXPECT_EQ(rows[0].background, rows[1].background);
    EXPECT_NE(rows[1].background, rows[2].background);
    EXPECT_EQ(rows[0].text, (RgbColour{255, 0, 0}));
    EXPECT_EQ(rows[1].text, kBlack);
    rig.history().cmdclrhisto_Click();
    EXPECT_TRUE(rows.empty());

    for (int i = 0; i < kHistoryMaxRows; ++i)
        rig.commands.frm1_MenuEvent(kStoreStatus);
    ASSERT_EQ(rows.size(), 99U);
    EXPECT_EQ(rows.front().cells[8], "01");
    rig.commands.frm1_MenuEvent(kStoreStatus);
    ASSERT_EQ(rows.size(), 1U);
    EXPECT_EQ(rows.front().cells[8], "99");
}

TEST(HistoryCsv, FieldsAreQuotedOnlyWhereCsvNeedsIt) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"02.56.03.01.03", "02.56.03.01.03"}, {"", ""}, {"in the middle", "in the middle"},
        {" 3", "\" 3\""}, // the number form's leading blank must survive a spreadsheet
        {"bad ", "\"bad \""}, {"a,b", "\"a,b\""}, {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""}, {"cr\r", "\"cr\r\""},
    };
    // clang-format on
    for (const auto& [field, written] : cases)
        EXPECT_EQ(csvField(field), written) << field;
    EXPECT_EQ(historyCsvLine(kRow), "10:11:12,02.56.03.02.03,02.56.03.02.03,Swch,video,\" 2\",\" 3\",14");
}

// The log takes every frame, the history window open or not, one line each as it comes, under one header
// however often it is opened. The export writes the rows the window shows in the log's form, and says what
// the folder refuses.
TEST(HistoryCsv, TheLogTakesEveryRowUnderOneHeaderAndTheExportTheWindowsRows) {
    HistoryRig rig(0);
    rig.history().frmhisto_Close();
    const std::string path = rig.path("frames.csv");
    std::string error;
    for (const std::size_t lines : {2U, 3U}) {
        const std::unique_ptr<FrameLog> log = FrameLog::open(path, error);
        ASSERT_TRUE(log) << error;
        rig.engine.link().setRowLog(log.get());
        rig.commands.frm1_MenuEvent(kStoreStatus);
        EXPECT_EQ(readCrLf(path).size(), lines) << "written before the log is closed";
        rig.engine.link().setRowLog(nullptr);
    }
    EXPECT_EQ(readCrLf(path).at(0), historyCsvHeader());
    EXPECT_FALSE(FrameLog::open(rig.path("no-such-folder/frames.csv"), error));
    EXPECT_EQ(error, "No such file or directory");

    rig.commands.frm1_MenuEvent(kHistory);
    rig.commands.frm1_MenuEvent(kStoreStatus);
    rig.prompt.answerPath(rig.path("export.csv"));
    rig.history().cmdexporthisto_Click(rig.prompt);
    const Lines exported = readCrLf(rig.path("export.csv"));
    ASSERT_EQ(exported.size(), 2U);
    EXPECT_EQ(exported[0], historyCsvHeader());
    EXPECT_TRUE(exported[1].ends_with(",02.53.53.53.03,02.53.53.53.03,Mem,eepr,\" 83\",\" 83\",0"))
        << exported[1];
    rig.prompt.answerPath(rig.path("no-such-folder/export.csv"));
    rig.history().cmdexporthisto_Click(rig.prompt);
    EXPECT_TRUE(rig.prompt.questions.back().text.starts_with("Cannot write the file "))
        << rig.prompt.questions.back().text;
}

} // namespace
} // namespace rl4::test

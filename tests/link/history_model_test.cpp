#include "support/window_models_rig.h"

#include <gtest/gtest.h>

namespace rl4::test {
namespace {

std::vector<std::string> headers(const HistoryModel& history) {
    std::vector<std::string> result;
    for (const HistoryColumn& column : history.columns())
        result.push_back(column.header);
    return result;
}

TEST(HistoryModel, ColumnsAndCaptionSayWhetherAMatrixAnswers) {
    WindowRig rig;
    rig.simulate(5);
    rig.commands.frm1_MenuEvent(205);
    const HistoryModel& history = rig.engine.history();
    EXPECT_EQ(headers(history), (std::vector<std::string>{"Sent (h)", "Simulated (h)", "Instr", "Layer", "In",
                                                          "Out", "Time", "mS", "n"}));
    EXPECT_EQ(history.caption(), "Historical (No Matrix operating)");

    rig.engine.history().frmhisto_Close();
    rig.connect(5);
    rig.engine.messages().setLanguage(kLanguageFrench);
    rig.commands.frm1_MenuEvent(205);
    EXPECT_EQ(headers(history)[0], "Transmis (h)");
    EXPECT_EQ(headers(history)[1], "Reçu (h)");
    EXPECT_EQ(history.caption(), "Historique");
    rig.engine.messages().setLanguage(kLanguageEnglish);
    rig.engine.history().frmhisto_Close();
    rig.commands.frm1_MenuEvent(205);
    EXPECT_EQ(headers(history)[1], "Received (h)");
    EXPECT_EQ(history.caption(), "Historical");
}

TEST(HistoryModel, RowsCloseInTimeShareAColourAndUnrecognisedOnesAreRed) {
    WindowRig rig;
    rig.simulate(5);
    rig.commands.frm1_MenuEvent(205);
    HistoryModel& history = rig.engine.history();
    HistoryRow row{.sent = "02.56.03.02.03",
                   .received = "02.56.03.02.03",
                   .instr = "Switch",
                   .object = "Video",
                   .in = " 2",
                   .out = " 3",
                   .timeOfDay = "10:11:12",
                   .responseMs = 14,
                   .recognised = true,
                   .simulated = false,
                   .atMicros = 50'000'000};
    history.AddHistoryRow(row);
    row.atMicros += 150'000;
    history.AddHistoryRow(row);
    row.atMicros += 250'000;
    row.recognised = false;
    row.instr = "Error";
    history.AddHistoryRow(row);

    const std::vector<HistoryLine>& rows = history.rows();
    ASSERT_EQ(rows.size(), 3U);
    EXPECT_EQ(rows[0].cells, (std::array<std::string, 9>{"02.56.03.02.03", "02.56.03.02.03", "Error", "Video",
                                                         " 2", " 3", "10:11:12", "14", "97"}));
    EXPECT_EQ(rows[2].cells[8], "99");
    EXPECT_EQ(rows[2].background, rows[1].background);
    EXPECT_NE(rows[0].background, rows[1].background);
    for (const HistoryLine& line : rows)
        EXPECT_TRUE(line.background == kHistoryColourOne || line.background == kHistoryColourTwo);
    EXPECT_EQ(rows[0].text, (RgbColour{255, 0, 0}));
    EXPECT_EQ(rows[1].text, kBlack);

    history.cmdclrhisto_Click();
    EXPECT_TRUE(history.rows().empty());
}

TEST(HistoryModel, TheHundredthFrameClearsTheListAndBecomesItsOnlyRow) {
    WindowRig rig;
    rig.simulate(5);
    rig.commands.frm1_MenuEvent(205);
    const HistoryModel& history = rig.engine.history();
    for (int i = 0; i < kHistoryMaxRows; ++i)
        rig.commands.frm1_MenuEvent(109);
    ASSERT_EQ(history.rows().size(), 99U);
    EXPECT_EQ(history.rows().front().cells[8], "01");
    EXPECT_EQ(history.rows().front().cells[1], "02.53.53.53.03");
    rig.commands.frm1_MenuEvent(109);
    ASSERT_EQ(history.rows().size(), 1U);
    EXPECT_EQ(history.rows().front().cells[8], "99");
}

TEST(HistoryModel, FramesFromTheMatrixAloneShowExternalAndNothingIsKeptWhileClosed) {
    WindowRig rig;
    rig.connect(5);
    rig.commands.frm1_MenuEvent(205);
    const HistoryModel& history = rig.engine.history();
    rig.commands.frm1_MenuEvent(109);
    rig.opener.channel(1).deliver(switchFrame('V', 3, 2));
    rig.engine.link().ProcessReply();
    ASSERT_EQ(history.rows().size(), 2U);
    EXPECT_EQ(history.rows()[1].cells[0], "02.53.53.53.03");
    EXPECT_EQ(history.rows()[0].cells[0], "External");
    EXPECT_EQ(history.rows()[0].cells[1], "02.56.03.02.03");

    rig.engine.history().frmhisto_Close();
    EXPECT_TRUE(history.rows().empty());
    rig.commands.frm1_MenuEvent(109);
    rig.engine.history().AddHistoryRow(HistoryRow{});
    EXPECT_TRUE(history.rows().empty());
}

} // namespace
} // namespace rl4::test

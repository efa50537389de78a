#include "platform/text_file.h"
#include "sheet/settings.h"
#include "support/fake_clock.h"
#include "support/memory_port_opener.h"
#include "support/scripted_prompt.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace rl4 {
namespace {

class SettingsTest : public testing::Test {
protected:
    Settings read() {
        Settings settings = startSettings("/prog");
        ReadSettings(path, settings, prompt);
        return settings;
    }
    void writeLines(const std::vector<std::string>& texts) {
        std::string bytes;
        for (const std::string& text : texts)
            bytes += text + "\r\n";
        test::writeBytes(path, bytes);
    }

    test::TempFolder scratch;
    std::string path = settingsFilePath(scratch.folder());
    test::ScriptedPrompt prompt;
    FakeClock clock;
    test::MemoryPortOpener opener{clock};
    Link link{clock, opener};
    Settings expected = startSettings("/prog");
};

TEST_F(SettingsTest, WritesTwentySevenLinesAndReadsThemBack) {
    expected.protocolLength = 4;
    expected.showAll = false;
    expected.mainWindow = {120, -45};
    expected.mainHeight = 6000;
    expected.switcherWindow = {300, 400};
    expected.historyWindow = {-32768, 32767};
    expected.historyOpen = true;
    expected.language = kLanguageFrench;
    expected.connexionPath = "/data/routelane4.cnx";
    expected.assignmentPath = "/data/été.agn";
    expected.port = 3;
    link.setProtocolLength(4);
    link.setPortNumber(3);
    ASSERT_EQ(WriteSettings(path, expected, link), "");
    EXPECT_EQ(
        test::fileBytes(path),
        "4\r\n0\r\n120\r\n-45\r\n6000\r\n11530\r\n300\r\n400\r\n-32768\r\n32767\r\n0\r\n-1\r\n2\r\n"
        "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n/data/routelane4.cnx\r\n/data/\xE9t\xE9.agn\r\n0\r\n0\r\n3\r\n"
        "0\r\n0\r\n");
    EXPECT_EQ(read(), expected);
    EXPECT_TRUE(prompt.questions.empty());

    // Without a port the port read at start is kept.
    link.setPortNumber(0);
    expected.port = 7;
    ASSERT_EQ(WriteSettings(path, expected, link), "");
    EXPECT_EQ(read().port, 7);
    EXPECT_NE(WriteSettings(scratch.path("missing/routelane4.set"), expected, link), "");
}

TEST_F(SettingsTest, MissingFileAsksTheLanguage) {
    prompt.answer(2);
    expected.language = kLanguageFrench;
    EXPECT_EQ(read(), expected);
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0].text, "Select your language:|English|Français");
    EXPECT_EQ(prompt.questions[0].icon, PromptIcon::Exclamation);
    EXPECT_EQ(prompt.questions[0].defaultButton, 1);
    EXPECT_EQ(expected.connexionPath, "/prog/routelane4.cnx");
    EXPECT_EQ(expected.assignmentPath, "/prog/routelane4.agn");

    prompt.answer(1);
    EXPECT_EQ(read().language, kLanguageEnglish);

    // Dismissed (Escape, the close box, a signal): English, and no language written, so asked again.
    prompt.answer(kChoiceDismissed);
    Settings dismissed = read();
    EXPECT_EQ(dismissed.language, kLanguageEnglish);
    EXPECT_FALSE(dismissed.languageChosen);
    ASSERT_EQ(WriteSettings(path, dismissed, link), "");
    EXPECT_EQ(readTextLines(path).value().at(12), "0");
    prompt.answer(2);
    EXPECT_EQ(read().language, kLanguageFrench);
    EXPECT_EQ(prompt.questions.size(), 4u);
}

TEST_F(SettingsTest, ShortAndDamagedFilesKeepStartValues) {
    writeLines({"4", "0", "1", "2", "3", "4", "5", "6", "7", "8"});
    prompt.answer(1); // no language line
    Settings partial = expected;
    partial.protocolLength = 4;
    partial.showAll = false;
    partial.mainWindow = {1, 2};
    partial.mainHeight = 3;
    partial.mainWidth = 4;
    partial.switcherWindow = {5, 6};
    partial.historyWindow = {7, 8};
    EXPECT_EQ(read(), partial);

    writeLines({"abc", "x", " 12 ", "12abc", "40000", "-32769", "",  "0", "7",        "8", "2", "-1", "2",
                "0",   "0", "0",    "0",     "0",     "0",      "0", " ", "/x/a.agn", "0", "0", "17", "9"});
    expected.mainWindow.left = 12;
    expected.historyWindow = {7, 8};
    expected.switcherOpen = true;
    expected.historyOpen = true;
    expected.language = kLanguageFrench;
    expected.assignmentPath = "/x/a.agn";
    EXPECT_EQ(read(), expected);

    writeLines({"6", "0", "0", "0", "0", "0", "0", "0", "0",     "0", "0", "0", "3",
                "0", "0", "0", "0", "0", "0", "0", "a", "  \t ", "0", "0", "0"});
    prompt.answer(2); // 3 is no language
    const Settings settings = read();
    EXPECT_EQ(prompt.questions.size(), 2u);
    EXPECT_EQ(settings.language, kLanguageFrench);
    EXPECT_EQ(settings.protocolLength, 5);
    EXPECT_EQ(settings.port, 0);
    EXPECT_EQ(settings.connexionPath, "a");
    EXPECT_EQ(settings.assignmentPath, "/prog/routelane4.agn") << "blanks name no file";
}

} // namespace
} // namespace rl4

// The connexion file (three heading lines, then "dst|nsv|nsa|nsr|nsy|vca" rows of 3-character fields) and
// the settings file (27 lines), written and read back, and read when damaged.

#include "platform/text_file.h"
#include "sheet/connexion_file.h"
#include "sheet/settings.h"
#include "support/fake_clock.h"
#include "support/memory_port_opener.h"
#include "support/scripted_prompt.h"
#include "support/temp_folder.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace rl4::test {
namespace {

const std::string kHeader = "Matrix Routing Switcher\r\nSwitching file\r\ndst|nsv|nsa|nsr|nsy|vca\r\n";
using Row = std::array<int, 5>; // video, audio, RGB, Y/C, VCA

struct FileRig {
    TempFolder scratch;
    std::string path = scratch.path("routelane4.cnx");
    RoutingTable routing;
    Assignments assignments;
    MessageTable messages;
    ScriptedPrompt prompt;
    ConnexionFile file{routing, assignments, messages, prompt};
    FakeClock clock;
    MemoryPortOpener opener{clock};
    Link link{clock, opener};

    FileRig() { routing.setConnexionsChanged(true); }
    void set(int d, Row row) {
        for (Layer layer : kLayers)
            routing.wanted(layer, d) = row[static_cast<std::size_t>(layerIndex(layer))];
        routing.vcaLevel[d] = row[4];
    }
    Row get(int d) const {
        return {routing.wanted(Layer::Video, d), routing.wanted(Layer::Audio, d),
                routing.wanted(Layer::Rgb, d), routing.wanted(Layer::Yc, d), routing.vcaLevel[d]};
    }
};

TEST(ConnexionFile, WritesThreeCharacterFieldsAndReadsThemBack) {
    FileRig rig;
    rig.assignments.activeTable.destinationCount = 4;
    rig.set(1, {3, 3, 0, 0, 31});
    rig.set(2, {10, 99, 100, 999, 0});
    rig.set(3, {257, 1234, 0, 5, 9});
    ASSERT_TRUE(rig.file.WriteConnexionFile(rig.path));
    EXPECT_FALSE(rig.routing.connexionsChanged());
    EXPECT_EQ(fileBytes(rig.path), kHeader + "  1|  3|  3|  0|  0| 31\r\n"
                                             "  2| 10| 99|100|999|  0\r\n"
                                             "  3|257|234|  0|  5|  9\r\n"
                                             "  4|  0|  0|  0|  0|  0\r\n");
    rig.routing.markAllUnknown();
    rig.file.ReadConnexionFile(rig.path);
    EXPECT_EQ(rig.get(2), (Row{10, 99, 100, NotAssigned, 0})) << "999 names no source";
    EXPECT_EQ(rig.get(3), (Row{257, 234, 0, 5, 9}));
    EXPECT_EQ(rig.get(5), (Row{0, 0, 0, 0, 0}));
    EXPECT_EQ(rig.routing.held(Layer::Video, 1), NotAssigned);
    EXPECT_TRUE(rig.prompt.questions.empty());
}

TEST(ConnexionFile, ReadsOnlyLinesThatNameADestination) {
    FileRig rig;
    writeBytes(rig.path, "Matrix Routing Switcher\r\n"
                         "  2|  5|  6|  7|  8| 20\r\n"
                         "dst|nsv|nsa|nsr|nsy|vca\r\n"
                         "  3|257\r\n"
                         "300|  1|  1|  1|  1|  1\r\n"
                         " -5|  1|  1|  1|  1|  1\r\n"
                         "  4| 12|  x| -3| 7\r\n"
                         "abc\r\n"
                         "\r\n"
                         "256|  1|  2|  3|  4|  5\n");
    rig.assignments.activeTable.destinationCount = 4;
    rig.set(1, {9, 9, 9, 9, 9});
    rig.file.ReadConnexionFile(rig.path);
    const std::pair<int, Row> rows[] = {
        {1, {0, 0, 0, 0, 0}},   {2, {5, 6, 7, 8, 20}},
        {3, {257, 0, 0, 0, 0}}, {4, {12, 0, NotAssigned, 7, 0}},
        {256, {1, 2, 3, 4, 5}}, {0, {0, 0, 0, 0, 0}},
    };
    for (const auto& [d, row] : rows)
        EXPECT_EQ(rig.get(d), row) << d;
    EXPECT_EQ(rig.assignments.activeTable.destinationCount, 4);

    // A file that is there but cannot be read leaves the table as it was.
    const std::string locked = rig.scratch.path("locked.cnx");
    std::filesystem::create_symlink("/proc/self/mem", locked);
    EXPECT_FALSE(rig.file.ReadConnexionFile(locked));
    EXPECT_EQ(rig.get(2), (Row{5, 6, 7, 8, 20}));
    ASSERT_EQ(rig.prompt.questions.size(), 1u);
    EXPECT_EQ(rig.prompt.questions[0].text, "Cannot read the file " + locked);
}

TEST(ConnexionFile, AMissingFileIsReportedAndMadeWithEightDestinations) {
    FileRig rig;
    rig.set(1, {2, 0, 0, 0, 31});
    EXPECT_TRUE(rig.file.ReadConnexionFile(rig.path));
    ASSERT_EQ(rig.prompt.questions.size(), 1u);
    EXPECT_EQ(rig.prompt.questions[0].text, "The connexion file: " + rig.path + " don't exist.");
    EXPECT_EQ(rig.assignments.activeTable.destinationCount, 8);
    EXPECT_EQ(rig.assignments.sizes.out(Layer::Yc), 8);
    EXPECT_FALSE(rig.routing.connexionsChanged());
    std::string lines = kHeader + "  1|  2|  0|  0|  0| 31\r\n";
    for (int d = 2; d <= 8; ++d)
        lines += "  " + std::to_string(d) + "|  0|  0|  0|  0|  0\r\n";
    EXPECT_EQ(fileBytes(rig.path), lines);
    EXPECT_FALSE(rig.file.ReadConnexionFile(rig.scratch.path("missing/autre.cnx"))) << "cannot be made";
}

TEST(ConnexionFile, AFailedWriteKeepsTheOldFileAndTheFlag) {
    FileRig rig;
    writeBytes(rig.path, "old\r\n");
    rig.assignments.activeTable.destinationCount = 4;
    // A file size limit stands in for a full disk.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written = rig.file.WriteConnexionFile(rig.path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(fileBytes(rig.path), "old\r\n");
    ASSERT_EQ(rig.prompt.questions.size(), 1u);
    EXPECT_NE(rig.prompt.questions[0].text.find(rig.path), std::string::npos);
    EXPECT_EQ(rig.prompt.questions[0].icon, PromptIcon::Critical);
    EXPECT_FALSE(rig.file.WriteConnexionFile(rig.scratch.path("missing/routelane4.cnx")));
    EXPECT_TRUE(rig.routing.connexionsChanged());
}

struct SettingsRig : FileRig {
    std::string path = settingsFilePath(scratch.folder());
    Settings expected = startSettings("/prog");
    Settings read() {
        Settings settings = startSettings("/prog");
        ReadSettings(path, settings, prompt);
        return settings;
    }
    void write(const Lines& lines) { writeCrLf(path, lines); }
};

TEST(SettingsFile, WritesTwentySevenLinesAndReadsThemBack) {
    SettingsRig rig;
    Settings& expected = rig.expected;
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
    rig.link.setProtocolLength(4);
    rig.link.setPortNumber(3);
    ASSERT_EQ(WriteSettings(rig.path, expected, rig.link), "");
    EXPECT_EQ(
        fileBytes(rig.path),
        "4\r\n0\r\n120\r\n-45\r\n6000\r\n11530\r\n300\r\n400\r\n-32768\r\n32767\r\n0\r\n-1\r\n2\r\n"
        "0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n/data/routelane4.cnx\r\n/data/\xE9t\xE9.agn\r\n0\r\n0\r\n3\r\n"
        "0\r\n0\r\n");
    EXPECT_EQ(rig.read(), expected);

    // Without a port the port read at start is kept.
    rig.link.setPortNumber(0);
    expected.port = 7;
    ASSERT_EQ(WriteSettings(rig.path, expected, rig.link), "");
    EXPECT_EQ(rig.read().port, 7);
    EXPECT_NE(WriteSettings(rig.scratch.path("missing/routelane4.set"), expected, rig.link), "");
    EXPECT_TRUE(rig.prompt.questions.empty());
}

TEST(SettingsFile, AMissingFileAsksTheLanguage) {
    SettingsRig rig;
    rig.prompt.answer(2);
    rig.expected.language = kLanguageFrench;
    EXPECT_EQ(rig.read(), rig.expected);
    ASSERT_EQ(rig.prompt.questions.size(), 1u);
    EXPECT_EQ(rig.prompt.questions[0].text, "Select your language:|English|Français");
    EXPECT_EQ(rig.expected.assignmentPath, "/prog/routelane4.agn");

    // Dismissed (Escape, the close box, a signal): English, and no language written, so asked again.
    rig.prompt.answer(kChoiceDismissed);
    Settings dismissed = rig.read();
    EXPECT_EQ(dismissed.language, kLanguageEnglish);
    ASSERT_EQ(WriteSettings(rig.path, dismissed, rig.link), "");
    EXPECT_EQ(readTextLines(rig.path).value().at(12), "0");
    rig.prompt.answer(2);
    EXPECT_EQ(rig.read().language, kLanguageFrench);
    EXPECT_EQ(rig.prompt.questions.size(), 3u);
}

TEST(SettingsFile, ShortAndDamagedFilesKeepStartValues) {
    SettingsRig rig;
    rig.write({"4", "0", "1", "2", "3", "4", "5", "6", "7", "8"});
    rig.prompt.answer(1); // no language line
    Settings partial = rig.expected;
    partial.protocolLength = 4;
    partial.showAll = false;
    partial.mainWindow = {1, 2};
    partial.mainHeight = 3;
    partial.mainWidth = 4;
    partial.switcherWindow = {5, 6};
    partial.historyWindow = {7, 8};
    EXPECT_EQ(rig.read(), partial);

    rig.write({"abc", "x", " 12 ", "12abc", "40000", "-32769", "",  "0", "7",        "8", "2", "-1", "2",
               "0",   "0", "0",    "0",     "0",     "0",      "0", " ", "/x/a.agn", "0", "0", "17", "9"});
    Settings& expected = rig.expected;
    expected.mainWindow.left = 12;
    expected.historyWindow = {7, 8};
    expected.switcherOpen = true;
    expected.historyOpen = true;
    expected.language = kLanguageFrench;
    expected.assignmentPath = "/x/a.agn";
    EXPECT_EQ(rig.read(), expected);

    rig.write({"6", "0", "0", "0", "0", "0", "0", "0", "0",     "0", "0", "0", "3",
               "0", "0", "0", "0", "0", "0", "0", "a", "  \t ", "0", "0", "0"});
    rig.prompt.answer(2); // 3 is no language
    const Settings settings = rig.read();
    EXPECT_EQ(rig.prompt.questions.size(), 2u);
    EXPECT_EQ(settings.language, kLanguageFrench);
    EXPECT_EQ(settings.protocolLength, 5);
    EXPECT_EQ(settings.port, 0);
    EXPECT_EQ(settings.assignmentPath, "/prog/routelane4.agn") << "blanks name no file";
}

} // namespace
} // namespace rl4::test

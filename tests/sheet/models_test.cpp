// The connexion file (three heading lines, then "dst|nsv|nsa|nsr|nsy|vca" rows of 3-character fields) and
// the settings file (27 lines), written and read back, and read when damaged; then the models of the port
// map, the setup dialog and the VCA panel, the last two on a link whose port keeps what they send.

#include "platform/port_map.h"
#include "platform/pty_pair.h"
#include "platform/text_file.h"
#include "sheet/config_dialog_model.h"
#include "sheet/connexion_file.h"
#include "sheet/port_map_model.h"
#include "sheet/settings.h"
#include "sheet/vca_panel.h"
#include "support/fake_clock.h"
#include "support/memory_port_opener.h"
#include "support/recorders.h"
#include "support/scripted_prompt.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace rl4::test {
namespace {

const std::string kHeader = "Matrix Routing Switcher\r\nSwitching file\r\ndst|nsv|nsa|nsr|nsy|vca\r\n";
using Row = std::array<int, 5>; // video, audio, RGB, Y/C, VCA
using Bytes = std::vector<std::uint8_t>;

// A link whose port keeps what is sent.
struct LinkRig {
    FakeClock clock;
    MemoryPortOpener opener{clock};
    Link link{clock, opener};
    Bytes sent() { return opener.channel(link.portNumber()).takeWritten(); }
};

struct FileRig : LinkRig {
    TempFolder scratch;
    std::string path = scratch.path("routelane4.cnx");
    RoutingTable routing;
    Assignments assignments;
    MessageTable messages;
    ScriptedPrompt prompt;
    ConnexionFile file{routing, assignments, messages, prompt};

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
    // A write that fails is told as critical (the platform and engine tests hold the rest of it).
    EXPECT_FALSE(rig.file.ReadConnexionFile(rig.scratch.path("missing/autre.cnx"))) << "cannot be made";
    EXPECT_EQ(rig.prompt.questions.back().icon, PromptIcon::Critical);
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

// Without a file the language is asked; the 27 lines are written and read back.
TEST(SettingsFile, AMissingFileAsksTheLanguageAndTheWrittenLinesReadBack) {
    SettingsRig rig;
    rig.prompt.answer(2);
    rig.expected.language = kLanguageFrench;
    EXPECT_EQ(rig.read(), rig.expected);
    EXPECT_EQ(rig.prompt.questions.size(), 1u);

    // Dismissed (Escape, the close box, a signal): English, and no language written, so asked again.
    rig.prompt.answer(kChoiceDismissed);
    Settings dismissed = rig.read();
    EXPECT_EQ(dismissed.language, kLanguageEnglish);
    ASSERT_EQ(WriteSettings(rig.path, dismissed, rig.link), "");
    EXPECT_EQ(readTextLines(rig.path).value().at(12), "0");
    rig.prompt.answer(2);
    EXPECT_EQ(rig.read().language, kLanguageFrench);
    EXPECT_EQ(rig.prompt.questions.size(), 3u);

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
    EXPECT_EQ(rig.prompt.questions.size(), 3u) << "a file with a language asks none";
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

using MapRow = std::vector<std::string>;

// Counts the port map's notices to the setup dialog and keeps the VCA panel's status text.
class Notices : public SheetListener {
public:
    void configDialogChanged() override { ++changes; }
    void statusTextChanged(const std::string& text) override { volsrc = text; }
    int changes = 0;
    std::string volsrc;
};

// The machine's own listing, with test adapters beside it: the system lists no pseudo-terminal, and the
// test's adapter is one.
class PortMapModelTest : public testing::Test {
protected:
    void SetUp() override {
        ports.setListener(&listener);
        ports.setMapped(
            [this](int n, const std::string& target) { mapped.push_back(std::to_string(n) + target); });
    }
    MapRow rowOf(const std::string& target) const {
        for (const MapRow& row : ports.rows())
            if (row[1] == target)
                return row;
        return {};
    }

    PtyPair pty;
    SerialDevice adapter{pty.slavePath(), "Matrix cable", true, "Acme", "RS-232", "T1", 0x0403, 0x6001};
    std::vector<SerialDevice> plugged{adapter};
    std::string listingError;
    TempFolder folder;
    MessageTable messages;
    Notices listener;
    std::vector<std::string> mapped;
    PortMapModel ports{folder.folder(), messages, [this] {
                           SerialDeviceListing listing = listSerialDevices();
                           listing.devices.insert(listing.devices.end(), plugged.begin(), plugged.end());
                           if (!listingError.empty())
                               listing = {{}, listingError};
                           return listing;
                       }};
};

TEST_F(PortMapModelTest, MapsAPortToAFoundDeviceInThePortMapFile) {
    writeCrLf(folder.path(PortMap::kFileName), {"# rack 2", "2=/dev/ttyUSB7   # old cable"});
    ports.load(2);
    EXPECT_EQ(ports.chosenCaption(), "Port 2:");
    EXPECT_EQ(ports.target(), "/dev/ttyUSB7");
    const MapRow found{"-", pty.slavePath(), "found", "Matrix cable [Acme RS-232, serial T1, USB 0403:6001]"};
    ASSERT_EQ(rowOf(pty.slavePath()), found);

    const auto rows = ports.rows();
    ports.rowClicked(static_cast<int>(std::find(rows.begin(), rows.end(), found) - rows.begin()));
    EXPECT_EQ(ports.chosenPort(), 2);
    EXPECT_EQ(ports.target(), pty.slavePath());
    ASSERT_TRUE(ports.cmdportmap_Click());
    EXPECT_EQ(PortMap::load(folder.folder()).target(2), pty.slavePath());
    EXPECT_EQ(mapped, Lines{"2" + pty.slavePath()});
    EXPECT_FALSE(ports.messageIsProblem());
    EXPECT_EQ(ports.rows()[1], (MapRow{"2", pty.slavePath(), "found", found[3]}));
}

TEST_F(PortMapModelTest, RefusesWhatCannotBeATargetAndLeavesTheFileAsItWas) {
    writeCrLf(folder.path(PortMap::kFileName), {"3=/dev/ttyUSB0"});
    const std::string before = fileBytes(folder.path(PortMap::kFileName));
    ports.load(3);
    const std::string noServer = "is no serial device server address: write socket://HOST:PORT";
    const std::vector<std::pair<std::string, std::string>> refused = {
        // The channel test holds the port numbers and hosts an address must have.
        {"socket://10.0.0.40:40x1", noServer}, {"Socket:/10.0.0.40:4001", noServer},
        {"socket://rack 2:4001", noServer},    {"socket://[::1]4001", noServer},
        {"   ", "Port 3 needs a target"},      {"/dev/tty#1", "cannot be a target"},
    };
    for (const auto& [target, why] : refused) {
        SCOPED_TRACE(target);
        ports.setTarget(target);
        EXPECT_FALSE(ports.cmdportmap_Click());
        EXPECT_NE(ports.message().find(why), std::string::npos) << ports.message();
        EXPECT_TRUE(ports.messageIsProblem());
    }
    EXPECT_EQ(fileBytes(folder.path(PortMap::kFileName)), before);
    EXPECT_TRUE(mapped.empty());
    for (const std::string target : {"socket://rack-2.example:4001", "socket://[fe80::1]:4001"}) {
        ports.setTarget(target);
        EXPECT_TRUE(ports.cmdportmap_Click()) << ports.message();
        EXPECT_EQ(PortMap::load(folder.folder()).target(3), target);
    }
}

// An adapter plugged in or pulled out shows at the next listing; the dialog is told only of a change.
TEST_F(PortMapModelTest, SeesDevicesComeAndGo) {
    ports.load(0);
    EXPECT_EQ(ports.chosenPort(), 1);
    const int atLoad = listener.changes;
    ports.relist();
    EXPECT_EQ(listener.changes, atLoad);
    plugged.clear();
    ports.relist();
    EXPECT_EQ(listener.changes, atLoad + 1);
    EXPECT_EQ(rowOf(pty.slavePath()), MapRow{});
    plugged.push_back(adapter);
    ports.relist();
    EXPECT_EQ(rowOf(pty.slavePath())[2], "found");
    EXPECT_EQ(ports.foundTargets().back(), pty.slavePath());

    listingError = "no /sys";
    ports.relist();
    EXPECT_EQ(ports.message(), "Cannot list the serial devices of the machine: no /sys");
    EXPECT_TRUE(ports.messageIsProblem());
    EXPECT_EQ(ports.rows().size(), static_cast<std::size_t>(PortMap::kLastMapped)) << "the map still shows";
}

// The folder stands for /dev/serial/by-id.
TEST_F(PortMapModelTest, LastingDevicePathPrefersTheLinkThatOutlivesUnplugging) {
    EXPECT_EQ(lastingDevicePath(pty.slavePath(), folder.folder()), pty.slavePath());
    std::filesystem::create_symlink(pty.slavePath(), folder.path("usb-Acme_RS-232_T1-if01"));
    std::filesystem::create_symlink(pty.slavePath(), folder.path("usb-Acme_RS-232_T1-if00"));
    std::filesystem::create_symlink("/nothing", folder.path("usb-Gone-if00"));
    EXPECT_EQ(lastingDevicePath(pty.slavePath(), folder.folder()), folder.path("usb-Acme_RS-232_T1-if00"));
    EXPECT_EQ(lastingDevicePath(pty.slavePath(), folder.path("none")), pty.slavePath());
}

// Keeps the VCA setup the matrix reports, as the program's reply rules do.
class SetupRules : public RecordingRules {
public:
    explicit SetupRules(Settings& settings) : settings_(settings) {}
    void vcaSetupReport(int value) override { settings_.vcaSetup = value; }

private:
    Settings& settings_;
};

class ConfigDialogTest : public testing::Test, protected LinkRig {
protected:
    void SetUp() override {
        link.setRules(&rules);
        link.setPortNumber(3);
        link.OpenPort();
    }
    // The matrix answers the VCA setup request of the 5-byte form with `value`.
    void loadWithSetup(int value) {
        opener.channel(link.portNumber()).deliver({0x02, 'p', 1, static_cast<std::uint8_t>(value), 0x03});
        dialog.frmconfig_Load();
    }

    Settings settings;
    SetupRules rules{settings};
    MessageTable messages;
    std::vector<Bytes> sentAtStore;
    ConfigDialogModel dialog{link, settings, messages, [this] { sentAtStore.push_back(sent()); }};
};

TEST_F(ConfigDialogTest, LoadShowsThePortChoicesAndReadsTheVcaSetup) {
    const std::vector<std::tuple<int, int, VcaPowerOn, std::string>> cases{
        {1, 1, VcaPowerOn::Max, "VCA slope =  0.2 Sec"}, {15, 15, VcaPowerOn::Max, "VCA slope =  3 Sec"},
        {16, 0, VcaPowerOn::Min, "VCA slope =  0 Sec"},  {31, 15, VcaPowerOn::Min, "VCA slope =  3 Sec"},
        {32, 0, VcaPowerOn::Mem, "VCA slope =  0 Sec"},  {44, 12, VcaPowerOn::Mem, "VCA slope =  2.4 Sec"},
    };
    for (const auto& [setup, slope, powerOn, label] : cases) {
        SCOPED_TRACE("vcaSetup " + std::to_string(setup));
        loadWithSetup(setup);
        EXPECT_EQ(dialog.slislope(), slope);
        EXPECT_EQ(dialog.powerOn(), powerOn);
        EXPECT_EQ(dialog.lblslope(), label);
    }
    dialog.slislope_Change(40);
    EXPECT_EQ(dialog.slislope(), 15);

    sent();
    link.setProtocolLength(4);
    settings.language = kLanguageFrench;
    settings.vcaSetup = 7; // no answer keeps it
    dialog.frmconfig_Load();
    EXPECT_EQ(sent(), (Bytes{0x3D, 0x80, 0x81, 0x81}));
    EXPECT_EQ(dialog.lbcom().back(), "COM 16");
    EXPECT_EQ(dialog.lbcomIndex(), 2);
    EXPECT_EQ(dialog.protocolChoice(), 4);
    EXPECT_EQ(dialog.languageChoice(), kLanguageFrench);
    EXPECT_EQ(dialog.slislope(), 7);
    EXPECT_TRUE(dialog.visible());

    // The window test picks a port and reads the setup in the 5-byte form.
    link.closePort();
    link.setPortNumber(0);
    const std::string portCaption = dialog.frcom();
    dialog.frmconfig_Load();
    EXPECT_EQ(dialog.lbcomIndex(), -1);
    EXPECT_EQ(dialog.frcom(), portCaption) << "no port makes no caption";
}

TEST_F(ConfigDialogTest, OkSendsTheSetupThenStoresItInEitherForm) {
    loadWithSetup(0);
    sent();
    settings.languageChosen = false; // the first-start question was dismissed
    dialog.setLanguageChoice(kLanguageFrench);
    dialog.slislope_Change(9);
    dialog.setPowerOn(VcaPowerOn::Min);
    dialog.confok_Click();
    EXPECT_TRUE(settings.languageChosen);
    ASSERT_EQ(sentAtStore.size(), 1u);
    EXPECT_EQ(sentAtStore[0], (Bytes{0x02, 'P', 0, 25, 0x03}));
    EXPECT_EQ(settings.vcaSetup, 25);
    EXPECT_EQ(messages.language(), kLanguageFrench);
    EXPECT_FALSE(dialog.visible());

    // (The window test cancels.)
    loadWithSetup(35);
    sent();
    dialog.setProtocolChoice(4);
    dialog.setPowerOn(VcaPowerOn::Mem);
    dialog.slislope_Change(3);
    dialog.confok_Click(); // code 57: byte 2 the setup, byte 3 the write selector
    EXPECT_EQ(link.protocolLength(), 4);
    EXPECT_EQ(sentAtStore.back(), (Bytes{0x39, 0xA3, 0x83, 0x81}));
    EXPECT_EQ(settings.vcaSetup, 35);
}

// A matrix on port 1 that never answers: every frame the panel sends stays on the wire to be checked.
// Destinations: 1 Desk (audio 3), 2 "  Studio A  " (12), 3 Monitor (none), 4 Tape (200); 5 is beyond the
// count.
class VcaPanelTest : public testing::Test, protected LinkRig {
protected:
    void SetUp() override {
        link.OpenPort();
        panel.setListener(&listener);
        AssignmentTable& table = assignments.activeTable;
        table.destinationCount = 4;
        table.destinations[1] = {.name = "Desk", .Aou = 3};
        table.destinations[2] = {.name = "  Studio A  ", .Aou = 12};
        table.destinations[3] = {.name = "Monitor", .Aou = NotAssigned};
        table.destinations[4] = {.name = "Tape", .Aou = 200};
        table.destinations[5] = {.name = "Beyond the count", .Aou = 5};
    }

    Assignments assignments;
    Notices listener;
    VcaPanel panel{link, assignments};
};

// The 4-byte form swaps the pair: code 25 reads and code 21 sets with byte 2 the output, byte 3 the level.
TEST_F(VcaPanelTest, ReadAndSetInEitherForm) {
    panel.SelectVcaDestination(2);
    EXPECT_EQ(sent(), (Bytes{0x02, 'n', 12, 0, 0x03}));
    EXPECT_EQ(listener.volsrc, "Studio A");
    EXPECT_TRUE(panel.enabled());
    panel.sli1_Change(20);
    panel.cmdslimax_Click();
    EXPECT_EQ(sent(), (Bytes{0x02, 'N', 12, 20, 0x03, 0x02, 'N', 12, 31, 0x03}));

    link.setProtocolLength(4);
    panel.sli1_Change(20);
    panel.cmdslimin_Click();
    EXPECT_EQ(sent(), (Bytes{0x15, 0x8C, 0x94, 0x81, 0x15, 0x8C, 0x80, 0x81}));
    panel.SelectVcaDestination(4);
    EXPECT_EQ(sent(), (Bytes{0x19, 0xC8, 0x80, 0xA1}));
    EXPECT_EQ(panel.sli1(), 0);

    panel.levelReported(18);
    panel.SelectVcaDestination(3); // no audio output
    EXPECT_FALSE(panel.enabled());
    EXPECT_EQ(panel.sli1(), 0) << "empty, not the level of the destination before";
    EXPECT_EQ(listener.volsrc, "Monitor");
    panel.sli1_Change(20);
    panel.cmdslimax_Click();
    EXPECT_TRUE(sent().empty());
}

// Reported levels move the slider and send nothing; an assignment change renames the panel and reads the
// level again only for a new output. (The command test sets all in the 5-byte form.)
TEST_F(VcaPanelTest, ReportsSetAllAndAssignmentChanges) {
    panel.assignmentChanged(); // no destination shown yet
    EXPECT_TRUE(sent().empty());
    panel.SelectVcaDestination(1);
    sent();
    const std::pair<int, std::string> levels[] = {{0, "-oo dB"}, {1, "-90 dB"}, {21, "-30 dB"},
                                                  {30, "-3 dB"}, {31, " 0 dB"}, {200, " 0 dB"}};
    for (const auto& [level, text] : levels) {
        panel.levelReported(level);
        EXPECT_EQ(panel.sli1(), std::min(level, 31));
        EXPECT_EQ(panel.volpourcent(), text);
    }
    EXPECT_TRUE(sent().empty());

    panel.levelReported(12);
    link.setProtocolLength(4);
    panel.SetAllVca(kVcaMinimum);
    EXPECT_EQ(sent(), (Bytes{0x15, 0x83, 0x80, 0x81, 0x15, 0x8C, 0x80, 0x81, 0x15, 0xC8, 0x80, 0xA1}));
    EXPECT_EQ(panel.sli1(), 12) << "the panel shows what the matrix reports";

    link.setProtocolLength(5);
    assignments.activeTable.destinations[1].name = "Desk B";
    panel.assignmentChanged();
    EXPECT_EQ(listener.volsrc, "Desk B");
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(panel.sli1(), 12);
    assignments.activeTable.destinations[1].Aou = 7;
    panel.assignmentChanged();
    EXPECT_EQ(sent(), (Bytes{0x02, 'n', 7, 0, 0x03}));
    assignments.activeTable.destinations[1].Aou = NotAssigned;
    panel.assignmentChanged();
    EXPECT_FALSE(panel.enabled());
}

} // namespace
} // namespace rl4::test

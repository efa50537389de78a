#include "platform/port_map_file.h"
#include "platform/pty_pair.h"
#include "platform/text_file.h"
#include "support/temp_folder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <tuple>

namespace rl4 {
namespace {

using test::Lines;

TEST(PortMap, ReadsTargetsAroundCommentsAndReportsBadLines) {
    PortMap map = PortMap::parse({"# room", "", "  3 = /dev/ttyUSB0  ", "5=socket://10.0.0.7:4001   # rack 2",
                                  "\t", "16=socket://[fe80::1]:4001", "/dev/ttyUSB1", "0=/dev/a", "17=/dev/a",
                                  "two=/dev/a", "4=   # none", "3=/dev/ttyACM0", "\x1B[31mred\x07",
                                  std::string(100, 'z'), "x\x01=/a"});
    const std::string at = "routelane4.ports line ", notMapping = "\" is not of the form N=TARGET";
    EXPECT_EQ(map.problems(),
              (Lines{at + "7: \"/dev/ttyUSB1" + notMapping, at + "8: port number \"0\" is not 1 to 16",
                     at + "9: port number \"17\" is not 1 to 16",
                     at + "10: port number \"two\" is not 1 to 16", at + "11: port 4 has no target",
                     at + "12: port 3 was already mapped on line 3; this line replaces it",
                     at + "13: \"\\x1B[31mred\\x07" + notMapping,
                     at + "14: \"" + std::string(60, 'z') + "\u2026" + notMapping,
                     at + "15: port number \"x\\x01\" is not 1 to 16"}));
    // Numbers without a line reach the platform's own ports.
    Lines targets;
    for (int number : {3, 4, 5, 16, 255, 0, 256})
        targets.push_back(map.target(number));
    EXPECT_EQ(targets, (Lines{"/dev/ttyACM0", "/dev/ttyS3", "socket://10.0.0.7:4001",
                              "socket://[fe80::1]:4001", "/dev/ttyS254", "", ""}));

    EXPECT_EQ(map.targetOfDevice("COM12"), "/dev/ttyS11");
    for (const char* notAPort : {"com", "com0", "com256", "com5x", "com-1", "tty5"})
        EXPECT_EQ(map.targetOfDevice(notAPort), std::nullopt) << notAPort;
    // A target from the command line wins over the file.
    EXPECT_TRUE(map.set(5, "/dev/ttyUSB7"));
    EXPECT_EQ(map.targetOfDevice("com5"), "/dev/ttyUSB7");
    EXPECT_FALSE(map.set(0, "/dev/ttyUSB7"));
    EXPECT_FALSE(map.set(6, ""));
}

TEST(PortMap, LoadsTheFileOfTheProgramFolderOrAnotherProgramsAndOnlyItsBeginningWhenHuge) {
    test::TempFolder folder;
    EXPECT_EQ(PortMap::load(folder.path()).target(2), "/dev/ttyS1");
    ASSERT_EQ(writeTextLines(folder.path("protocol.ports"), {"2=/tmp/m", "y"}), "");
    const PortMap other = PortMap::load(folder.path(), "protocol.ports");
    EXPECT_EQ(other.target(2), "/tmp/m");
    EXPECT_EQ(other.problems(), Lines{"protocol.ports line 2: \"y\" is not of the form N=TARGET"});

    Lines huge(kMaxTextFileLines, "# padding");
    huge.push_back("3=/dev/ttyUSB3");
    ASSERT_EQ(writeTextLines(folder.path(PortMap::kFileName), huge), "");
    const PortMap cut = PortMap::load(folder.path());
    EXPECT_EQ(cut.target(3), "/dev/ttyS2");
    EXPECT_EQ(cut.problems(), Lines{"routelane4.ports: too large; 16 bytes after line " +
                                    std::to_string(kMaxTextFileLines) + " were not read"});
}

TEST(PortMapFile, MapsOneNumberAndKeepsEveryOtherLine) {
    // A new number goes at the end; a replaced one keeps its comment, blanks around a target go; later lines
    // of the number would win over the new one and go; lines the reader skips stay.
    const std::tuple<Lines, int, std::string, Lines> cases[] = {
        {{"# rack 2", "1=/dev/ttyUSB0"}, 3, "/dev/ttyUSB1", {"# rack 2", "1=/dev/ttyUSB0", "3=/dev/ttyUSB1"}},
        {{"  2 = /dev/ttyS1  # desk", "5=/dev/a"}, 2, " /dev/c\t", {"2=/dev/c  # desk", "5=/dev/a"}},
        {{"6=/dev/a#spare"}, 6, "/dev/b", {"6=/dev/b #spare"}},
        {{"#4=/dev/a"}, 4, "/dev/b", {"#4=/dev/a", "4=/dev/b"}},
        {{}, 16, "/dev/câble€", {"16=/dev/câble€"}},
        {{"4=/dev/a", "junk", "x=/dev/b", "4=/dev/c # again", "4= # none"},
         4,
         "/d",
         {"4=/d", "junk", "x=/dev/b"}},
    };
    for (const auto& [lines, number, target, expected] : cases) {
        const PortMappingEdit edit = mapPortInLines(lines, number, target);
        EXPECT_EQ(edit.lines, expected) << target;
        EXPECT_EQ(edit.refusal, PortMappingRefusal::None) << target;
    }
    using enum PortMappingRefusal;
    const std::tuple<int, std::string, PortMappingRefusal> refusals[] = {{0, "/dev/a", NumberOutOfRange},
                                                                         {17, "/dev/a", NumberOutOfRange},
                                                                         {1, " \t", NoTarget},
                                                                         {1, "/dev/a#b", TargetNotWritable},
                                                                         {1, "/dev/a\x1b", TargetNotWritable},
                                                                         {1, "/dev/порт", TargetNotWritable}};
    for (const auto& [number, target, refusal] : refusals) {
        const PortMappingEdit edit = mapPortInLines({"1=/dev/old"}, number, target);
        EXPECT_EQ(edit.lines, Lines{"1=/dev/old"}) << target;
        EXPECT_EQ(edit.refusal, refusal) << target;
    }
}

TEST(PortMapFile, WritesTheFileWholeOrNotAtAll) {
    test::TempFolder temp;
    EXPECT_EQ(writePortMapping(temp.path(), 2, "/dev/{path}").describe(PortTextLanguage::English),
              temp.path("routelane4.ports") + ": port 2 now reaches \"/dev/{path}\"");
    ASSERT_TRUE(writePortMapping(temp.path(), 3, "socket://server:4001").done());
    ASSERT_TRUE(writePortMapping(temp.path(), 2, "/dev/ttyACM0", "protocol.ports").done());
    EXPECT_EQ(PortMap::load(temp.path()).target(3), "socket://server:4001");
    EXPECT_EQ(PortMap::load(temp.path(), "protocol.ports").target(2), "/dev/ttyACM0");
    const PortMappingResult refused = writePortMapping(temp.path(), 17, "/dev/ttyUSB0");
    EXPECT_EQ(refused.describe(PortTextLanguage::English), "Port number 17 is not 1 to 16");
    EXPECT_EQ(refused.describe(PortTextLanguage::French), "Le numéro de port 17 n'est pas de 1 à 16");

    // A folder where the file should be, or a file too large to be read whole: writing would lose it.
    std::filesystem::create_directories(temp.path("folder/routelane4.ports"));
    EXPECT_EQ(writePortMapping(temp.path("folder"), 1, "/dev/a").refusal, PortMappingRefusal::FileUnreadable);
    ASSERT_EQ(writeTextLines(temp.path("folder/protocol.ports"), Lines(kMaxTextFileLines + 1, "#")), "");
    EXPECT_EQ(writePortMapping(temp.path("folder"), 1, "/a", "protocol.ports").refusal,
              PortMappingRefusal::FileTooLarge);
    EXPECT_EQ(std::filesystem::file_size(temp.path("folder/protocol.ports")), (kMaxTextFileLines + 1) * 3);
    const PortMappingResult noFolder = writePortMapping(temp.path("none"), 1, "/dev/ttyUSB0");
    EXPECT_EQ(noFolder.refusal, PortMappingRefusal::WriteFailed);
    EXPECT_EQ(noFolder.describe(PortTextLanguage::French)
                  .rfind("Impossible d'écrire le fichier " + temp.path("none"), 0),
              0u);
}

TEST(PortTable, EachNumberWithItsTargetThenTheDevicesNoNumberReaches) {
    const PortMap map =
        PortMap::parse({"1=/dev/serial/by-id/usb-Acme-if00", "2=socket://10.0.0.40:4001", "3=/tmp/matrix"});
    const std::vector<SerialDevice> found = {
        {"/dev/ttyUSB10", "USB Serial", true, "", "USB Serial", "", 0x1a86, 0x7523},
        {"/dev/ttyUSB0", "FT232R USB UART", true, "Acme", "FT232R", "A1B2", 0x0403, 0x6001},
        {"/dev/ttyS5", "ttyS5", false, "", "", "", 0, 0},
        {"/dev/ttyUSB2", "", true, "", "", "9", 0, 0},
    };
    const std::map<std::string, std::string> places = {{"/dev/serial/by-id/usb-Acme-if00", "/dev/ttyUSB0"},
                                                       {"/tmp/matrix", "/dev/pts/7"},
                                                       {"/dev/ttyS5", "/dev/ttyS5"}};
    const auto locate = [&places](const std::string& path) -> std::optional<std::string> {
        return places.contains(path) ? std::optional(places.at(path)) : std::nullopt;
    };
    Lines english = {"port\ttarget\tstate\tdevice",
                     "1\t/dev/serial/by-id/usb-Acme-if00\tfound\tFT232R USB UART [Acme FT232R, serial A1B2, "
                     "USB 0403:6001]",
                     "2\tsocket://10.0.0.40:4001\tnetwork\t",
                     "3\t/tmp/matrix\tpresent\t",
                     "4\t/dev/ttyS3\tmissing\t",
                     "5\t/dev/ttyS4\tmissing\t",
                     "6\t/dev/ttyS5\tfound\tttyS5"};
    for (int n = 7; n <= 16; ++n)
        english.push_back(std::to_string(n) + "\t/dev/ttyS" + std::to_string(n - 1) + "\tmissing\t");
    english.push_back("-\t/dev/ttyUSB2\tfound\t[serial 9, USB 0000:0000]");
    english.push_back("-\t/dev/ttyUSB10\tfound\tUSB Serial [USB 1a86:7523]");
    const std::vector<PortRow> rows = portTable(map, found, locate);
    EXPECT_EQ(formatPortTable(rows, PortTextLanguage::English), english);
    const Lines french = formatPortTable(rows, PortTextLanguage::French);
    EXPECT_EQ(Lines(french.begin(), french.begin() + 5),
              (Lines{"port\tcible\tétat\tappareil",
                     "1\t/dev/serial/by-id/usb-Acme-if00\ttrouvé\tFT232R USB UART [Acme FT232R, n° de série "
                     "A1B2, USB 0403:6001]",
                     "2\tsocket://10.0.0.40:4001\tréseau\t", "3\t/tmp/matrix\tprésent\t",
                     "4\t/dev/ttyS3\tabsent\t"}));
}

// Containers and most desktops have no serial port: the listing is then empty, not an error. A
// pseudo-terminal is no device of the machine and is never listed, even behind a link.
TEST(SerialDevices, ListsTheMachinesDevicesButNoPseudoTerminal) {
    test::PtyPair pty;
    test::TempFolder temp;
    std::filesystem::create_symlink(pty.slavePath(), temp.path("matrix"));
    const SerialDeviceListing listing = listSerialDevices();
    EXPECT_EQ(listing.error, "");
    for (const SerialDevice& device : listing.devices)
        EXPECT_TRUE(device.path.starts_with("/dev/") && !device.path.starts_with("/dev/pts/")) << device.path;
    EXPECT_EQ(locateDevice(temp.path("matrix")), pty.slavePath());
    const PortMap map = PortMap::parse({"1=" + temp.path("matrix"), "2=" + temp.path("nothing")});
    const std::vector<PortRow> rows = portTable(map, listing.devices);
    EXPECT_EQ(rows[0].state, PortState::Present);
    EXPECT_EQ(rows[1].state, PortState::Missing);
}

} // namespace
} // namespace rl4

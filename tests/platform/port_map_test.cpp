#include "platform/port_map.h"
#include "platform/text_file.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace rl4 {
namespace {

TEST(PortMap, ReadsTargetsAroundCommentsAndBlanks) {
    const PortMap map = PortMap::parse({
        "# matrix room",
        "",
        "  3 = /dev/ttyUSB0  ",
        "5=socket://10.0.0.7:4001   # server in rack 2",
        "\t",
        "16=socket://[fe80::1]:4001",
    });
    EXPECT_TRUE(map.problems().empty());
    EXPECT_EQ(map.target(3), "/dev/ttyUSB0");
    EXPECT_EQ(map.target(5), "socket://10.0.0.7:4001");
    EXPECT_EQ(map.target(16), "socket://[fe80::1]:4001");
}

TEST(PortMap, SkipsAndReportsBadLines) {
    const PortMap map = PortMap::parse({
        "1=/dev/ttyUSB0",
        "/dev/ttyUSB1",
        "0=/dev/ttyUSB2",
        "17=/dev/ttyUSB3",
        "two=/dev/ttyUSB4",
        "4=   # target forgotten",
        "1=/dev/ttyACM0",
        "\x1B[31mred\x07",
        std::string(100, 'z'),
        "x\x01=/dev/ttyUSB5",
    });
    const std::vector<std::string> expected = {
        "routelane4.ports line 2: \"/dev/ttyUSB1\" is not of the form N=TARGET",
        "routelane4.ports line 3: port number \"0\" is not 1 to 16",
        "routelane4.ports line 4: port number \"17\" is not 1 to 16",
        "routelane4.ports line 5: port number \"two\" is not 1 to 16",
        "routelane4.ports line 6: port 4 has no target",
        "routelane4.ports line 7: port 1 was already mapped on line 1; this line replaces it",
        "routelane4.ports line 8: \"\\x1B[31mred\\x07\" is not of the form N=TARGET",
        "routelane4.ports line 9: \"" + std::string(60, 'z') + "\u2026\" is not of the form N=TARGET",
        "routelane4.ports line 10: port number \"x\\x01\" is not 1 to 16",
    };
    EXPECT_EQ(map.problems(), expected);
    EXPECT_EQ(map.target(1), "/dev/ttyACM0");
    EXPECT_EQ(map.target(4), "/dev/ttyS3");
}

TEST(PortMap, UnmappedNumbersAndDeviceNamesReachThePlatformPorts) {
    PortMap map = PortMap::parse({"5=socket://server:4001"});
    EXPECT_EQ(map.target(1), "/dev/ttyS0");
    EXPECT_EQ(map.target(255), "/dev/ttyS254");
    EXPECT_EQ(map.target(0), "");
    EXPECT_EQ(map.target(256), "");

    EXPECT_EQ(map.targetOfDevice("com5"), "socket://server:4001");
    EXPECT_EQ(map.targetOfDevice("COM12"), "/dev/ttyS11");
    for (const char* notAPort : {"com", "com0", "com256", "com5x", "com-1", "tty5", "co5"})
        EXPECT_EQ(map.targetOfDevice(notAPort), std::nullopt) << notAPort;

    // A target from the command line wins over the file.
    EXPECT_TRUE(map.set(5, "/dev/ttyUSB7"));
    EXPECT_EQ(map.targetOfDevice("com5"), "/dev/ttyUSB7");
    EXPECT_FALSE(map.set(0, "/dev/ttyUSB7"));
    EXPECT_FALSE(map.set(6, ""));
    EXPECT_EQ(map.target(6), "/dev/ttyS5");
}

TEST(PortMap, LoadsTheFileOfTheProgramFolder) {
    test::TempFolder folder;
    EXPECT_TRUE(PortMap::load(folder.path()).problems().empty());
    EXPECT_EQ(PortMap::load(folder.path()).target(2), "/dev/ttyS1");

    ASSERT_EQ(writeTextLines(folder.path(PortMap::kFileName), {"2=/dev/ttyUSB0", "x"}), "");
    const PortMap map = PortMap::load(folder.path());
    EXPECT_EQ(map.target(2), "/dev/ttyUSB0");
    EXPECT_EQ(map.problems().size(), 1u);

    // Another program's map beside it is its own.
    ASSERT_EQ(writeTextLines(folder.path("protocol.ports"), {"2=/tmp/m", "y"}), "");
    const PortMap other = PortMap::load(folder.path(), "protocol.ports");
    EXPECT_EQ(other.target(2), "/tmp/m");
    EXPECT_EQ(other.problems(),
              std::vector<std::string>{"protocol.ports line 2: \"y\" is not of the form N=TARGET"});

    // A file too large to be a port map is read only in part, and says so.
    std::vector<std::string> huge(kMaxTextFileLines, "# padding");
    huge.push_back("3=/dev/ttyUSB3");
    ASSERT_EQ(writeTextLines(folder.path(PortMap::kFileName), huge), "");
    const PortMap cut = PortMap::load(folder.path());
    EXPECT_EQ(cut.target(3), "/dev/ttyS2");
    EXPECT_EQ(cut.problems(), std::vector<std::string>{"routelane4.ports: too large; 16 bytes after line " +
                                                       std::to_string(kMaxTextFileLines) + " were not read"});
}

} // namespace
} // namespace rl4

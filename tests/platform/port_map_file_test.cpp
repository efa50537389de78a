#include "platform/port_map_file.h"
#include "platform/text_file.h"
#include "support/temp_folder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace rl4 {
namespace {

using Lines = std::vector<std::string>;

TEST(PortMapFile, MapsOneNumberAndKeepsEveryOtherLine) {
    struct Case {
        const char* name;
        Lines lines;
        int number;
        std::string target;
        Lines expected;
        PortMappingRefusal refusal;
    };
    constexpr auto kDone = PortMappingRefusal::None;
    const Case cases[] = {
        {"new number at the end",
         {"# rack 2", "1=/dev/ttyUSB0"},
         3,
         "/dev/ttyUSB1",
         {"# rack 2", "1=/dev/ttyUSB0", "3=/dev/ttyUSB1"},
         kDone},
        {"replaced, its comment kept",
         {"# rack", "", "  2 = /dev/ttyS1   # desk", "5=/dev/ttyUSB0"},
         2,
         " /dev/ttyUSB4\t",
         {"# rack", "", "2=/dev/ttyUSB4   # desk", "5=/dev/ttyUSB0"},
         kDone},
        {"socket target",
         {"1=/dev/ttyUSB0"},
         1,
         "socket://10.0.0.40:4001",
         {"1=socket://10.0.0.40:4001"},
         kDone},
        {"empty file",
         {},
         16,
         "/dev/serial/by-id/usb-Acme-if00",
         {"16=/dev/serial/by-id/usb-Acme-if00"},
         kDone},
        {"later lines of the number go, skipped lines stay",
         {"4=/dev/a", "junk", "17=/dev/b", "4=/dev/c # twice", "4=   # forgotten"},
         4,
         "/dev/d",
         {"4=/dev/d", "junk", "17=/dev/b"},
         kDone},
        {"a comment right after the target", {"6=/dev/a#spare"}, 6, "/dev/b", {"6=/dev/b #spare"}, kDone},
        {"a commented-out line is a comment",
         {"#4=/dev/old"},
         4,
         "/dev/new",
         {"#4=/dev/old", "4=/dev/new"},
         kDone},
        {"Windows-1252 letters", {}, 7, "/dev/câble€", {"7=/dev/câble€"}, kDone},
        {"number 0", {"1=/dev/a"}, 0, "/dev/b", {"1=/dev/a"}, PortMappingRefusal::NumberOutOfRange},
        {"number 17", {"1=/dev/a"}, 17, "/dev/b", {"1=/dev/a"}, PortMappingRefusal::NumberOutOfRange},
        {"blank target", {"1=/dev/a"}, 1, " \t", {"1=/dev/a"}, PortMappingRefusal::NoTarget},
        {"a # would start a comment", {}, 1, "/dev/a#b", {}, PortMappingRefusal::TargetNotWritable},
        {"a control character", {}, 1, "/dev/a\x1b", {}, PortMappingRefusal::TargetNotWritable},
        {"beyond Windows-1252", {}, 1, "/dev/порт", {}, PortMappingRefusal::TargetNotWritable},
    };
    for (const Case& c : cases) {
        const PortMappingEdit edit = mapPortInLines(c.lines, c.number, c.target);
        EXPECT_EQ(edit.lines, c.expected) << c.name;
        EXPECT_EQ(edit.refusal, c.refusal) << c.name;
    }
}

TEST(PortMapFile, WritesTheFileWholeOrNotAtAll) {
    test::TempFolder temp;
    const PortMappingResult created = writePortMapping(temp.path(), 2, "/dev/ttyUSB0");
    EXPECT_TRUE(created.done()) << created.describe(PortTextLanguage::English);
    EXPECT_EQ(created.describe(PortTextLanguage::English),
              temp.path("routelane4.ports") + ": port 2 now reaches \"/dev/ttyUSB0\"");
    ASSERT_TRUE(writePortMapping(temp.path(), 3, "socket://server:4001").done());
    const PortMap map = PortMap::load(temp.path());
    EXPECT_TRUE(map.problems().empty());
    EXPECT_EQ(map.target(2), "/dev/ttyUSB0");
    EXPECT_EQ(map.target(3), "socket://server:4001");

    ASSERT_TRUE(writePortMapping(temp.path(), 2, "/dev/ttyACM0", "protocol.ports").done());
    EXPECT_EQ(PortMap::load(temp.path(), "protocol.ports").target(2), "/dev/ttyACM0");

    const PortMappingResult refused = writePortMapping(temp.path(), 17, "/dev/ttyUSB0");
    EXPECT_EQ(refused.describe(PortTextLanguage::English), "Port number 17 is not 1 to 16");
    EXPECT_EQ(refused.describe(PortTextLanguage::French), "Le numéro de port 17 n'est pas de 1 à 16");

    // A folder where the file should be, or a file too large to be read whole: writing would lose it.
    std::filesystem::create_directories(temp.path("folder/routelane4.ports"));
    EXPECT_EQ(writePortMapping(temp.path("folder"), 1, "/dev/ttyUSB0").refusal,
              PortMappingRefusal::FileUnreadable);
    EXPECT_TRUE(std::filesystem::is_directory(temp.path("folder/routelane4.ports")));

    std::filesystem::create_directories(temp.path("large"));
    {
        std::ofstream large(temp.path("large/routelane4.ports"), std::ios::binary);
        const std::string comment = "# " + std::string(1000, 'x') + "\r\n";
        for (std::size_t size = 0; size <= kMaxTextFileBytes; size += comment.size())
            large << comment;
    }
    const auto largeSize = std::filesystem::file_size(temp.path("large/routelane4.ports"));
    const PortMappingResult tooLarge = writePortMapping(temp.path("large"), 1, "/dev/ttyUSB0");
    EXPECT_EQ(tooLarge.refusal, PortMappingRefusal::FileTooLarge);
    EXPECT_EQ(std::filesystem::file_size(temp.path("large/routelane4.ports")), largeSize);

    const PortMappingResult braces = writePortMapping(temp.path(), 4, "/dev/{path}");
    EXPECT_EQ(braces.describe(PortTextLanguage::English),
              temp.path("routelane4.ports") + ": port 4 now reaches \"/dev/{path}\"");

    const PortMappingResult noFolder = writePortMapping(temp.path("none"), 1, "/dev/ttyUSB0");
    EXPECT_EQ(noFolder.refusal, PortMappingRefusal::WriteFailed);
    EXPECT_EQ(noFolder.describe(PortTextLanguage::French)
                  .rfind("Impossible d'écrire le fichier " + temp.path("none"), 0),
              0u)
        << noFolder.describe(PortTextLanguage::French);
    EXPECT_NE(noFolder.reason, "");
}

} // namespace
} // namespace rl4

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
        Lines lines;
        int number;
        std::string target;
        Lines expected;
    };
    const Case cases[] = {
        // A new number goes at the end; a replaced one keeps its comment, blanks around a target go.
        {{"# rack 2", "1=/dev/ttyUSB0"}, 3, "/dev/ttyUSB1", {"# rack 2", "1=/dev/ttyUSB0", "3=/dev/ttyUSB1"}},
        {{"  2 = /dev/ttyS1  # desk", "5=/dev/a"},
         2,
         " /dev/ttyUSB4\t",
         {"2=/dev/ttyUSB4  # desk", "5=/dev/a"}},
        {{"1=/dev/ttyUSB0"}, 1, "socket://10.0.0.40:4001", {"1=socket://10.0.0.40:4001"}},
        {{}, 16, "/dev/serial/by-id/usb-Acme-if00", {"16=/dev/serial/by-id/usb-Acme-if00"}},
        {{"6=/dev/a#spare"}, 6, "/dev/b", {"6=/dev/b #spare"}},
        {{"#4=/dev/old"}, 4, "/dev/new", {"#4=/dev/old", "4=/dev/new"}},
        {{}, 7, "/dev/câble€", {"7=/dev/câble€"}},
        // Later lines of the number would win over the new one; lines the reader skips stay.
        {{"4=/dev/a", "junk", "17=/dev/b", "four=/dev/e", "4=/dev/c # again", "4= # none"},
         4,
         "/dev/d",
         {"4=/dev/d", "junk", "17=/dev/b", "four=/dev/e"}},
    };
    for (const Case& c : cases) {
        const PortMappingEdit edit = mapPortInLines(c.lines, c.number, c.target);
        EXPECT_EQ(edit.lines, c.expected) << c.target;
        EXPECT_EQ(edit.refusal, PortMappingRefusal::None) << c.target;
    }

    struct Refusal {
        int number;
        std::string target;
        PortMappingRefusal refusal;
    };
    const Refusal refusals[] = {
        {0, "/dev/a", PortMappingRefusal::NumberOutOfRange},
        {17, "/dev/a", PortMappingRefusal::NumberOutOfRange},
        {1, " \t", PortMappingRefusal::NoTarget},
        {1, "/dev/a#b", PortMappingRefusal::TargetNotWritable},
        {1, "/dev/a\x1b", PortMappingRefusal::TargetNotWritable},
        {1, "/dev/порт", PortMappingRefusal::TargetNotWritable},
    };
    for (const Refusal& r : refusals) {
        const PortMappingEdit edit = mapPortInLines({"1=/dev/old"}, r.number, r.target);
        EXPECT_EQ(edit.lines, Lines{"1=/dev/old"}) << r.target;
        EXPECT_EQ(edit.refusal, r.refusal) << r.target;
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

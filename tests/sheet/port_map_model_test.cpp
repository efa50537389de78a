#include "platform/port_map.h"
#include "platform/pty_pair.h"
#include "sheet/port_map_model.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace rl4 {
namespace {

using test::Lines;
using Row = std::vector<std::string>;

class CountingListener : public SheetListener {
public:
    void configDialogChanged() override { ++changes; }
    int changes = 0;
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
    Row rowOf(const std::string& target) const {
        for (const Row& row : ports.rows())
            if (row[1] == target)
                return row;
        return {};
    }

    test::PtyPair pty;
    SerialDevice adapter{pty.slavePath(), "Matrix cable", true, "Acme", "RS-232", "T1", 0x0403, 0x6001};
    std::vector<SerialDevice> plugged{adapter};
    std::string listingError;
    test::TempFolder folder;
    MessageTable messages;
    CountingListener listener;
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
    test::writeCrLf(folder.path(PortMap::kFileName), {"# rack 2", "2=/dev/ttyUSB7   # old cable"});
    ports.load(2);
    EXPECT_EQ(ports.heading(), (Row{"port", "target", "state", "device"}));
    EXPECT_EQ(ports.rows()[1], (Row{"2", "/dev/ttyUSB7", "missing", ""}));
    EXPECT_EQ(ports.chosenCaption(), "Port 2:");
    EXPECT_EQ(ports.target(), "/dev/ttyUSB7");
    const Row found{"-", pty.slavePath(), "found", "Matrix cable [Acme RS-232, serial T1, USB 0403:6001]"};
    ASSERT_EQ(rowOf(pty.slavePath()), found);

    const auto rows = ports.rows();
    ports.rowClicked(static_cast<int>(std::find(rows.begin(), rows.end(), found) - rows.begin()));
    EXPECT_EQ(ports.chosenPort(), 2);
    EXPECT_EQ(ports.target(), pty.slavePath());
    ASSERT_TRUE(ports.cmdportmap_Click());
    EXPECT_EQ(test::readCrLf(folder.path(PortMap::kFileName)),
              (Lines{"# rack 2", "2=" + pty.slavePath() + "   # old cable"}));
    EXPECT_EQ(mapped, Lines{"2" + pty.slavePath()});
    EXPECT_EQ(ports.message(),
              folder.path(PortMap::kFileName) + ": port 2 now reaches \"" + pty.slavePath() + "\"");
    EXPECT_FALSE(ports.messageIsProblem());
    EXPECT_EQ(ports.rows()[1], (Row{"2", pty.slavePath(), "found", found[3]}));
    EXPECT_EQ(ports.rows().size(), rows.size() - 1) << "the device is no longer listed apart";
}

TEST_F(PortMapModelTest, RefusesWhatCannotBeATargetAndLeavesTheFileAsItWas) {
    test::writeCrLf(folder.path(PortMap::kFileName), {"3=/dev/ttyUSB0"});
    const std::string before = test::fileBytes(folder.path(PortMap::kFileName));
    ports.load(3);
    const std::string noServer = "is no serial device server address: write socket://HOST:PORT";
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"socket://10.0.0.40", noServer},      {"socket://:4001", noServer},
        {"socket://10.0.0.40:0", noServer},    {"socket://10.0.0.40:65536", noServer},
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
    EXPECT_EQ(test::fileBytes(folder.path(PortMap::kFileName)), before);
    EXPECT_TRUE(mapped.empty());
    for (const std::string target : {"socket://rack-2.example:4001", "socket://[fe80::1]:4001"}) {
        ports.setTarget(target);
        EXPECT_TRUE(ports.cmdportmap_Click()) << ports.message();
        EXPECT_EQ(PortMap::load(folder.folder()).target(3), target);
        EXPECT_EQ(ports.rows()[2], (Row{"3", target, "network", ""}));
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
    EXPECT_EQ(rowOf(pty.slavePath()), Row{});
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

TEST(LastingDevicePath, PrefersTheLinkThatOutlivesUnplugging) {
    test::PtyPair pty;
    test::TempFolder byId;
    EXPECT_EQ(lastingDevicePath(pty.slavePath(), byId.folder()), pty.slavePath());
    std::filesystem::create_symlink(pty.slavePath(), byId.path("usb-Acme_RS-232_T1-if01"));
    std::filesystem::create_symlink(pty.slavePath(), byId.path("usb-Acme_RS-232_T1-if00"));
    std::filesystem::create_symlink("/nothing", byId.path("usb-Gone-if00"));
    EXPECT_EQ(lastingDevicePath(pty.slavePath(), byId.folder()), byId.path("usb-Acme_RS-232_T1-if00"));
    EXPECT_EQ(lastingDevicePath(pty.slavePath(), byId.path("none")), pty.slavePath());
}

} // namespace
} // namespace rl4

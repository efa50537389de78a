#include "platform/serial_devices.h"
#include "pty_pair.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace rl4 {
namespace {

SerialDevice usbAdapter(std::string path, std::string description, std::string maker, std::string product,
                        std::string serial, std::uint16_t vendor, std::uint16_t productId) {
    return {std::move(path),    std::move(description), true,   std::move(maker),
            std::move(product), std::move(serial),      vendor, productId};
}

SerialDevice uart(std::string path, std::string description) {
    return {std::move(path), std::move(description), false, "", "", "", 0, 0};
}

TEST(PortTable, EachNumberWithItsTargetThenTheDevicesNoNumberReaches) {
    const PortMap map = PortMap::parse({
        "1=/dev/ttyUSB0",
        "2=/dev/serial/by-id/usb-Prolific-if00",
        "3=socket://10.0.0.40:4001",
        "4=/tmp/matrix",
    });
    const std::vector<SerialDevice> found = {
        usbAdapter("/dev/ttyUSB10", "USB Serial", "", "", "", 0x1a86, 0x7523),
        usbAdapter("/dev/ttyUSB0", "FT232R USB UART", "Acme", "FT232R USB UART", "A1B2", 0x0403, 0x6001),
        uart("/dev/ttyS5", "ttyS5"),
        usbAdapter("/dev/ttyUSB3", "USB-Serial Controller", "Prolific", "USB-Serial Controller D", "", 0x067b,
                   0x2303),
        usbAdapter("/dev/ttyUSB2", "", "", "", "9", 0, 0),
        uart("/dev/ttyACM0", "Board CDC"),
    };
    const std::map<std::string, std::string> places = {
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"/dev/serial/by-id/usb-Prolific-if00", "/dev/ttyUSB3"},
        {"/tmp/matrix", "/dev/pts/7"},
        {"/dev/ttyS5", "/dev/ttyS5"},
    };
    const auto locate = [&places](const std::string& path) -> std::optional<std::string> {
        const auto place = places.find(path);
        return place != places.end() ? std::optional(place->second) : std::nullopt;
    };

    std::vector<std::string> expected = {
        "port\ttarget\tstate\tdevice",
        "1\t/dev/ttyUSB0\tfound\tFT232R USB UART [Acme, serial A1B2, USB 0403:6001]",
        "2\t/dev/serial/by-id/usb-Prolific-if00\tfound\tUSB-Serial Controller [Prolific USB-Serial "
        "Controller D, "
        "USB 067b:2303]",
        "3\tsocket://10.0.0.40:4001\tnetwork\t",
        "4\t/tmp/matrix\tpresent\t",
        "5\t/dev/ttyS4\tmissing\t",
        "6\t/dev/ttyS5\tfound\tttyS5",
    };
    for (int n = 7; n <= 16; ++n)
        expected.push_back(std::to_string(n) + "\t/dev/ttyS" + std::to_string(n - 1) + "\tmissing\t");
    expected.push_back("-\t/dev/ttyACM0\tfound\tBoard CDC");
    expected.push_back("-\t/dev/ttyUSB2\tfound\t[serial 9, USB 0000:0000]");
    expected.push_back("-\t/dev/ttyUSB10\tfound\tUSB Serial [USB 1a86:7523]");

    const std::vector<PortRow> rows = portTable(map, found, locate);
    EXPECT_EQ(formatPortTable(rows, PortTextLanguage::English), expected);

    const std::vector<std::string> french = formatPortTable(rows, PortTextLanguage::French);
    ASSERT_EQ(french.size(), expected.size());
    EXPECT_EQ(french[0], "port\tcible\tétat\tappareil");
    EXPECT_EQ(french[1], "1\t/dev/ttyUSB0\ttrouvé\tFT232R USB UART [Acme, n° de série A1B2, USB 0403:6001]");
    EXPECT_EQ(french[3], "3\tsocket://10.0.0.40:4001\tréseau\t");
    EXPECT_EQ(french[4], "4\t/tmp/matrix\tprésent\t");
    EXPECT_EQ(french[5], "5\t/dev/ttyS4\tabsent\t");
}

// Containers and most desktops have no serial port: the listing is then empty, not an error. A
// pseudo-terminal is no device of the machine and is never listed, even behind a link; a port mapped to one
// is "present", and one mapped to nothing "missing".
TEST(SerialDevices, ListsTheMachinesDevicesButNoPseudoTerminal) {
    const SerialDeviceListing listing = listSerialDevices();
    EXPECT_EQ(listing.error, "");
    for (const SerialDevice& device : listing.devices) {
        EXPECT_TRUE(device.path.starts_with("/dev/")) << device.path;
        EXPECT_FALSE(device.path.starts_with("/dev/pts/")) << device.path;
    }

    test::PtyPair pty;
    ASSERT_FALSE(pty.slavePath().empty());
    test::TempFolder temp;
    std::filesystem::create_symlink(pty.slavePath(), temp.path("matrix"));
    const SerialDeviceListing again = listSerialDevices();
    EXPECT_TRUE(std::none_of(again.devices.begin(), again.devices.end(), [&](const SerialDevice& device) {
        return device.path == pty.slavePath() || device.path == temp.path("matrix");
    }));

    EXPECT_EQ(locateDevice(temp.path("matrix")), pty.slavePath());
    EXPECT_EQ(locateDevice(temp.path("nothing")), std::nullopt);
    const PortMap map = PortMap::parse({"1=" + temp.path("matrix"), "2=" + temp.path("nothing")});
    const std::vector<PortRow> rows = portTable(map, again.devices);
    EXPECT_EQ(rows[0].state, PortState::Present);
    EXPECT_EQ(rows[1].state, PortState::Missing);
}

} // namespace
} // namespace rl4

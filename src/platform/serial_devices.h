#pragma once

#include "platform/port_map.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace rl4 {

// A serial device of the machine: one of its own UARTs or a USB adapter. Pseudo-terminals belong to no
// hardware and never appear, nor does anything reached through a link the operator made.
struct SerialDevice {
    std::string path;        // "/dev/ttyUSB0"
    std::string description; // the system's words for it: the adapter's product, or "ttyS0"
    bool usb = false;
    // What a USB adapter tells of itself; empty, or 0, when it does not.
    std::string maker;
    std::string product;
    std::string serialNumber;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

struct SerialDeviceListing {
    std::vector<SerialDevice> devices;
    // Why the system could not be asked, in its own words; empty when it answered, even with no device.
    std::string error;
};

// The serial devices of the machine as they are now: an adapter plugged in or pulled out since the last call
// shows in the next. Nothing is opened or changed.
SerialDeviceListing listSerialDevices();
// Where a program takes its listing from: listSerialDevices, or a test's own devices beside it.
using SerialDeviceSource = std::function<SerialDeviceListing()>;

// The name of a device that outlives unplugging: the link in `linkFolder` that leads to `devicePath`
// (udev names USB adapters there by maker, product and serial number, and a replugged adapter may come back
// as another ttyUSB), else `devicePath` itself.
std::string lastingDevicePath(const std::string& devicePath,
                              const std::string& linkFolder = "/dev/serial/by-id");

// Where a path leads once its links are followed ("/dev/serial/by-id/usb-..." to "/dev/ttyUSB0"); nothing
// when there is nothing there.
std::optional<std::string> locateDevice(const std::string& path);
using DeviceLocator = std::function<std::optional<std::string>(const std::string& path)>;

enum class PortTextLanguage { English, French };

enum class PortState {
    Found,   // a serial device of the machine
    Present, // something that is not a device of the machine: a pseudo-terminal, a link to one
    Missing, // nothing there: an adapter unplugged, or a port the machine lacks
    Network, // a serial device server, known only by connecting to it
};

struct PortRow {
    // 0 for a device found that no port number reaches.
    int number = 0;
    std::string target;
    PortState state = PortState::Missing;
    // The device found at the target.
    std::optional<SerialDevice> device;
};

// Ports PortMap::kFirstMapped..kLastMapped with their targets, then the devices found that none of them
// reaches, in the order of their paths (ttyUSB2 before ttyUSB10).
std::vector<PortRow> portTable(const PortMap& map, const std::vector<SerialDevice>& found,
                               const DeviceLocator& locate = locateDevice);

// A heading, then one line per row, tab-separated: port ("-" when none), target, state, device.
std::vector<std::string> formatPortTable(const std::vector<PortRow>& rows, PortTextLanguage language);

} // namespace rl4

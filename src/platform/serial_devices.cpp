#include "platform/serial_devices.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <libserialport.h>
#include <memory>
#include <string_view>
#include <tuple>

namespace rl4 {

namespace {

std::string text(const char* value) {
    return value != nullptr ? value : "";
}

SerialDevice deviceOf(const sp_port* port) {
    SerialDevice device;
    device.path = text(sp_get_port_name(port));
    device.description = text(sp_get_port_description(port));
    device.usb = sp_get_port_transport(port) == SP_TRANSPORT_USB;
    if (!device.usb)
        return device;
    device.maker = text(sp_get_port_usb_manufacturer(port));
    device.product = text(sp_get_port_usb_product(port));
    device.serialNumber = text(sp_get_port_usb_serial(port));
    int vendor = 0;
    int product = 0;
    if (sp_get_port_usb_vid_pid(port, &vendor, &product) == SP_OK) {
        device.vendorId = static_cast<std::uint16_t>(vendor);
        device.productId = static_cast<std::uint16_t>(product);
    }
    return device;
}

std::string lastListingError() {
    char* message = sp_last_error_message();
    std::string reason = text(message);
    sp_free_error_message(message);
    return reason.empty() ? "the system gave no list of serial devices" : reason;
}

// Paths ordered as people number them: the digits at the end compare as a number.
bool beforeInPathOrder(const std::string& a, const std::string& b) {
    const auto split = [](const std::string& path) {
        const auto digits = path.find_last_not_of("0123456789") + 1;
        const std::string number = path.substr(digits);
        return std::tuple(path.substr(0, digits), number.size(), number);
    };
    return split(a) < split(b);
}

struct PortWords {
    const char* heading;
    std::array<const char*, 4> states; // in the order of PortState
    const char* serial;
};

constexpr PortWords kEnglish{
    "port\ttarget\tstate\tdevice", {"found", "present", "missing", "network"}, "serial"};
constexpr PortWords kFrench{
    "port\tcible\tétat\tappareil", {"trouvé", "présent", "absent", "réseau"}, "n° de série"};

std::string usbIds(const SerialDevice& device) {
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x:%04x", device.vendorId, device.productId);
    return std::string("USB ") + ids;
}

// "FT232R USB UART [Acme, serial A1B2, USB 0403:6001]": what tells one adapter from another of the same kind.
std::string deviceSummary(const SerialDevice& device, const PortWords& words) {
    if (!device.usb)
        return device.description;
    std::string kind = device.maker;
    if (!device.product.empty() && device.product != device.description)
        kind += (kind.empty() ? "" : " ") + device.product;
    const std::string serial =
        device.serialNumber.empty() ? "" : std::string(words.serial) + " " + device.serialNumber;
    std::string details;
    for (const std::string& part : {kind, serial, usbIds(device)}) {
        if (!part.empty())
            details += (details.empty() ? "" : ", ") + part;
    }
    return (device.description.empty() ? "" : device.description + " ") + "[" + details + "]";
}

} // namespace

SerialDeviceListing listSerialDevices() {
    sp_port** ports = nullptr;
    if (sp_list_ports(&ports) != SP_OK)
        return {{}, lastListingError()};
    const std::unique_ptr<sp_port*, decltype(&sp_free_port_list)> owned(ports, sp_free_port_list);
    SerialDeviceListing listing;
    for (sp_port** port = ports; *port != nullptr; ++port)
        listing.devices.push_back(deviceOf(*port));
    return listing;
}

std::optional<std::string> locateDevice(const std::string& path) {
    std::error_code error;
    const auto located = std::filesystem::canonical(path, error);
    if (error)
        return std::nullopt;
    return located.string();
}

std::string lastingDevicePath(const std::string& devicePath, const std::string& linkFolder) {
    std::error_code error;
    std::vector<std::string> links;
    for (std::filesystem::directory_iterator entry(linkFolder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (locateDevice(entry->path().string()) == devicePath)
            links.push_back(entry->path().string());
    }
    // An adapter with two names there (one per interface) gets the same one each time.
    return links.empty() ? devicePath : *std::min_element(links.begin(), links.end());
}

std::vector<PortRow> portTable(const PortMap& map, const std::vector<SerialDevice>& found,
                               const DeviceLocator& locate) {
    const auto deviceAt = [&found](const std::string& path) -> const SerialDevice* {
        const auto device = std::find_if(found.begin(), found.end(),
                                         [&path](const SerialDevice& d) { return d.path == path; });
        return device != found.end() ? &*device : nullptr;
    };
    std::vector<PortRow> rows;
    std::vector<std::string> reached;
    for (int n = PortMap::kFirstMapped; n <= PortMap::kLastMapped; ++n) {
        PortRow row{n, map.target(n), PortState::Network, std::nullopt};
        if (!row.target.starts_with("socket://")) {
            const std::optional<std::string> place = locate(row.target);
            const SerialDevice* device = place ? deviceAt(*place) : nullptr;
            row.state = device != nullptr ? PortState::Found
                        : place           ? PortState::Present
                                          : PortState::Missing;
            if (device != nullptr) {
                row.device = *device;
                reached.push_back(device->path);
            }
        }
        rows.push_back(std::move(row));
    }
    std::vector<SerialDevice> unreached;
    for (const SerialDevice& device : found) {
        if (std::find(reached.begin(), reached.end(), device.path) == reached.end())
            unreached.push_back(device);
    }
    std::sort(unreached.begin(), unreached.end(),
              [](const SerialDevice& a, const SerialDevice& b) { return beforeInPathOrder(a.path, b.path); });
    for (SerialDevice& device : unreached)
        rows.push_back({0, device.path, PortState::Found, std::move(device)});
    return rows;
}

std::vector<std::string> formatPortTable(const std::vector<PortRow>& rows, PortTextLanguage language) {
    const PortWords& words = language == PortTextLanguage::French ? kFrench : kEnglish;
    std::vector<std::string> lines{words.heading};
    for (const PortRow& row : rows) {
        lines.push_back((row.number == 0 ? std::string("-") : std::to_string(row.number)) + "\t" +
                        row.target + "\t" + words.states[static_cast<std::size_t>(row.state)] + "\t" +
                        (row.device ? deviceSummary(*row.device, words) : ""));
    }
    return lines;
}

} // namespace rl4

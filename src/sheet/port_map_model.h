#pragma once

#include "platform/serial_devices.h"
#include "sheet/sheet_listener.h"
#include "text/message_table.h"

#include <functional>
#include <string>
#include <vector>

namespace rl4 {

// The port map in the configuration dialog: each port number with its target and what is there, the
// serial devices of the machine that no number reaches, and the mapping of one number to a found device or
// to a serial device server, written into the program folder's port map file. Operators plug and pull USB
// adapters while the program runs, so the devices are listed again at each load() and relist().
class PortMapModel {
public:
    // Listing reads a few small files of the system for each device, a millisecond or so in all: cheap
    // enough to repeat while the dialog is open, so that an adapter plugged in shows without anyone asking.
    static constexpr int kRelistIntervalMs = 2000;

    PortMapModel(std::string folder, MessageTable& messages, SerialDeviceSource devices = listSerialDevices);

    void setListener(SheetListener* listener) { listener_ = listener; }
    // Told each mapping written, so that the port opens on its new target from now on.
    void setMapped(std::function<void(int number, const std::string& target)> mapped) {
        mapped_ = std::move(mapped);
    }

    // The dialog opens: the map and the devices as they are now, port `chosen` picked for mapping (when it
    // is one the file can map), the last mapping's message gone.
    void load(int chosen);
    // The devices and the map again; the listener hears of it only when something changed.
    void relist();
    // A row of the table picked: a port's row picks its number and target, a found device's row its path.
    void rowClicked(int row);
    // Port `number` picked for mapping, as the port list of the dialog does.
    void choosePort(int number);
    void setTarget(std::string target) { target_ = std::move(target); }
    // Maps the chosen port to the target as typed or picked, and says how it went in message().
    bool cmdportmap_Click();

    // The column headings, then one row per port and per device no port reaches: port ("-" when none),
    // target, state, device; in the language of the messages.
    std::vector<std::string> heading() const;
    std::vector<std::vector<std::string>> rows() const;
    // The targets offered for the found devices, by the names that outlive unplugging when they have one.
    const std::vector<std::string>& foundTargets() const { return foundTargets_; }
    int chosenPort() const { return chosenPort_; }
    const std::string& target() const { return target_; }
    // "Port 3:", before the target field.
    std::string chosenCaption() const;
    // What the last mapping did, else why the devices could not be listed; empty when there is nothing to
    // say.
    std::string message() const;
    bool messageIsProblem() const { return problem_ || (message_.empty() && !listingError_.empty()); }

private:
    std::vector<std::vector<std::string>> table(PortTextLanguage language) const;
    PortTextLanguage language() const;
    void listDevices();
    void changed();

    std::string folder_;
    MessageTable& messages_;
    SerialDeviceSource devices_;
    SheetListener* listener_ = nullptr;
    std::function<void(int, const std::string&)> mapped_;

    std::vector<PortRow> rows_;
    std::vector<std::string> foundTargets_;
    std::string listingError_;
    int chosenPort_ = PortMap::kFirstMapped;
    std::string target_;
    std::string message_;
    bool problem_ = false;
};

} // namespace rl4

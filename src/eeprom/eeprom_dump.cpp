#include "eeprom/eeprom_dump.h"

#include "text/number_text.h"

namespace rl4 {

void EepromDump::record(int code, int machine, int data1, int data2) {
    if (code != kEepromCode)
        return;
    if (machine == kAddressMachine) {
        finishEntry();
        const int address = data2 * 256 + data1;
        eepromDump_ = field3(address / kEepromLineBytes) + " " + hex2(data2) + hex2(data1) + " ";
    } else if (machine == kWriteMachine) {
        eepromDump_ += hex2(data1) + " ";
    } else if (machine == kCloseMachine) {
        // Without this the last line written would never reach the list: entries are otherwise finished
        // only by the next address.
        finishEntry();
    }
}

void EepromDump::finishEntry() {
    if (!eepromDump_.empty())
        lbloadeeprom_.push_back(eepromDump_);
    eepromDump_.clear();
}

std::vector<std::string> eepromDumpList(const EepromUpload& upload) {
    EepromDump dump;
    for (const EepromMessage& message : upload.messages)
        dump.record(message.code, message.machine, message.data1, message.data2);
    return dump.lbloadeeprom();
}

} // namespace rl4

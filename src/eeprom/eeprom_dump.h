#pragma once

#include "eeprom/eeprom_upload.h"

#include <string>
#include <vector>

namespace rl4 {

// The dump list of a 4-byte run: a column header, then one entry per line written, "LLL HHLL " (line
// number, address high and low bytes) followed by each byte written as two hexadecimal digits and a blank.
// The send operation feeds it every EEPROM instruction (code 32) as it goes out.
class EepromDump {
public:
    static constexpr const char* kHeader =
        "Lgn Addr Pr  V  A  R  Y  K FF FF d  e  v  i  c  e  s  .  .  n  a  m  "
        "e  30 30 30 30 30 30";

    // A whole line written: "LLL HHLL " and 32 bytes, wider than the header.
    static constexpr int kLongestEntry = 9 + 3 * kEepromLineBytes;

    void record(int code, int machine, int data1, int data2);

    // The entry being written.
    const std::string& eepromDump() const { return eepromDump_; }
    // The finished entries, the header first.
    const std::vector<std::string>& lbloadeeprom() const { return lbloadeeprom_; }

private:
    void finishEntry();

    std::string eepromDump_ = kHeader;
    std::vector<std::string> lbloadeeprom_;
};

// The dump list of a whole run.
std::vector<std::string> eepromDumpList(const EepromUpload& upload);

} // namespace rl4

#pragma once

#include "eeprom/eeprom_upload.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rl4 {

// The memory a run leaves in the matrix, from address 0 to the end of the layout's last line: what the
// messages write, and 0xFF (an erased EEPROM) everywhere else. The 4-byte form writes through an address
// that moves on by one per byte; the 5-byte form writes at offsets within the 256-byte page last addressed.
std::vector<std::uint8_t> eepromImage(const EepromUpload& upload);

// The image as text, one line per 32-byte line: the bytes as two upper-case hexadecimal digits separated
// by single blanks, so that two images compare with a plain text diff. Line ends are the writer's, as for
// the program's other text files.
std::vector<std::string> eepromImageText(const std::vector<std::uint8_t>& image);

} // namespace rl4

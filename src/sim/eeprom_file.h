#pragma once

#include "sim/eeprom.h"

#include <optional>
#include <string>

namespace rl4::sim {

// Loads the EEPROM from a file of exactly Eeprom::kSize bytes; a missing file leaves it erased. Returns
// an error text when the file cannot be read or has another size.
std::optional<std::string> loadEepromFile(const std::string& path, Eeprom& eeprom);

// Writes the contents through a temporary file renamed over the old one, so that an interrupted write
// never leaves half an image. Returns an error text on failure.
std::optional<std::string> saveEepromFile(const std::string& path, const Eeprom& eeprom);

} // namespace rl4::sim

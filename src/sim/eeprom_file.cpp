#include "sim/eeprom_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace rl4::sim {

std::optional<std::string> loadEepromFile(const std::string& path, Eeprom& eeprom) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return std::nullopt;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return "cannot read EEPROM file " + path;
    }
    const Bytes contents{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (!eeprom.replace(contents)) {
        return "EEPROM file " + path + " has " + std::to_string(contents.size()) + " bytes, expected " +
               std::to_string(Eeprom::kSize);
    }
    return std::nullopt;
}

std::optional<std::string> saveEepromFile(const std::string& path, const Eeprom& eeprom) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(eeprom.bytes().data()),
                   static_cast<std::streamsize>(eeprom.bytes().size()));
        if (!file.flush()) {
            return "cannot write EEPROM file " + temporary;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        return "cannot replace EEPROM file " + path + ": " + error.message();
    }
    return std::nullopt;
}

} // namespace rl4::sim

#include "eeprom/eeprom_bytes.h"

#include "platform/text_file.h"
#include "text/text_fields.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace rl4 {

namespace {

// Code 0 stands for a position past the end of the name.
constexpr std::pair<std::uint8_t, std::uint8_t> kWrittenAs[] = {
    {0x00, ' '}, {0xE0, 'a'}, {0xE7, 'c'}, {0xEE, 'i'}, {0xE8, 'e'},
    {0xF9, 'u'}, {0xE9, 'e'}, {0xF1, 'n'}, {0xEF, 'i'}, {0xF2, 'o'},
};

std::uint8_t writtenAs(std::uint8_t code) {
    const auto* found = std::find_if(std::begin(kWrittenAs), std::end(kWrittenAs),
                                     [code](const auto& pair) { return pair.first == code; });
    return found == std::end(kWrittenAs) ? code : found->second;
}

} // namespace

std::uint8_t wireByte(int value) {
    return static_cast<std::uint8_t>(value > 256 ? 255 : value);
}

std::array<std::uint8_t, kNameBytes> nameBytes(const std::string& name) {
    const std::string encoded = toWindows1252(name);
    std::array<std::uint8_t, kNameBytes> bytes{};
    std::copy_n(encoded.begin(), std::min(encoded.size(), bytes.size()), bytes.begin());
    for (std::uint8_t& byte : bytes)
        byte = writtenAs(byte);
    return bytes;
}

std::string shownName(const std::string& name) {
    return characterSlice(name, 0, kNameBytes);
}

} // namespace rl4

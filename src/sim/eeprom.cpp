#include "sim/eeprom.h"

namespace rl4::sim {

namespace {
bool inside(int address) {
    return address >= 0 && address < Eeprom::kSize;
}
} // namespace

bool Eeprom::replace(const Bytes& contents) {
    if (contents.size() != static_cast<std::size_t>(kSize)) {
        return false;
    }
    bytes_ = contents;
    return true;
}

bool Eeprom::setAddress(int address) {
    if (!inside(address)) {
        return false;
    }
    address_ = address;
    return true;
}

bool Eeprom::writeAt(int address, std::uint8_t value) {
    if (!inside(address)) {
        return false;
    }
    bytes_[static_cast<std::size_t>(address)] = value;
    return true;
}

bool Eeprom::writeAndAdvance(std::uint8_t value) {
    if (!writeAt(address_, value)) {
        return false;
    }
    ++address_;
    return true;
}

} // namespace rl4::sim

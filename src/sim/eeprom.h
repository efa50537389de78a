#pragma once

#include "sim/frame.h"

#include <cstddef>
#include <cstdint>

namespace rl4::sim {

// The matrix's assignment memory: 32 KiB that start erased (0xFF), written through a current address.
class Eeprom {
public:
    static constexpr int kSize = 32768;
    static constexpr std::uint8_t kErased = 0xFF;

    Eeprom() : bytes_(kSize, kErased) {}

    const Bytes& bytes() const { return bytes_; }
    // False, and nothing changes, unless the contents are exactly kSize bytes.
    bool replace(const Bytes& contents);

    int address() const { return address_; }
    // False for an address beyond the memory.
    bool setAddress(int address);
    bool writeAt(int address, std::uint8_t value);
    // Writes at the current address and moves it on; false once the address ran past the end.
    bool writeAndAdvance(std::uint8_t value);

private:
    Bytes bytes_;
    int address_ = 0;
};

} // namespace rl4::sim

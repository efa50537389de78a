#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

namespace rl4::test {

using Bytes = std::vector<std::uint8_t>;
using Frame = Bytes;

// Frames written out from the protocol's byte layout, independently of the link's and the software matrix's
// encoders, so that a layout fault in either shows.

// STX, letter, first value, second value, ETX; values keep their low 8 bits as the wire does.
inline Frame five(int letter, int data1, int data2) {
    return {0x02, static_cast<std::uint8_t>(letter), static_cast<std::uint8_t>(data1),
            static_cast<std::uint8_t>(data2), 0x03};
}

// Code, second value, first value, machine. The three data bytes carry bit 7; a value above 127 lends its
// top bit to the fourth byte (bit 6 for the first value, bit 5 for the second).
inline Frame four(int code, int machine, int data1, int data2) {
    const int flags = ((data1 & 0x80) ? 0x40 : 0) | ((data2 & 0x80) ? 0x20 : 0);
    return {static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(0x80 | (data2 & 0x7F)),
            static_cast<std::uint8_t>(0x80 | (data1 & 0x7F)),
            static_cast<std::uint8_t>(0x80 | flags | machine)};
}

// The matrix's 4-byte answer: the code with bit 6 set.
inline Frame fourAnswer(int code, int machine, int data1, int data2) {
    return four(0x40 | code, machine, data1, data2);
}

// "02 56 03 01 03" as the frame log writes it, or "02.56.03.01.03" as the history does.
inline std::string hexText(std::span<const std::uint8_t> bytes, char separator = ' ') {
    std::string text;
    for (std::uint8_t byte : bytes) {
        char part[4];
        std::snprintf(part, sizeof part, "%02X", byte);
        if (!text.empty())
            text += separator;
        text += part;
    }
    return text;
}

} // namespace rl4::test

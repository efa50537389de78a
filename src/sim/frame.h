#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace rl4::sim {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;
inline constexpr std::uint8_t kNak = 0x15;
inline constexpr std::uint8_t kAnswerBit = 0x40;
inline constexpr std::uint8_t kErrorReport = 0x50;
inline constexpr std::size_t kFiveByteLength = 5;
inline constexpr std::size_t kFourByteLength = 4;

enum class FrameForm { Five, Four };

// One instruction as the matrix receives it. In the 5-byte form `instruction` is the letter and `machine`
// is 0; in the 4-byte form it is the code (bit 7 clear) and the data values are rebuilt to 8 bits from the
// flags of the fourth byte.
struct Frame {
    std::uint8_t instruction = 0;
    std::uint8_t machine = 0;
    int data1 = 0;
    int data2 = 0;
};

Bytes encodeFive(std::uint8_t letter, int data1, int data2);

// The 4-byte form puts the second value before the first; values above 127 lend their top bit to the
// fourth byte (bit 6 for the first value, bit 5 for the second).
Bytes encodeFour(std::uint8_t firstByte, int data1, int data2, int machine);

// Decodes a complete frame whose framing was already checked (see FrameSplitter).
Frame decodeFive(std::span<const std::uint8_t> bytes);
Frame decodeFour(std::span<const std::uint8_t> bytes);

// "02 56 03 01 03": upper-case hexadecimal separated by single blanks.
std::string hexText(std::span<const std::uint8_t> bytes);

} // namespace rl4::sim

#include "sim/frame.h"

#include <cstdio>

namespace rl4::sim {

namespace {
constexpr std::uint8_t kHighBit = 0x80;
constexpr std::uint8_t kLow7 = 0x7F;
constexpr std::uint8_t kFirstHighFlag = 0x40;
constexpr std::uint8_t kSecondHighFlag = 0x20;
constexpr std::uint8_t kMachineMask = 0x1F;

std::uint8_t low7(int value) {
    return static_cast<std::uint8_t>(kHighBit | (value & kLow7));
}
} // namespace

Bytes encodeFive(std::uint8_t letter, int data1, int data2) {
    return {kStx, letter, static_cast<std::uint8_t>(data1), static_cast<std::uint8_t>(data2), kEtx};
}

Bytes encodeFour(std::uint8_t firstByte, int data1, int data2, int machine) {
    std::uint8_t fourth = kHighBit | (machine & kMachineMask);
    if (data1 & kHighBit) {
        fourth |= kFirstHighFlag;
    }
    if (data2 & kHighBit) {
        fourth |= kSecondHighFlag;
    }
    return {static_cast<std::uint8_t>(firstByte & kLow7), low7(data2), low7(data1), fourth};
}

Frame decodeFive(std::span<const std::uint8_t> bytes) {
    return Frame{bytes[1], 0, bytes[2], bytes[3]};
}

Frame decodeFour(std::span<const std::uint8_t> bytes) {
    const std::uint8_t fourth = bytes[3];
    int data1 = bytes[2] & kLow7;
    int data2 = bytes[1] & kLow7;
    if (fourth & kFirstHighFlag) {
        data1 |= kHighBit;
    }
    if (fourth & kSecondHighFlag) {
        data2 |= kHighBit;
    }
    return Frame{bytes[0], static_cast<std::uint8_t>(fourth & kMachineMask), data1, data2};
}

std::string hexText(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t byte : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X", byte);
        if (!text.empty()) {
            text += ' ';
        }
        text += digits;
    }
    return text;
}

} // namespace rl4::sim

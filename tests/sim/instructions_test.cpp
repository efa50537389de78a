#include "support/core_driver.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <utility>

namespace rl4::sim::test {
namespace {

// Each row: what the program sends and what the matrix answers (nothing: no answer at all). The rows run in
// order on one matrix, so a row may read what an earlier one set.
void play(CoreDriver& matrix, std::initializer_list<std::pair<Bytes, Bytes>> rows) {
    int row = 0;
    for (const auto& [request, answer] : rows) {
        EXPECT_EQ(matrix.ask(request), answer) << "row " << row << ": " << hexText(request);
        ++row;
    }
}

TEST(Instructions, FiveByte) {
    CoreDriver matrix;
    // clang-format off
    play(matrix, {
        // Switch and read back on each layer; input 0 disconnects.
        {five('V', 3, 1), five('V', 3, 1)}, {five('v', 3, 0), five('v', 3, 1)},
        {five('A', 16, 16), five('A', 16, 16)}, {five('R', 8, 2), five('R', 8, 2)},
        {five('Y', 4, 7), five('Y', 4, 7)}, {five('y', 4, 0), five('y', 4, 7)},
        {five('u', 4, 0), five('u', 4, 7)}, {five('V', 3, 0), five('V', 3, 0)},
        // Out of range, an unknown letter: refused, and nothing changes.
        {five('V', 17, 1), kNakOnly}, {five('V', 1, 17), kNakOnly}, {five('Y', 9, 1), kNakOnly},
        {five('Q', 0, 0), kNakOnly}, {five('v', 1, 0), five('v', 1, 0)},
        // Output 0 is every output; it reads while they agree. The program learns a layer's size
        // from the first output refused.
        {five('V', 0, 5), five('V', 0, 5)}, {five('v', 0, 0), five('v', 0, 5)},
        {five('v', 16, 0), five('v', 16, 5)}, {five('V', 2, 6), five('V', 2, 6)}, {five('v', 0, 0), kNakOnly},
        {five('r', 9, 0), kNakOnly},
        // VCA (from 31), input gain (from 26) and input mode (balanced first).
        {five('n', 1, 0), five('n', 1, 31)}, {five('N', 2, 20), five('N', 2, 20)},
        {five('N', 0, 5), kNakOnly}, {five('N', 1, 32), kNakOnly}, {five('n', 17, 0), kNakOnly},
        {five('l', 1, 0), five('l', 1, 26)}, {five('L', 3, 10), five('L', 3, 10)},
        {five('L', 3, 32), kNakOnly}, {five('g', 5, 0), five('g', 5, 0)}, {five('G', 5, 1), five('G', 5, 1)},
        {five('g', 5, 0), five('g', 5, 1)}, {five('G', 5, 2), kNakOnly}, {five('g', 0, 0), kNakOnly},
        // VCA setup, identity, on-line and off-line, store.
        {five('p', 1, 0), five('p', 1, 32)}, {five('P', 0, 200), five('P', 0, 200)},
        {five('p', 1, 0), five('p', 1, 200)}, {five('x', 120, 120), five('x', 0x92, 0x34)},
        {five('D', 1, 0), five('D', 1, 0)}, {five('E', 0, 0), five('E', 0, 0)},
        {five('S', 83, 83), five('S', 83, 83)},
        // EEPROM: '[' sets a page address (0, 0 only tests for the memory), 'T' writes at an offset within
        // that page, as a 4-byte write does.
        {five('[', 0, 0), five('[', 0, 0)}, {five('[', 0x12, 0x20), five('[', 0x12, 0x20)},
        {five('T', 0x25, 0xAB), five('T', 0x25, 0xAB)}, {{0x20, 0x80, 0xC5, 0xD1}, {0x60, 0x80, 0xC5, 0xD1}},
        {five('\\', 0, 0), five('\\', 0, 0)}, {five('[', 0x80, 0), kNakOnly}
    });
    // clang-format on
    const MatrixState& state = matrix.core.state();
    EXPECT_FALSE(state.onLine);
    ASSERT_TRUE(state.storedStatus.has_value());
    EXPECT_EQ((*state.storedStatus)[layerIndex(Layer::Video)].inputOn(2), 6);
    const Bytes& memory = state.eeprom.bytes();
    EXPECT_EQ(memory[0x1225], 0xAB);
    EXPECT_EQ(memory[0x1220], 0xC5) << "a 4-byte write goes to the address set by '['";
    EXPECT_EQ(memory[0x1245], 0xFF) << "untouched bytes stay erased";
}

// The 4-byte form carries the second value in byte 2 and the first in byte 3, their top bits in byte 4 with
// the machine: video and audio on machine 1, RGB on 5, Y/C on 2 and 3. Error reports carry a code: 0 unknown
// instruction, 1 no card, 2 bad address, 4 bad data.
TEST(Instructions, FourByte) {
    CoreDriver matrix;
    // clang-format off
    play(matrix, {
        {{0x01, 0x81, 0x83, 0x81}, {0x41, 0x81, 0x83, 0x81}},
        {{0x02, 0x82, 0x83, 0x81}, {0x42, 0x82, 0x83, 0x81}},
        {{0x01, 0x84, 0x85, 0x85}, {0x41, 0x84, 0x85, 0x85}},
        {{0x01, 0x86, 0x87, 0x82}, {0x41, 0x86, 0x87, 0x82}},
        // Status: the input in byte 3.
        {{0x05, 0x80, 0x83, 0x81}, {0x45, 0x80, 0x81, 0x81}},
        {{0x06, 0x80, 0x83, 0x81}, {0x46, 0x80, 0x82, 0x81}},
        {{0x05, 0x80, 0x85, 0x85}, {0x45, 0x80, 0x84, 0x85}},
        {{0x05, 0x80, 0x87, 0x82}, {0x45, 0x80, 0x86, 0x82}},
        {{0x05, 0x80, 0x87, 0x83}, {0x45, 0x80, 0x86, 0x83}}, {four(1, 1, 0, 5), four(0x41, 1, 0, 5)},
        {four(5, 1, 0, 0), four(0x45, 1, 5, 0)}, {four(1, 1, 2, 6), four(0x41, 1, 2, 6)},
        {four(5, 1, 0, 0), refusal(2, 1)}, {four(1, 1, 1, 17), refusal(2, 1)},
        {four(6, 1, 17, 0), refusal(2, 1)}, {four(1, 4, 1, 1), refusal(1, 4)},
        {four(0x7F, 1, 0, 0), refusal(0, 1)}, {four(21, 2, 1, 1), refusal(0, 2)},
        // VCA 2 (31, set to 20); gain 3 (26 balanced, 10, unbalanced, balanced again).
        {{0x19, 0x82, 0x80, 0x81}, {0x55, 0x82, 0x9F, 0x81}},
        {{0x15, 0x82, 0x94, 0x81}, {0x55, 0x82, 0x94, 0x81}}, {four(25, 1, 0, 2), {0x55, 0x82, 0x94, 0x81}},
        {four(21, 1, 32, 2), refusal(4, 1)}, {four(21, 1, 5, 17), refusal(2, 1)},
        {four(25, 1, 0, 0), refusal(2, 1)}, {four(25, 1, 1, 3), {0x56, 0x83, 0x80 | 0x20 | 26, 0x81}},
        {{0x16, 0x83, 0x8A, 0x81}, {0x56, 0x83, 0xAA, 0x81}},
        {{0x16, 0x83, 0xE0, 0x81}, {0x56, 0x83, 0xEA, 0x81}}, {four(22, 1, 32, 3), {0x56, 0x83, 0xAA, 0x81}},
        {four(22, 1, 40, 3), refusal(4, 1)}, {four(22, 1, 5, 17), refusal(2, 1)},
        {four(25, 1, 2, 3), refusal(4, 1)},
        {five('g', 3, 0), five('g', 3, 0)}, // both forms share the state
        // The identity as two decimal numbers made of its bytes' hexadecimal digits; VCA setup.
        {{0x3D, 0x80, 0x80, 0x81}, {0x7D, 0x80 | 34, 0x80 | 12, 0x81}},
        {four(61, 1, 1, 0), {0x7D, 0x80, 0xA0, 0x81}}, {{0x39, 0x88, 0x83, 0x81}, {0x79, 0x88, 0x83, 0x83}},
        {four(61, 1, 1, 0), {0x7D, 0x80, 0x88, 0x81}}, {five('p', 1, 0), five('p', 1, 8)},
        {four(57, 1, 2, 8), refusal(4, 1)}, {four(61, 1, 2, 0), refusal(4, 1)},
        // On line, off line, screen refresh, test mode.
        {{0x21, 0x80, 0x81, 0x81}, {0x61, 0x80, 0x81, 0x81}},
        {{0x21, 0x80, 0x80, 0x81}, {0x61, 0x80, 0x80, 0x81}}, {four(33, 1, 2, 0), refusal(4, 1)},
        {{0x39, 0x80, 0x80, 0x82}, {0x79, 0x80, 0x80, 0x82}},
        {{0x23, 0x82, 0x82, 0x82}, {0x63, 0x82, 0x82, 0x82}},
        // Setups: store 2, change, recall 2, delete 2; then the status store.
        {four(1, 1, 0, 0), four(0x41, 1, 0, 0)}, {four(1, 1, 4, 9), four(0x41, 1, 4, 9)},
        {four(2, 1, 1, 3), four(0x42, 1, 1, 3)}, {{0x03, 0x82, 0x80, 0x81}, {0x43, 0x82, 0x80, 0x81}},
        {four(1, 1, 0, 0), four(0x41, 1, 0, 0)}, {four(2, 1, 0, 0), four(0x42, 1, 0, 0)},
        {{0x04, 0x82, 0x80, 0x81}, {0x44, 0x82, 0x80, 0x81}}, {four(5, 1, 4, 0), four(0x45, 1, 9, 0)},
        {four(6, 1, 1, 0), four(0x46, 1, 3, 0)}, {four(5, 1, 5, 0), four(0x45, 1, 0, 0)},
        {{0x03, 0x82, 0x81, 0x81}, {0x43, 0x82, 0x81, 0x81}}, {four(4, 1, 0, 2), refusal(4, 1)},
        {four(3, 1, 0, 8), refusal(4, 1)}, {four(4, 1, 0, 0), refusal(4, 1)},
        {{0x03, 0x80, 0x80, 0x81}, {0x43, 0x80, 0x80, 0x81}},
        // EEPROM: address 0x0120 (low byte first), writes (0 with mark 10), close, the end.
        {{0x20, 0x81, 0xA0, 0x90}, {0x60, 0x81, 0xA0, 0x90}},
        {{0x20, 0x80, 0xC5, 0xD1}, {0x60, 0x80, 0xC5, 0xD1}}, {four(32, 17, 0, 10), four(0x60, 17, 0, 10)},
        {four(32, 17, 0x8F, 0), four(0x60, 17, 0x8F, 0)}, {four(32, 17, 1, 5), refusal(4, 17)},
        {{0x20, 0x80, 0x80, 0x92}, {0x60, 0x80, 0x80, 0x92}}, {four(32, 16, 0, 0x80), refusal(2, 16)},
        {four(32, 16, 0xFF, 0x7F), four(0x60, 16, 0xFF, 0x7F)}, {four(32, 17, 7, 0), four(0x60, 17, 7, 0)},
        {four(32, 17, 7, 0), refusal(2, 17)}, {four(32, 19, 0, 0), refusal(0, 19)}
    });
    // clang-format on
    const MatrixState& state = matrix.core.state();
    EXPECT_FALSE(state.onLine);
    EXPECT_TRUE(state.storedStatus.has_value());
    const Bytes& memory = state.eeprom.bytes();
    EXPECT_EQ(Bytes(memory.begin() + 0x120, memory.begin() + 0x124), (Bytes{0xC5, 0x00, 0x8F, 0xFF}));
    EXPECT_EQ(memory.back(), 7);
}

TEST(Instructions, AnotherMatrixSizeAndIdentity) {
    MatrixConfig config;
    config.sizes[layerIndex(Layer::Video)] = {256, 256};
    config.sizes[layerIndex(Layer::Rgb)] = {0, 0};
    config.identity = {0xAB, 0x05};
    CoreDriver matrix(config);
    // clang-format off
    play(matrix, {
        // 200 to 130; then only the input is high; VCA setup 200; 0x2B is not decimal; no RGB card.
        {{0x01, 0xC8, 0x82, 0xE1}, {0x41, 0xC8, 0x82, 0xE1}},
        {{0x05, 0x80, 0x82, 0xC1}, {0x45, 0x80, 0xC8, 0xC1}},
        {four(1, 1, 3, 200), {0x41, 0xC8, 0x83, 0xA1}}, {four(57, 1, 3, 200), {0x79, 0xC8, 0x83, 0xA3}},
        {four(61, 1, 0, 0), {0x7D, 0x85, 0xAB, 0x81}}, {five('x', 120, 120), {0x02, 0x78, 0xAB, 0x05, 0x03}},
        {four(1, 5, 1, 1), refusal(1, 5)}, {four(5, 5, 1, 0), refusal(1, 5)}, {five('R', 1, 1), kNakOnly},
        {five('r', 0, 0), kNakOnly}
    });
    // clang-format on
}

} // namespace
} // namespace rl4::sim::test

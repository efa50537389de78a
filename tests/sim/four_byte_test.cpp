#include "core_driver.h"

#include <gtest/gtest.h>

namespace rl4::sim::test {
namespace {

// An error report: 0x50, 0, the code, the request's machine.
Bytes refusal(int code, int machine) {
    return {0x50, 0x80, static_cast<std::uint8_t>(0x80 | code), static_cast<std::uint8_t>(0x80 | machine)};
}

TEST(FourByte, SwitchAndStatusEveryLayer) {
    CoreDriver matrix;
    EXPECT_EQ(matrix.ask(Bytes{0x01, 0x81, 0x83, 0x81}), (Bytes{0x41, 0x81, 0x83, 0x81})) << "video";
    EXPECT_EQ(matrix.ask(Bytes{0x02, 0x82, 0x83, 0x81}), (Bytes{0x42, 0x82, 0x83, 0x81})) << "audio";
    EXPECT_EQ(matrix.ask(Bytes{0x01, 0x84, 0x85, 0x85}), (Bytes{0x41, 0x84, 0x85, 0x85})) << "RGB";
    EXPECT_EQ(matrix.ask(Bytes{0x01, 0x86, 0x87, 0x82}), (Bytes{0x41, 0x86, 0x87, 0x82})) << "Y/C";
    // Status answers carry the input in the third byte.
    EXPECT_EQ(matrix.ask(Bytes{0x05, 0x80, 0x83, 0x81}), (Bytes{0x45, 0x80, 0x81, 0x81}));
    EXPECT_EQ(matrix.ask(Bytes{0x06, 0x80, 0x83, 0x81}), (Bytes{0x46, 0x80, 0x82, 0x81}));
    EXPECT_EQ(matrix.ask(Bytes{0x05, 0x80, 0x85, 0x85}), (Bytes{0x45, 0x80, 0x84, 0x85}));
    EXPECT_EQ(matrix.ask(Bytes{0x05, 0x80, 0x87, 0x82}), (Bytes{0x45, 0x80, 0x86, 0x82}));
    EXPECT_EQ(matrix.ask(Bytes{0x05, 0x80, 0x87, 0x83}), (Bytes{0x45, 0x80, 0x86, 0x83})) << "Y/C, machine 3";
}

TEST(FourByte, OutputZeroAndRefusals) {
    MatrixConfig config;
    config.sizes[layerIndex(Layer::Rgb)] = {0, 0};
    CoreDriver matrix(config);
    EXPECT_EQ(matrix.ask(four(1, 1, 0, 5)), four(0x41, 1, 0, 5));
    EXPECT_EQ(matrix.ask(four(5, 1, 0, 0)), four(0x45, 1, 5, 0)) << "common input";
    matrix.ask(four(1, 1, 2, 6));
    EXPECT_EQ(matrix.ask(four(5, 1, 0, 0)), refusal(2, 1)) << "outputs differ";
    EXPECT_EQ(matrix.ask(four(5, 1, 17, 0)), refusal(2, 1));
    EXPECT_EQ(matrix.ask(four(1, 1, 1, 17)), refusal(2, 1));
    EXPECT_EQ(matrix.ask(four(6, 1, 17, 0)), refusal(2, 1));
    EXPECT_EQ(matrix.ask(four(1, 5, 1, 1)), refusal(1, 5)) << "no RGB card";
    EXPECT_EQ(matrix.ask(four(5, 5, 1, 0)), refusal(1, 5));
    EXPECT_EQ(matrix.ask(four(1, 4, 1, 1)), refusal(1, 4)) << "no layer on machine 4";
    EXPECT_EQ(matrix.ask(four(0x7F, 1, 0, 0)), refusal(0, 1)) << "unknown code";
    EXPECT_EQ(matrix.ask(four(21, 2, 1, 1)), refusal(0, 2)) << "known code, unknown machine";
}

// Byte 2 carries the second value, byte 3 the first; their top bits travel in byte 4.
TEST(FourByte, ValuesAbove127UseTheFlagsBothWays) {
    MatrixConfig config;
    config.sizes[layerIndex(Layer::Video)] = {256, 256};
    CoreDriver matrix(config);
    EXPECT_EQ(matrix.ask(Bytes{0x01, 0xC8, 0x82, 0xE1}), (Bytes{0x41, 0xC8, 0x82, 0xE1})) << "200 to 130";
    EXPECT_EQ(matrix.core.state().layer(Layer::Video).inputOn(130), 200);
    EXPECT_EQ(matrix.ask(Bytes{0x05, 0x80, 0x82, 0xC1}), (Bytes{0x45, 0x80, 0xC8, 0xC1}));
    EXPECT_EQ(matrix.ask(four(1, 1, 3, 200)), (Bytes{0x41, 0xC8, 0x83, 0xA1})) << "only the input is high";
    EXPECT_EQ(matrix.ask(four(57, 1, 3, 200)), (Bytes{0x79, 0xC8, 0x83, 0xA3})) << "VCA setup 200";
    EXPECT_EQ(matrix.core.state().vcaSetup, 200);
}

TEST(FourByte, VcaAndGain) {
    CoreDriver matrix;
    EXPECT_EQ(matrix.ask(Bytes{0x19, 0x82, 0x80, 0x81}), (Bytes{0x55, 0x82, 0x9F, 0x81})) << "read VCA 2: 31";
    EXPECT_EQ(matrix.ask(Bytes{0x15, 0x82, 0x94, 0x81}), (Bytes{0x55, 0x82, 0x94, 0x81}))
        << "set VCA 2 to 20";
    EXPECT_EQ(matrix.ask(four(25, 1, 0, 2)), (Bytes{0x55, 0x82, 0x94, 0x81}));
    EXPECT_EQ(matrix.ask(four(21, 1, 32, 2)), refusal(4, 1));
    EXPECT_EQ(matrix.ask(four(21, 1, 5, 17)), refusal(2, 1));
    EXPECT_EQ(matrix.ask(four(25, 1, 0, 0)), refusal(2, 1));

    EXPECT_EQ(matrix.ask(four(25, 1, 1, 3)), (Bytes{0x56, 0x83, 0x80 | 0x20 | 26, 0x81})) << "26, balanced";
    EXPECT_EQ(matrix.ask(Bytes{0x16, 0x83, 0x8A, 0x81}), (Bytes{0x56, 0x83, 0xAA, 0x81})) << "gain 10";
    EXPECT_EQ(matrix.ask(Bytes{0x16, 0x83, 0xE0, 0x81}), (Bytes{0x56, 0x83, 0xEA, 0x81})) << "unbalanced";
    EXPECT_EQ(matrix.ask(four(25, 1, 1, 3)), (Bytes{0x56, 0x83, 0xEA, 0x81}));
    EXPECT_EQ(matrix.ask(four(22, 1, 32, 3)), (Bytes{0x56, 0x83, 0xAA, 0x81})) << "balanced again";
    EXPECT_EQ(matrix.ask(four(22, 1, 40, 3)), refusal(4, 1));
    EXPECT_EQ(matrix.ask(four(22, 1, 5, 17)), refusal(2, 1));
    EXPECT_EQ(matrix.ask(four(25, 1, 2, 3)), refusal(4, 1));
    EXPECT_EQ(matrix.ask(five('g', 3, 0)), five('g', 3, 0)) << "both forms share the state";
}

// The 4-byte identity is sent as two decimal numbers made of the identity bytes' hexadecimal digits.
TEST(FourByte, IdentityInBothFormsAndVcaSetup) {
    CoreDriver standard;
    EXPECT_EQ(standard.ask(Bytes{0x3D, 0x80, 0x80, 0x81}), (Bytes{0x7D, 0x80 | 34, 0x80 | 12, 0x81}));
    EXPECT_EQ(standard.ask(five('x', 120, 120)), (Bytes{0x02, 0x78, 0x92, 0x34, 0x03}));

    MatrixConfig config;
    config.identity = {0xAB, 0x05};
    CoreDriver odd(config);
    EXPECT_EQ(odd.ask(four(61, 1, 0, 0)), (Bytes{0x7D, 0x85, 0xAB, 0x81})) << "0x2B is not decimal";

    EXPECT_EQ(standard.ask(four(61, 1, 1, 0)), (Bytes{0x7D, 0x80, 0xA0, 0x81})) << "VCA setup 32";
    EXPECT_EQ(standard.ask(Bytes{0x39, 0x88, 0x83, 0x81}), (Bytes{0x79, 0x88, 0x83, 0x83}));
    EXPECT_EQ(standard.ask(four(61, 1, 1, 0)), (Bytes{0x7D, 0x80, 0x88, 0x81}));
    EXPECT_EQ(standard.ask(five('p', 1, 0)), five('p', 1, 8));
    EXPECT_EQ(standard.ask(four(57, 1, 2, 8)), refusal(4, 1));
    EXPECT_EQ(standard.ask(four(61, 1, 2, 0)), refusal(4, 1));
}

TEST(FourByte, LineScreenAndTestMode) {
    CoreDriver matrix;
    EXPECT_EQ(matrix.ask(Bytes{0x21, 0x80, 0x81, 0x81}), (Bytes{0x61, 0x80, 0x81, 0x81}));
    EXPECT_TRUE(matrix.core.state().onLine);
    EXPECT_EQ(matrix.ask(Bytes{0x21, 0x80, 0x80, 0x81}), (Bytes{0x61, 0x80, 0x80, 0x81}));
    EXPECT_FALSE(matrix.core.state().onLine);
    EXPECT_EQ(matrix.ask(four(33, 1, 2, 0)), refusal(4, 1));
    EXPECT_EQ(matrix.ask(Bytes{0x39, 0x80, 0x80, 0x82}), (Bytes{0x79, 0x80, 0x80, 0x82})) << "OSD refresh";
    EXPECT_EQ(matrix.ask(Bytes{0x23, 0x82, 0x82, 0x82}), (Bytes{0x63, 0x82, 0x82, 0x82})) << "test mode";
}

TEST(FourByte, SetupsStoreRecallDelete) {
    CoreDriver matrix;
    matrix.ask(four(1, 1, 4, 9));
    matrix.ask(four(2, 1, 1, 3));
    EXPECT_EQ(matrix.ask(Bytes{0x03, 0x82, 0x80, 0x81}), (Bytes{0x43, 0x82, 0x80, 0x81})) << "store 2";
    matrix.ask(four(1, 1, 0, 0));
    matrix.ask(four(2, 1, 0, 0));
    EXPECT_EQ(matrix.ask(Bytes{0x04, 0x82, 0x80, 0x81}), (Bytes{0x44, 0x82, 0x80, 0x81})) << "recall 2";
    EXPECT_EQ(matrix.ask(four(5, 1, 4, 0)), four(0x45, 1, 9, 0));
    EXPECT_EQ(matrix.ask(four(6, 1, 1, 0)), four(0x46, 1, 3, 0));
    EXPECT_EQ(matrix.ask(four(5, 1, 5, 0)), four(0x45, 1, 0, 0));

    EXPECT_EQ(matrix.ask(Bytes{0x03, 0x82, 0x81, 0x81}), (Bytes{0x43, 0x82, 0x81, 0x81})) << "delete 2";
    EXPECT_EQ(matrix.ask(four(4, 1, 0, 2)), refusal(4, 1)) << "deleted";
    EXPECT_EQ(matrix.ask(four(4, 1, 0, 5)), refusal(4, 1)) << "never stored";
    EXPECT_EQ(matrix.ask(four(3, 1, 0, 8)), refusal(4, 1));
    EXPECT_EQ(matrix.ask(four(4, 1, 0, 0)), refusal(4, 1));

    EXPECT_FALSE(matrix.core.state().storedStatus.has_value());
    EXPECT_EQ(matrix.ask(Bytes{0x03, 0x80, 0x80, 0x81}), (Bytes{0x43, 0x80, 0x80, 0x81})) << "store status";
    EXPECT_TRUE(matrix.core.state().storedStatus.has_value());
}

TEST(FourByte, EepromAddressWritesAndClose) {
    CoreDriver matrix;
    // Address 0x0120: low byte first, high byte second.
    EXPECT_EQ(matrix.ask(Bytes{0x20, 0x81, 0xA0, 0x90}), (Bytes{0x60, 0x81, 0xA0, 0x90}));
    EXPECT_EQ(matrix.core.state().eeprom.address(), 0x0120);
    EXPECT_EQ(matrix.ask(Bytes{0x20, 0x80, 0xC5, 0xD1}), (Bytes{0x60, 0x80, 0xC5, 0xD1})) << "write 0xC5";
    EXPECT_EQ(matrix.ask(four(32, 17, 0, 10)), four(0x60, 17, 0, 10)) << "write 0 with mark 10";
    EXPECT_EQ(matrix.ask(four(32, 17, 0x8F, 0)), four(0x60, 17, 0x8F, 0));
    const Bytes& memory = matrix.core.state().eeprom.bytes();
    EXPECT_EQ(memory[0x120], 0xC5);
    EXPECT_EQ(memory[0x121], 0x00);
    EXPECT_EQ(memory[0x122], 0x8F);
    EXPECT_EQ(memory[0x123], 0xFF);
    EXPECT_EQ(matrix.core.state().eeprom.address(), 0x123);
    EXPECT_EQ(matrix.ask(four(32, 17, 1, 5)), refusal(4, 17));
    EXPECT_EQ(matrix.ask(Bytes{0x20, 0x80, 0x80, 0x92}), (Bytes{0x60, 0x80, 0x80, 0x92})) << "close";
    EXPECT_EQ(matrix.ask(four(32, 16, 0, 0x80)), refusal(2, 16)) << "beyond 32 KiB";
    matrix.ask(four(32, 16, 0xFF, 0x7F));
    EXPECT_EQ(matrix.ask(four(32, 17, 7, 0)), four(0x60, 17, 7, 0)) << "the last byte";
    EXPECT_EQ(matrix.ask(four(32, 17, 7, 0)), refusal(2, 17)) << "ran past the end";
    EXPECT_EQ(matrix.ask(four(32, 19, 0, 0)), refusal(0, 19));
}

TEST(FourByte, SilentRefusals) {
    MatrixConfig config;
    config.silentRefusals = true;
    CoreDriver matrix(config);
    EXPECT_TRUE(matrix.sent(four(0x7F, 1, 0, 0)).empty());
    EXPECT_TRUE(matrix.sent(four(5, 1, 99, 0)).empty());
    EXPECT_EQ(matrix.ask(four(5, 1, 1, 0)), four(0x45, 1, 0, 0));
}

} // namespace
} // namespace rl4::sim::test

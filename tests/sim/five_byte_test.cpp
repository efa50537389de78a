#include "core_driver.h"

#include <gtest/gtest.h>

namespace rl4::sim::test {
namespace {

const Bytes kNakOnly{0x15};

TEST(FiveByte, SwitchAndReadEveryLayer) {
    CoreDriver matrix;
    EXPECT_EQ(matrix.ask(five('V', 3, 1)), (Bytes{0x02, 0x56, 0x03, 0x01, 0x03}));
    EXPECT_EQ(matrix.ask(five('v', 3, 0)), (Bytes{0x02, 0x76, 0x03, 0x01, 0x03}));
    EXPECT_EQ(matrix.ask(five('A', 16, 16)), five('A', 16, 16));
    EXPECT_EQ(matrix.ask(five('a', 16, 0)), five('a', 16, 16));
    EXPECT_EQ(matrix.ask(five('R', 8, 2)), five('R', 8, 2));
    EXPECT_EQ(matrix.ask(five('r', 8, 0)), five('r', 8, 2));
    EXPECT_EQ(matrix.ask(five('Y', 4, 7)), five('Y', 4, 7));
    EXPECT_EQ(matrix.ask(five('y', 4, 0)), five('y', 4, 7));
    EXPECT_EQ(matrix.ask(five('u', 4, 0)), five('u', 4, 7));
    EXPECT_EQ(matrix.ask(five('V', 3, 0)), five('V', 3, 0)) << "input 0 disconnects";
    EXPECT_EQ(matrix.ask(five('v', 3, 0)), five('v', 3, 0));
    EXPECT_EQ(matrix.core.state().layer(Layer::Yc).inputOn(4), 7);
}

TEST(FiveByte, SwitchRefusalsOutOfRangeAndAbsentLayer) {
    MatrixConfig config;
    config.sizes[layerIndex(Layer::Rgb)] = {0, 0};
    CoreDriver matrix(config);
    EXPECT_EQ(matrix.ask(five('V', 17, 1)), kNakOnly);
    EXPECT_EQ(matrix.ask(five('V', 1, 17)), kNakOnly);
    EXPECT_EQ(matrix.ask(five('Y', 9, 1)), kNakOnly);
    EXPECT_EQ(matrix.ask(five('R', 1, 1)), kNakOnly);
    EXPECT_EQ(matrix.ask(five('r', 0, 0)), kNakOnly);
    EXPECT_EQ(matrix.ask(five('Q', 0, 0)), kNakOnly) << "unknown letter";
    EXPECT_EQ(matrix.core.state().layer(Layer::Video).inputOn(1), 0) << "a refused switch changes nothing";
}

// The program learns a layer's size by reading outputs 0, 1, 2 ... until the first refusal.
TEST(FiveByte, OutputZeroAndSizeDiscovery) {
    CoreDriver matrix;
    EXPECT_EQ(matrix.ask(five('V', 0, 5)), five('V', 0, 5));
    EXPECT_EQ(matrix.ask(five('v', 0, 0)), five('v', 0, 5)) << "common input";
    EXPECT_EQ(matrix.ask(five('v', 16, 0)), five('v', 16, 5));
    EXPECT_EQ(matrix.ask(five('V', 2, 6)), five('V', 2, 6));
    EXPECT_EQ(matrix.ask(five('v', 0, 0)), kNakOnly) << "outputs differ";
    int output = 1;
    while (matrix.ask(five('r', output, 0)) != kNakOnly) {
        ++output;
    }
    EXPECT_EQ(output, 9);
}

TEST(FiveByte, VcaGainAndMode) {
    CoreDriver matrix;
    EXPECT_EQ(matrix.ask(five('n', 1, 0)), five('n', 1, 31)) << "VCA starts at 31";
    EXPECT_EQ(matrix.ask(five('N', 2, 20)), five('N', 2, 20));
    EXPECT_EQ(matrix.ask(five('n', 2, 0)), five('n', 2, 20));
    EXPECT_EQ(matrix.ask(five('N', 0, 5)), kNakOnly);
    EXPECT_EQ(matrix.ask(five('N', 17, 5)), kNakOnly);
    EXPECT_EQ(matrix.ask(five('N', 1, 32)), kNakOnly);
    EXPECT_EQ(matrix.ask(five('n', 17, 0)), kNakOnly);

    EXPECT_EQ(matrix.ask(five('l', 1, 0)), five('l', 1, 26)) << "gain starts at 26";
    EXPECT_EQ(matrix.ask(five('L', 3, 10)), five('L', 3, 10));
    EXPECT_EQ(matrix.ask(five('l', 3, 0)), five('l', 3, 10));
    EXPECT_EQ(matrix.ask(five('L', 3, 32)), kNakOnly);
    EXPECT_EQ(matrix.ask(five('L', 17, 1)), kNakOnly);

    EXPECT_EQ(matrix.ask(five('g', 5, 0)), five('g', 5, 0)) << "inputs start balanced";
    EXPECT_EQ(matrix.ask(five('G', 5, 1)), five('G', 5, 1));
    EXPECT_EQ(matrix.ask(five('g', 5, 0)), five('g', 5, 1));
    EXPECT_EQ(matrix.ask(five('G', 5, 2)), kNakOnly);
    EXPECT_EQ(matrix.ask(five('g', 0, 0)), kNakOnly);
}

TEST(FiveByte, SetupIdentityLineAndStore) {
    MatrixConfig config;
    config.identity = {0x12, 0xAB};
    CoreDriver matrix(config);
    EXPECT_EQ(matrix.ask(five('p', 1, 0)), five('p', 1, 32));
    EXPECT_EQ(matrix.ask(five('P', 0, 200)), five('P', 0, 200));
    EXPECT_EQ(matrix.ask(five('p', 1, 0)), five('p', 1, 200));
    EXPECT_EQ(matrix.ask(five('x', 120, 120)), (Bytes{0x02, 0x78, 0x12, 0xAB, 0x03}));

    EXPECT_FALSE(matrix.core.state().onLine);
    EXPECT_EQ(matrix.ask(five('D', 1, 0)), (Bytes{0x02, 0x44, 0x01, 0x00, 0x03}));
    EXPECT_TRUE(matrix.core.state().onLine);
    EXPECT_EQ(matrix.ask(five('E', 0, 0)), (Bytes{0x02, 0x45, 0x00, 0x00, 0x03}));
    EXPECT_FALSE(matrix.core.state().onLine);

    matrix.ask(five('V', 4, 9));
    EXPECT_EQ(matrix.ask(five('S', 83, 83)), five('S', 83, 83));
    ASSERT_TRUE(matrix.core.state().storedStatus.has_value());
    EXPECT_EQ((*matrix.core.state().storedStatus)[layerIndex(Layer::Video)].inputOn(4), 9);
}

// '[' sets a page address, 'T' writes at an offset within that page.
TEST(FiveByte, EepromAddressAndWrites) {
    CoreDriver matrix;
    EXPECT_EQ(matrix.ask(five('[', 0, 0)), five('[', 0, 0)) << "presence test";
    EXPECT_EQ(matrix.ask(five('[', 0x12, 0x20)), five('[', 0x12, 0x20));
    EXPECT_EQ(matrix.core.state().eeprom.address(), 0x1220);
    EXPECT_EQ(matrix.ask(five('T', 0x25, 0xAB)), five('T', 0x25, 0xAB));
    EXPECT_EQ(matrix.ask(five('T', 0xFF, 0x01)), five('T', 0xFF, 0x01));
    const Bytes& memory = matrix.core.state().eeprom.bytes();
    EXPECT_EQ(memory[0x1225], 0xAB);
    EXPECT_EQ(memory[0x12FF], 0x01);
    EXPECT_EQ(memory[0x1245], 0xFF) << "untouched bytes stay erased";
    EXPECT_EQ(matrix.ask(five('\\', 0, 0)), five('\\', 0, 0));
    EXPECT_EQ(matrix.ask(five('[', 0x80, 0)), kNakOnly) << "beyond 32 KiB";
}

TEST(FiveByte, SilentRefusalsAnswerNothing) {
    MatrixConfig config;
    config.silentRefusals = true;
    CoreDriver matrix(config);
    const std::vector<SimEvent> events = matrix.core.feed(five('V', 99, 1), 10);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, SimEvent::Kind::Received);
    EXPECT_TRUE(matrix.sent(five('Q', 0, 0)).empty());
    EXPECT_EQ(matrix.ask(five('V', 1, 1)), five('V', 1, 1));
}

} // namespace
} // namespace rl4::sim::test

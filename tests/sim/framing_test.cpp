#include "sim/frame_splitter.h"
#include "support/core_driver.h"

#include <gtest/gtest.h>
#include <string>

namespace rl4::sim::test {
namespace {

using Lines = std::vector<std::string>;

// With both forms, STX followed by a byte with bit 7 set is a 4-byte audio switch, not a 5-byte frame.
TEST(Framing, BothFormsToldApartBySecondByte) {
    CoreDriver matrix;
    EXPECT_EQ(logOf(matrix.core.feed(Bytes{0x02, 0x81, 0x83, 0x81}, 1)),
              (Lines{"RX 02 81 83 81", "TX 42 81 83 81"}));
    EXPECT_EQ(logOf(matrix.core.feed(Bytes{0x02, 0x56, 0x03, 0x01, 0x03, 0x05, 0x80, 0x83, 0x81}, 2)),
              (Lines{"RX 02 56 03 01 03", "TX 02 56 03 01 03", "RX 05 80 83 81", "TX 45 80 81 81"}));
}

// A matrix answers only the form it speaks; the other form's bytes are dropped.
TEST(Framing, SingleFormMatrixIgnoresTheOtherForm) {
    CoreDriver fiveOnly(MatrixConfig{.protocol = ProtocolChoice::Five});
    EXPECT_TRUE(fiveOnly.sent(Bytes{0x02, 0x81, 0x83, 0x81}).empty());
    EXPECT_TRUE(fiveOnly.sent(Bytes{0x3D, 0x80, 0x80, 0x81}).empty());
    EXPECT_EQ(fiveOnly.ask(five('x', 120, 120)), five('x', 0x92, 0x34));

    CoreDriver fourOnly(MatrixConfig{.protocol = ProtocolChoice::Four});
    EXPECT_TRUE(fourOnly.sent(five('x', 120, 120)).empty());
    EXPECT_TRUE(fourOnly.sent(five('V', 0x83, 0x81)).empty()) << "data with bit 7 set";
    EXPECT_EQ(fourOnly.ask(four(61, 1, 0, 0)), (Bytes{0x7D, 0xA2, 0x8C, 0x81}));
}

TEST(Framing, GarbageIsDroppedUntilAFrameStarts) {
    CoreDriver matrix;
    EXPECT_EQ(logOf(matrix.core.feed(Bytes{0xFF, 0x41, 0x02, 0x56, 0x03, 0x01, 0x03}, 1)),
              (Lines{"RX? FF 41", "RX 02 56 03 01 03", "TX 02 56 03 01 03"}));
    // A 5-byte frame without its ETX: STX goes, and the scan starts again at the next byte.
    EXPECT_EQ(logOf(matrix.core.feed(Bytes{0x02, 0x56, 0x03, 0x01, 0x04, 0x01, 0x81, 0x83, 0x81}, 2)),
              (Lines{"RX? 02 56 03 01 04", "RX 01 81 83 81", "TX 41 81 83 81"}));
    EXPECT_EQ(logOf(matrix.core.feed(Bytes{0x15, 0x90, 0x03}, 3)), (Lines{"RX? 15 90"}))
        << "the last byte may still start a frame";
    EXPECT_EQ(logOf(matrix.core.feed(Bytes{0x02, 0x56, 0x01, 0x01, 0x03}, 4)),
              (Lines{"RX? 03", "RX 02 56 01 01 03", "TX 02 56 01 01 03"}));
}

TEST(Framing, FrameSplitAcrossReadsKeepsItsFirstArrival) {
    MatrixCore core(MatrixConfig{});
    EXPECT_TRUE(core.feed(Bytes{0x02, 0x56}, 1000).empty());
    EXPECT_EQ(core.staleDeadline(), 1000 + FrameSplitter::kStaleMicros + 1);
    const std::vector<SimEvent> events = core.feed(Bytes{0x03, 0x01, 0x03}, 60'000);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].kind, SimEvent::Kind::Sent);
    EXPECT_EQ(events[1].requestStartMicros, 1000);
    EXPECT_EQ(events[1].requestLength, 5u);
    EXPECT_FALSE(core.staleDeadline().has_value());
}

TEST(Framing, StalePartialFrameIsDropped) {
    MatrixCore core(MatrixConfig{});
    core.feed(Bytes{0x02, 0x56, 0x03}, 0);
    EXPECT_TRUE(core.expire(100'000).empty()) << "exactly 100 ms is not yet too long";
    EXPECT_EQ(logOf(core.expire(100'001)), (Lines{"RX? 02 56 03"}));
    EXPECT_FALSE(core.staleDeadline().has_value());

    core.feed(Bytes{0x01, 0x81}, 200'000);
    EXPECT_EQ(logOf(core.feed(Bytes{0x83, 0x81, 0x01, 0x81, 0x83, 0x81}, 400'000)),
              (Lines{"RX? 01 81 83 81", "RX 01 81 83 81", "TX 41 81 83 81"}))
        << "the late rest of a frame is not joined to its stale start";
    core.feed(Bytes{0x02}, 500'000);
    EXPECT_EQ(logOf(core.disconnect()), (Lines{"RX? 02"}));
}

TEST(Framing, UnaskedFramesFollowTheLastForm) {
    MatrixCore core(MatrixConfig{});
    auto panel = [&core](Layer layer, int output, int input) {
        auto result = core.panelSwitch(layer, output, input);
        return std::holds_alternative<SimEvent>(result) ? std::get<SimEvent>(result).bytes : Bytes{};
    };
    EXPECT_EQ(panel(Layer::Video, 2, 3), (Bytes{0x02, 0x56, 0x02, 0x03, 0x03})) << "5-byte before any frame";
    EXPECT_EQ(core.setOnLine(true).bytes, (Bytes{0x02, 0x44, 0x01, 0x00, 0x03}));
    EXPECT_TRUE(core.state().onLine);

    core.feed(Bytes{0x3D, 0x80, 0x80, 0x81}, 1);
    EXPECT_EQ(panel(Layer::Audio, 2, 3), (Bytes{0x42, 0x83, 0x82, 0x81}));
    EXPECT_EQ(panel(Layer::Rgb, 2, 3), (Bytes{0x41, 0x83, 0x82, 0x85}));
    EXPECT_EQ(panel(Layer::Yc, 0, 4), (Bytes{0x41, 0x84, 0x80, 0x82}));
    EXPECT_EQ(core.state().layer(Layer::Yc).inputOn(0), 4);
    EXPECT_EQ(core.setOnLine(false).bytes, (Bytes{0x61, 0x80, 0x80, 0x81}));
    EXPECT_FALSE(core.state().onLine);

    EXPECT_TRUE(std::holds_alternative<std::string>(core.panelSwitch(Layer::Rgb, 9, 1)));
    EXPECT_TRUE(std::holds_alternative<std::string>(core.panelSwitch(Layer::Video, 1, 17)));
    core.feed(Bytes{0x02, 0x78, 0x78, 0x78, 0x03}, 2);
    EXPECT_EQ(panel(Layer::Video, 16, 16), (Bytes{0x02, 0x56, 0x10, 0x10, 0x03}));
}

} // namespace
} // namespace rl4::sim::test

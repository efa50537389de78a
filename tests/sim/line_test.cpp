#include "sim/frame_splitter.h"
#include "sim/line_faults.h"
#include "support/core_driver.h"

#include <bit>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <tuple>

namespace rl4::sim::test {
namespace {

using Lines = std::vector<std::string>;

// The frame log of each read, the reads in order on one matrix. With both forms, STX followed by a byte with
// bit 7 set is a 4-byte audio switch, not a 5-byte frame; bytes before a frame start are dropped.
TEST(Framing, FormsToldApartAndGarbageDropped) {
    CoreDriver matrix;
    const std::pair<Bytes, Lines> reads[] = {
        {{0x02, 0x81, 0x83, 0x81}, {"RX 02 81 83 81", "TX 42 81 83 81"}},
        {{0x02, 0x56, 0x03, 0x01, 0x03, 0x05, 0x80, 0x83, 0x81},
         {"RX 02 56 03 01 03", "TX 02 56 03 01 03", "RX 05 80 83 81", "TX 45 80 81 81"}},
        {{0xFF, 0x41, 0x02, 0x56, 0x03, 0x01, 0x03}, {"RX? FF 41", "RX 02 56 03 01 03", "TX 02 56 03 01 03"}},
        // A 5-byte frame without its ETX: STX goes, and the scan starts again at the next byte.
        {{0x02, 0x56, 0x03, 0x01, 0x04, 0x01, 0x81, 0x83, 0x81},
         {"RX? 02 56 03 01 04", "RX 01 81 83 81", "TX 41 81 83 81"}},
        // The last byte may still start a frame.
        {{0x15, 0x90, 0x03}, {"RX? 15 90"}},
        {{0x02, 0x56, 0x01, 0x01, 0x03}, {"RX? 03", "RX 02 56 01 01 03", "TX 02 56 01 01 03"}},
    };
    std::int64_t time = 0;
    for (const auto& [bytes, log] : reads) {
        ++time;
        EXPECT_EQ(logOf(matrix.core.feed(bytes, time)), log) << "read at " << time;
    }
}

// A matrix answers only the form it speaks; the other form's bytes are dropped.
TEST(Framing, SingleFormMatrixIgnoresTheOtherForm) {
    CoreDriver fiveOnly(MatrixConfig{.protocol = ProtocolChoice::Five});
    EXPECT_TRUE(fiveOnly.sent(Bytes{0x02, 0x81, 0x83, 0x81}).empty());
    EXPECT_TRUE(fiveOnly.sent(Bytes{0x3D, 0x80, 0x80, 0x81}).empty());
    EXPECT_EQ(fiveOnly.ask(five('x', 120, 120)), five('x', 0x92, 0x34));

    CoreDriver fourOnly(MatrixConfig{.protocol = ProtocolChoice::Four});
    EXPECT_TRUE(fourOnly.sent(five('V', 0x83, 0x81)).empty()) << "data with bit 7 set";
    EXPECT_EQ(fourOnly.ask(four(61, 1, 0, 0)), (Bytes{0x7D, 0xA2, 0x8C, 0x81}));
}

TEST(Framing, PartialFrameKeepsItsFirstArrivalOrIsDroppedWhenStale) {
    MatrixCore core(MatrixConfig{});
    EXPECT_TRUE(core.feed(Bytes{0x02, 0x56}, 1000).empty());
    EXPECT_EQ(core.staleDeadline(), 1000 + FrameSplitter::kStaleMicros + 1);
    const std::vector<SimEvent> events = core.feed(Bytes{0x03, 0x01, 0x03}, 60'000);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].kind, SimEvent::Kind::Sent);
    EXPECT_EQ(events[1].requestStartMicros, 1000);
    EXPECT_EQ(events[1].requestLength, 5u);
    EXPECT_FALSE(core.staleDeadline().has_value());

    core.feed(Bytes{0x02, 0x56, 0x03}, 100'000);
    EXPECT_TRUE(core.expire(200'000).empty()) << "exactly 100 ms is not yet too long";
    EXPECT_EQ(logOf(core.expire(200'001)), (Lines{"RX? 02 56 03"}));
    EXPECT_FALSE(core.staleDeadline().has_value());

    core.feed(Bytes{0x01, 0x81}, 300'000);
    EXPECT_EQ(logOf(core.feed(Bytes{0x83, 0x81, 0x01, 0x81, 0x83, 0x81}, 500'000)),
              (Lines{"RX? 01 81 83 81", "RX 01 81 83 81", "TX 41 81 83 81"}))
        << "the late rest of a frame is not joined to its stale start";
    core.feed(Bytes{0x02}, 600'000);
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

const Bytes kFiveAnswer{0x02, 0x56, 0x03, 0x01, 0x03};
const Bytes kFourAnswer{0x41, 0x81, 0x83, 0x81};

TEST(LineFaults, NothingAtZeroAlwaysAtOne) {
    const std::tuple<const char*, FaultOptions, bool, bool, bool> cases[] = {
        {"none", {}, false, false, false},
        {"drop", {.drop = 1}, true, false, false},
        {"garble", {.garble = 1}, false, true, false},
        {"split", {.split = 1}, false, false, true},
        {"refusals leave the line alone", {.nak = 1, .refuseEvery = 1}, false, false, false},
    };
    for (const auto& [name, options, dropped, garbled, split] : cases) {
        LineFaults faults(options, 7);
        for (const Bytes& truth : {kFiveAnswer, kFourAnswer, kNakOnly, kFiveAnswer, kFourAnswer}) {
            const FaultedFrame out = faults.pass(truth);
            const std::string where = std::string(name) + " " + hexText(truth);
            EXPECT_EQ(out.dropped, dropped) << where;
            EXPECT_EQ(out.garbled, garbled) << where;
            EXPECT_EQ(out.splitAt != 0, split && truth.size() > 1) << where << ": a lone byte is not split";
            EXPECT_LT(out.splitAt, truth.size()) << where;
            ASSERT_EQ(out.bytes.size(), truth.size()) << where;
            int flipped = 0;
            for (std::size_t k = 0; k < truth.size(); ++k)
                flipped += std::popcount(static_cast<unsigned>(out.bytes[k] ^ truth[k]));
            EXPECT_EQ(flipped, out.garbled ? 1 : 0) << where << " became " << hexText(out.bytes);
        }
    }
}

// Every byte and bit can be garbled and every place can be split, at the rates asked for.
TEST(LineFaults, RatesAndPlacesSpreadOverTheFrame) {
    LineFaults faults({.drop = 0.25, .garble = 0.5, .split = 0.5}, 11);
    constexpr int kFrames = 4000;
    int dropped = 0, garbled = 0, split = 0;
    std::set<std::pair<std::size_t, std::uint8_t>> flips;
    std::set<std::size_t> cuts;
    for (int k = 0; k < kFrames; ++k) {
        const FaultedFrame out = faults.pass(kFiveAnswer);
        dropped += out.dropped;
        garbled += out.garbled;
        split += out.splitAt != 0;
        for (std::size_t at = 0; at < out.bytes.size(); ++at) {
            if (out.bytes[at] != kFiveAnswer[at])
                flips.insert({at, static_cast<std::uint8_t>(out.bytes[at] ^ kFiveAnswer[at])});
        }
        if (out.splitAt != 0)
            cuts.insert(out.splitAt);
    }
    EXPECT_NEAR(dropped, kFrames / 4, 150);
    EXPECT_NEAR(garbled, kFrames * 3 / 8, 150) << "half of the frames not dropped";
    EXPECT_NEAR(split, kFrames * 3 / 8, 150) << "half of the frames not dropped, garbled or not";
    EXPECT_EQ(flips.size(), 5u * 8u) << "each of the 8 bits of each of the 5 bytes";
    EXPECT_EQ(cuts, (std::set<std::size_t>{1, 2, 3, 4}));
}

// Refused instructions are not carried out: the crosspoint keeps its input 0.
TEST(LineFaults, RefusalsCountInstructionsInBothForms) {
    const std::tuple<const char*, FaultOptions, bool, std::set<int>> cases[] = {
        {"every third", {.refuseEvery = 3}, false, {3, 6, 9}},
        {"every third, silently", {.refuseEvery = 3}, true, {3, 6, 9}},
        {"every one by chance", {.nak = 1}, false, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
    };
    for (const auto& [name, options, silent, refusedAt] : cases) {
        CoreDriver matrix(MatrixConfig{.silentRefusals = silent});
        LineFaults faults(options, 1);
        matrix.core.setRefusals([&faults] { return faults.refuseNext(); });
        for (int k = 1; k <= 9; ++k) {
            const bool fiveByte = k % 2 == 1;
            const Bytes answer = matrix.ask(fiveByte ? five('V', k, k) : four(1, 1, k, k));
            const bool refused = refusedAt.contains(k);
            Bytes expected = fiveByte ? five('V', k, k) : four(0x41, 1, k, k);
            if (refused)
                expected = silent ? Bytes{} : fiveByte ? kNakOnly : four(0x50, 1, 8, 0);
            EXPECT_EQ(answer, expected) << name << ", instruction " << k;
            EXPECT_EQ(matrix.core.state().layer(Layer::Video).inputOn(k), refused ? 0 : k)
                << name << " " << k;
        }
    }
}

} // namespace
} // namespace rl4::sim::test

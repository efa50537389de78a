#include "sim/line_faults.h"
#include "support/core_driver.h"

#include <bit>
#include <gtest/gtest.h>
#include <set>

namespace rl4::sim::test {
namespace {

const Bytes kFiveAnswer{0x02, 0x56, 0x03, 0x01, 0x03};
const Bytes kFourAnswer{0x41, 0x81, 0x83, 0x81};

TEST(LineFaults, NothingAtZeroAlwaysAtOne) {
    const struct {
        const char* name;
        FaultOptions options;
        bool dropped, garbled, split;
    } cases[] = {
        {"none", {}, false, false, false},
        {"drop", {.drop = 1}, true, false, false},
        {"garble", {.garble = 1}, false, true, false},
        {"split", {.split = 1}, false, false, true},
        {"garble and split", {.garble = 1, .split = 1}, false, true, true},
        {"a dropped frame is nothing else", {.drop = 1, .garble = 1, .split = 1}, true, false, false},
        {"refusals leave the line alone", {.nak = 1, .refuseEvery = 1}, false, false, false},
    };
    for (const auto& c : cases) {
        LineFaults faults(c.options, 7);
        for (const Bytes& truth : {kFiveAnswer, kFourAnswer, kNakOnly, kFiveAnswer, kFourAnswer}) {
            const FaultedFrame out = faults.pass(truth);
            const std::string where = std::string(c.name) + " " + hexText(truth);
            EXPECT_EQ(out.dropped, c.dropped) << where;
            EXPECT_EQ(out.garbled, c.garbled) << where;
            EXPECT_EQ(out.splitAt != 0, c.split && truth.size() > 1) << where << ": a lone byte is not split";
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
    EXPECT_NEAR(split, kFrames * 3 / 8, 150);
    EXPECT_EQ(flips.size(), 5u * 8u) << "each of the 8 bits of each of the 5 bytes";
    EXPECT_EQ(cuts, (std::set<std::size_t>{1, 2, 3, 4}));
}

// Refused instructions are not carried out: the crosspoint keeps its input 0.
TEST(LineFaults, RefusalsCountInstructionsInBothForms) {
    const struct {
        const char* name;
        FaultOptions options;
        bool silent;
        std::set<int> refused;
    } cases[] = {
        {"none", {}, false, {}},
        {"every third", {.refuseEvery = 3}, false, {3, 6, 9}},
        {"every third, silently", {.refuseEvery = 3}, true, {3, 6, 9}},
        {"every one by chance", {.nak = 1}, false, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
    };
    for (const auto& c : cases) {
        MatrixConfig config;
        config.silentRefusals = c.silent;
        CoreDriver matrix(config);
        LineFaults faults(c.options, 1);
        matrix.core.setRefusals([&faults] { return faults.refuseNext(); });
        for (int k = 1; k <= 9; ++k) {
            const bool fiveByte = k % 2 == 1;
            const Bytes answer = matrix.ask(fiveByte ? five('V', k, k) : four(1, 1, k, k));
            const bool refused = c.refused.contains(k);
            Bytes expected = fiveByte ? five('V', k, k) : four(0x41, 1, k, k);
            if (refused)
                expected = c.silent ? Bytes{} : fiveByte ? kNakOnly : four(0x50, 1, 8, 0);
            EXPECT_EQ(answer, expected) << c.name << ", instruction " << k;
            EXPECT_EQ(matrix.core.state().layer(Layer::Video).inputOn(k), refused ? 0 : k)
                << c.name << " " << k;
        }
    }
}

} // namespace
} // namespace rl4::sim::test

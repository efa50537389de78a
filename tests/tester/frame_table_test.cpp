#include "tester/function_table.h"

#include <gtest/gtest.h>
#include <tuple>

namespace rl4::tester {
namespace {

using Frame = std::array<std::uint8_t, 5>;

TEST(FrameTable, EveryFunctionBuildsItsFrame) {
    std::vector<std::tuple<int, int, int, int, bool, Frame, const char*>> rows = {
        {1, 3, 3, 7, false, {2, 0x79, 7, 0, 3}, "reading switch"},
        {3, 0, 0, 9, false, {2, 0x6C, 9, 0, 3}, "reading gain"},
        {4, 0, 1, 4, false, {2, 0x47, 4, 1, 3}, "selecting bal/unbal"},
        {4, 0, 1, 4, true, {2, 0x67, 4, 1, 3}, "reading bal/unbal"},
        {5, 0, 0, 4, false, {2, 0x67, 4, 0, 3}, "reading bal/unbal"},
        {6, 0, 31, 64, false, {2, 0x4E, 64, 31, 3}, "adjusting VCA"},
        {6, 0, 31, 64, true, {2, 0x6E, 64, 31, 3}, "reading VCA"},
        {7, 0, 0, 255, false, {2, 0x6E, 255, 0, 3}, "reading VCA"},
        {8, 0, 1, 9, false, {2, 0x50, 0x50, 0x19, 3}, "setting SetUp"},
        // An index from a damaged settings file is function 0.
        {12, 1, 2, 5, false, {2, 0x41, 5, 2, 3}, "switching"},
        {-1, 0, 2, 5, true, {2, 0x76, 5, 0, 3}, "reading switch"},
    };
    // A switch names its layer by a letter; the read of it is the same letter in lower case.
    for (int layer = 0; layer < kLayerCount; ++layer) {
        const auto letter = static_cast<std::uint8_t>("VARY"[layer]);
        rows.push_back({0, layer, 3, 7, false, {2, letter, 7, 3, 3}, "switching"});
        rows.push_back(
            {0, layer, 3, 7, true, {2, static_cast<std::uint8_t>(letter | 0x20), 7, 0, 3}, "reading switch"});
    }
    for (const auto& [function, layer, value, channel, readFirst, frame, status] : rows) {
        const Message m = buildMessage(function, layer, value, channel, readFirst);
        EXPECT_EQ(m.frame(), frame) << "function " << function << " layer " << layer;
        EXPECT_STREQ(caption(m.statusText, Language::English), status) << "function " << function;
    }
}

TEST(FrameTable, ListsAndTheirLimits) {
    const LayerSizes sizes{{300, 2, 0, -4}, {1, 2, 3, 4}};
    const auto gain = valueEntries(ValueList::GainLevels, 0, sizes, Language::English);
    ASSERT_EQ(gain.size(), 32u);
    EXPECT_EQ((std::vector<std::string>{gain[2], gain[3], gain[26], gain[31]}),
              (std::vector<std::string>{"-80 dB", "-69 dB", "0 dB", "+15 dB"}));
    const auto vca = valueEntries(ValueList::VcaLevels, 0, sizes, Language::English);
    ASSERT_EQ(vca.size(), 32u);
    EXPECT_EQ((std::vector<std::string>{vca[1], vca[2], vca[31]}),
              (std::vector<std::string>{"-100 dB", "-87 dB", "0 dB"}));

    // A channel travels in one byte: 300 inputs give the entries up to 255; no or negative sizes none.
    const auto inputs = valueEntries(ValueList::SwitchInputs, 0, sizes, Language::English);
    ASSERT_EQ(inputs.size(), 256u);
    EXPECT_EQ(inputs.front() + " " + inputs.back(), "unused 255");
    EXPECT_EQ(valueEntries(ValueList::SwitchInputs, 3, sizes, Language::English),
              std::vector<std::string>{"unused"});
    EXPECT_EQ(channelEntries(ChannelList::LayerOutputs, 2, sizes),
              (std::vector<std::string>{"-", "1", "2", "3"}));
    EXPECT_EQ(channelEntries(ChannelList::AudioInputs, 0, sizes), (std::vector<std::string>{"-", "1", "2"}));
    EXPECT_EQ(channelEntries(ChannelList::Slope, 0, sizes).back(), "9");
    EXPECT_EQ(byteText(0x0A, true) + " " + byteText(0x0A, false), "0Ah 10");
}

} // namespace
} // namespace rl4::tester

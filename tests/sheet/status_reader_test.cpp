#include "sheet_rig.h"

#include <gtest/gtest.h>

namespace rl4::test {
namespace {

// Destinations 1..20 on outputs 1..20 and sources 1..4 on inputs 1..4, on every layer. The matrix answers
// video outputs 0..16 with input (o mod 4) + 1, audio outputs 0 and 1, RGB output 0, and no YC output.
class StatusReaderTest : public ::testing::Test {
protected:
    StatusReaderTest() {
        for (int d = 1; d <= 20; ++d)
            rig.setDestination(d, "Out", {d, d, d, d}, 0);
        for (int s = 1; s <= 4; ++s)
            rig.setSource(s, "In", {s, s, s, s});
        rig.table.sourceCount = 4;
        rig.table.destinationCount = 20;
        rig.sizes = {8, 8, 8, 8, 8, 8, 8, 8};
        rig.routing.setConnexionsChanged(true);
        rig.routing.held(Layer::Yc, 18) = 3;
        rig.routing.vcaLevel[18] = 5;
    }

    static int inputFor(int output) { return output % 4 + 1; }
    static std::optional<Layer> answeringLayer(int letterOrCode, int machine, int output) {
        const int lastAnswered[] = {16, 1, 0, -1};
        for (Layer layer : kLayers) {
            const LayerCodes codes = layerCodes(layer);
            const bool asked = machine < 0
                                   ? letterOrCode == codes.readLetter
                                   : letterOrCode == codes.statusCode && machine == codes.statusMachine;
            if (asked && output <= lastAnswered[layerIndex(layer)])
                return layer;
        }
        return std::nullopt;
    }
    void connectMatrix(int protocolLength) {
        rig.connect(protocolLength);
        rig.matrix = [](const Frame& f) {
            if (f.size() == 5)
                return answeringLayer(f[1], -1, f[2])
                           ? Frame{0x02, f[1], f[2], static_cast<std::uint8_t>(inputFor(f[2])), 0x03}
                           : Frame{};
            return answeringLayer(f[0], f[3] & 0x1F, f[2] & 0x7F)
                       ? Frame{static_cast<std::uint8_t>(0x40 | f[0]), 0x80,
                               static_cast<std::uint8_t>(0x80 | inputFor(f[2] & 0x7F)), f[3]}
                       : Frame{};
        };
    }

    SheetRig rig;
};

class StatusReaderFormTest : public StatusReaderTest, public ::testing::WithParamInterface<int> {};

TEST_P(StatusReaderFormTest, LayerSizesAreWhereTheMatrixStoppedAnswering) {
    connectMatrix(GetParam());
    rig.reader.ReadMatrixStatus();
    EXPECT_EQ((std::vector<int>{rig.sizes.videoOut, rig.sizes.audioOut, rig.sizes.rgbOut, rig.sizes.ycOut}),
              (std::vector<int>{16, 1, 0, 0}));
    EXPECT_EQ(rig.sizes.videoIn, 8);
    EXPECT_FALSE(rig.routing.connexionsChanged());
    for (int d = 1; d <= 20; ++d) {
        const int expected = d <= 16 ? inputFor(d) : NotAssigned;
        EXPECT_EQ(rig.wanted(Layer::Video, d), expected) << d;
        EXPECT_EQ(rig.held(Layer::Video, d), expected) << d;
    }
    EXPECT_EQ(rig.held(Layer::Audio, 1), inputFor(1));
    EXPECT_EQ(rig.held(Layer::Audio, 2), NotAssigned);
    EXPECT_EQ(rig.held(Layer::Yc, 18), NotAssigned);
    EXPECT_EQ(rig.routing.vcaLevel[18], NotAssigned);

    // Video outputs 0..17, audio 0..2, RGB and YC 0..1; the last output asked stays in cmdData1.
    ASSERT_EQ(rig.written.size(), 18u + 3u + 2u + 2u);
    EXPECT_EQ(rig.link.commandParams().cmdData1, 1);
    const std::vector<Frame> expected = GetParam() == 5 ? std::vector<Frame>{{0x02, 0x76, 0x00, 0x00, 0x03},
                                                                             {0x02, 0x76, 0x11, 0x00, 0x03},
                                                                             {0x02, 0x61, 0x00, 0x00, 0x03},
                                                                             {0x02, 0x72, 0x00, 0x00, 0x03},
                                                                             {0x02, 0x79, 0x01, 0x00, 0x03}}
                                                        : std::vector<Frame>{{0x05, 0x80, 0x80, 0x81},
                                                                             {0x05, 0x80, 0x91, 0x81},
                                                                             {0x06, 0x80, 0x80, 0x81},
                                                                             {0x05, 0x80, 0x80, 0x85},
                                                                             {0x05, 0x80, 0x81, 0x82}};
    EXPECT_EQ((std::vector<Frame>{rig.written[0], rig.written[17], rig.written[18], rig.written[21],
                                  rig.written[24]}),
              expected);
}

INSTANTIATE_TEST_SUITE_P(BothForms, StatusReaderFormTest, ::testing::Values(5, 4));

TEST_F(StatusReaderTest, ProgressIsShownForEveryOutputRead) {
    connectMatrix(5);
    rig.reader.ReadMatrixStatus();
    const std::vector<std::string>& events = rig.listener.events;
    const std::vector<std::string> start{"reading",          "text Matrix reading. Please wait...",
                                         "progress Video 0", "text mode= 118 adr= 0",
                                         "progress Video 0", "text mode= 118 adr= 1",
                                         "progress Video 1"};
    ASSERT_GT(events.size(), start.size());
    EXPECT_EQ(std::vector<std::string>(events.begin(), events.begin() + 7), start);
    EXPECT_EQ(std::vector<std::string>(events.end() - 2, events.end()),
              (std::vector<std::string>{"text Ready...", "read"}));
    // Each layer starts from its own output 0, not where the previous layer stopped.
    const std::vector<std::string> layerChange{
        "progress Video 16", "text mode= 118 adr= 17", "progress Audio 0", "text mode= 97 adr= 0",
        "progress Audio 0",  "text mode= 97 adr= 1",   "progress Audio 1", "text mode= 97 adr= 2",
        "progress R G B 0",  "text mode= 114 adr= 0"};
    EXPECT_NE(std::ranges::search(events, layerChange).begin(), events.end());
    EXPECT_TRUE(rig.listener.saw("progress S-Video 0"));
    EXPECT_TRUE(rig.listener.saw("text mode= 121 adr= 1"));
}

TEST_F(StatusReaderTest, AMatrixAnsweringEveryOutputIsReadUpTo130) {
    rig.simulate(5);
    rig.reader.ReadMatrixStatus();
    EXPECT_EQ((std::vector<int>{rig.sizes.videoOut, rig.sizes.audioOut, rig.sizes.rgbOut, rig.sizes.ycOut}),
              (std::vector<int>{129, 129, 129, 129}));
    EXPECT_EQ(rig.link.shotCount(), 4 * 131);
    EXPECT_TRUE(rig.listener.saw("text mode= 121 adr= 130"));
}

} // namespace
} // namespace rl4::test

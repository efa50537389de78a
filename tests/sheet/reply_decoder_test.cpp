#include "assign/input_levels.h"
#include "sheet_rig.h"
#include "support/frames.h"

#include <gtest/gtest.h>

namespace rl4::test {
namespace {

struct Route {
    Layer layer;
    int destination;
    int source;
};

class ReplyDecoderTest : public ::testing::Test {
protected:
    ReplyDecoderTest() {
        rig.sheet.BuildSheetColumns();
        rig.sheet.FillSheet();
    }

    // Applies an answer and checks that exactly the route given (or, without one, nothing) changed, in both
    // the wanted and the held routing.
    void expectRoute(const std::function<void()>& answer, std::optional<Route> route,
                     const std::string& what) {
        RoutingTable expected = rig.routing;
        if (route) {
            expected.wanted(route->layer, route->destination) = route->source;
            expected.held(route->layer, route->destination) = route->source;
        }
        rig.listener.events.clear();
        answer();
        EXPECT_EQ(rig.routing.wantedSource, expected.wantedSource) << what;
        EXPECT_EQ(rig.routing.matrixSource, expected.matrixSource) << what;
        if (route)
            EXPECT_TRUE(rig.listener.saw("row " + std::to_string(route->destination))) << what;
        else
            EXPECT_TRUE(rig.listener.events.empty()) << what;
    }

    SheetRig rig;
};

TEST_F(ReplyDecoderTest, SwitchAnswersRouteByConnectorInBothForms) {
    struct Case {
        Frame answer;
        Route route;
    };
    const Case fiveByteCases[] = {
        {five('V', 3, 1), {Layer::Video, 1, 1}},     {five('v', 5, 2), {Layer::Video, 2, 2}},
        {five('A', 4, 2), {Layer::Audio, 1, 2}},     {five('a', 5, 1), {Layer::Audio, 2, 1}},
        {five('R', 5, 3), {Layer::Rgb, 2, 3}},       {five('r', 0, 2), {Layer::Rgb, 4, 2}},
        {five('Y', 7, 2), {Layer::Yc, 3, 2}},        {five('y', 5, 0), {Layer::Yc, 2, 4}},
        {five('V', 200, 200), {Layer::Video, 3, 5}}, {five('v', 0, 0), {Layer::Video, 4, 4}},
    };
    rig.connect(5);
    for (const Case& c : fiveByteCases)
        expectRoute([&] { rig.unsolicited(c.answer); }, c.route,
                    std::string(1, static_cast<char>(c.answer[1])));

    // Input in the second byte, output in the third, layer by code and machine; bits 6 and 5 of the fourth
    // byte carry the top bits of output and input.
    const Case fourByteCases[] = {
        {{0x41, 0x81, 0x83, 0x81}, {Layer::Video, 1, 1}}, {{0x41, 0x82, 0x85, 0x85}, {Layer::Rgb, 2, 2}},
        {{0x41, 0x82, 0x87, 0x82}, {Layer::Yc, 3, 2}},    {{0x42, 0x81, 0x85, 0x81}, {Layer::Audio, 2, 1}},
        {{0x41, 0xC8, 0xC8, 0xE1}, {Layer::Video, 3, 5}}, {{0x41, 0x80, 0x83, 0x81}, {Layer::Video, 1, 4}},
    };
    rig.link.closePort();
    rig.connect(4);
    for (const Case& c : fourByteCases)
        expectRoute([&] { rig.unsolicited(c.answer); }, c.route, std::to_string(c.answer[3]));
}

TEST_F(ReplyDecoderTest, FourByteStatusAnswersTakeTheOutputFromTheRequest) {
    struct Case {
        int code, machine, output;
        Frame answer; // the input comes back in the third byte
        Route route;
    };
    const Case cases[] = {
        {5, 1, 5, {0x45, 0x80, 0x82, 0x81}, {Layer::Video, 2, 2}},
        {5, 5, 5, {0x45, 0x80, 0x83, 0x85}, {Layer::Rgb, 2, 3}},
        {5, 2, 7, {0x45, 0x87, 0x82, 0x82}, {Layer::Yc, 3, 2}},
        {6, 1, 4, {0x46, 0x80, 0x82, 0x81}, {Layer::Audio, 1, 2}},
        {5, 1, 3, {0x45, 0x80, 0xC8, 0xC1}, {Layer::Video, 1, 5}},
        {5, 1, 0, {0x45, 0x80, 0x80, 0x81}, {Layer::Video, 4, 4}},
    };
    rig.connect(4);
    for (const Case& c : cases) {
        rig.matrix = [&c](const Frame&) { return c.answer; };
        expectRoute(
            [&] {
                rig.link.SendCommand({'v', c.code, c.machine, c.output, 0});
            },
            c.route, std::to_string(c.code) + "/" + std::to_string(c.machine));
    }
}

TEST_F(ReplyDecoderTest, ReportsNamingNoSingleObjectChangeNothing) {
    rig.connect(5);
    rig.setSource(6, "Camera 1 spare", {1, NotAssigned, NotAssigned, NotAssigned});
    rig.table.sourceCount = 6;
    const Frame ignored[] = {
        five('V', 3, 1),   // video input 1 is shared by sources 1 and 6
        five('V', 9, 2),   // no destination on video output 9
        five('A', 200, 1), // output 200 exists on video only
        five('V', 3, 9),   // no source on video input 9
        five('R', 5, 1),   // source 1 has no RGB input
    };
    for (const Frame& answer : ignored)
        expectRoute([&] { rig.unsolicited(answer); }, std::nullopt, std::to_string(answer[2]));

    // Sharing is per layer, and sources beyond the count take no part.
    expectRoute([&] { rig.unsolicited(five('A', 4, 1)); }, Route{Layer::Audio, 1, 1}, "audio");
    rig.table.sourceCount = 5;
    expectRoute([&] { rig.unsolicited(five('V', 3, 1)); }, Route{Layer::Video, 1, 1}, "video");
}

TEST_F(ReplyDecoderTest, VcaLevelReachesThePanelForTheCurrentDestinationOnly) {
    rig.connect(5);
    rig.unsolicited(five('n', 4, 17)); // audio output of destination 1, the current one
    rig.unsolicited(five('N', 5, 20)); // destination 2
    rig.unsolicited(five('n', 9, 20)); // no destination
    rig.sheet.setCurrentDestination(2);
    rig.unsolicited(five('N', 5, 21));
    rig.link.closePort();
    rig.connect(4);
    rig.unsolicited({0x55, 0x85, 0x8B, 0x81}); // output 5 in the second byte, level 11 in the third
    rig.unsolicited({0x55, 0x84, 0x8C, 0x81});
    EXPECT_EQ(rig.shownVcaLevels, (std::vector<int>{17, 21, 11}));
    EXPECT_EQ(rig.routing.matrixVca[2], 0);
}

TEST_F(ReplyDecoderTest, GainAndModeAnswersReachTheInputLevelControls) {
    rig.connect(5);
    const std::pair<int, std::string> gains[] = {
        {0, "-oo dB"}, {1, "-75 dB"}, {25, "-3 dB"}, {26, " 0 dB"}, {31, " 15 dB"}};
    for (const auto& [level, text] : gains) {
        rig.unsolicited(five('l', 1, level));
        EXPECT_EQ(inputGainText(level), text);
    }
    rig.unsolicited(five('l', 1, 32)); // beyond the slider: ignored
    rig.unsolicited(five('g', 1, 0));
    rig.unsolicited(five('G', 1, 7));
    EXPECT_EQ(rig.shownGains, (std::vector<int>{0, 1, 25, 26, 31}));
    EXPECT_EQ(rig.shownModes, (std::vector<bool>{true, false}));

    // The 4-byte answer carries the mode in bits 5 and 6 of the level: 0x20 balanced, 0x60 unbalanced.
    rig.shownGains.clear();
    rig.shownModes.clear();
    rig.link.closePort();
    rig.connect(4);
    rig.unsolicited({0x56, 0x81, 0xB4, 0x81}); // 0x34: level 20, balanced
    rig.unsolicited({0x56, 0x81, 0xE5, 0x81}); // 0x65: level 5, unbalanced
    rig.unsolicited({0x56, 0x81, 0xCB, 0x81}); // 0x4B: level 11, the mode is not told
    EXPECT_EQ(rig.shownGains, (std::vector<int>{20, 5, 11}));
    EXPECT_EQ(rig.shownModes, (std::vector<bool>{true, false}));
}

TEST_F(ReplyDecoderTest, StoreAnswersDisableTheStoreButton) {
    rig.connect(5);
    rig.unsolicited(five('S', 83, 83));
    EXPECT_FALSE(rig.storeButton.enabled());
    rig.link.closePort();
    rig.connect(4);
    for (const Frame& answer : {Frame{0x43, 0x83, 0x80, 0x81}, Frame{0x43, 0x83, 0x81, 0x81}}) {
        rig.storeButton.setEnabled(true);
        rig.unsolicited(answer); // store, then delete, of setup 3
        EXPECT_FALSE(rig.storeButton.enabled());
    }
}

} // namespace
} // namespace rl4::test

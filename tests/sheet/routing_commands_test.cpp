#include "sheet_rig.h"

#include <gtest/gtest.h>

namespace rl4::test {
namespace {

class RoutingCommandsTest : public ::testing::TestWithParam<int> {
protected:
    SheetRig rig;
};

// The matrix is silent, so nothing confirms the switches and the entries sent stay unknown.
TEST_P(RoutingCommandsTest, DownloadSendsExactlyTheDifferences) {
    rig.connect(GetParam());
    rig.storeButton.setEnabled(false);
    rig.routing.wanted(Layer::Rgb, 2) = 3;
    rig.routing.held(Layer::Rgb, 2) = 3;
    rig.commands.DownloadRouting();
    EXPECT_TRUE(rig.written.empty());
    EXPECT_FALSE(rig.routing.connexionsChanged());
    EXPECT_FALSE(rig.storeButton.enabled());

    const std::tuple<Layer, int, int, int> entries[] = {
        // layer, destination, wanted, held
        {Layer::Video, 1, 2, 0},         // sent: output 3, input 2
        {Layer::Audio, 1, 5, 0},         // sent: output 4, input 200
        {Layer::Rgb, 1, 2, 0},           // Monitor 1 has no RGB output
        {Layer::Yc, 1, 0, 3},            // no source: never sent
        {Layer::Audio, 2, 3, 0},         // the Player has no audio input
        {Layer::Rgb, 2, NotAssigned, 2}, // unknown is no source either
        {Layer::Yc, 2, 4, 2},            // sent: output 5, input 0
        {Layer::Video, 3, 4, 1},         // sent: output 200, input 0
        {Layer::Audio, 4, 99, 0},        // not a source of the assignment
    };
    for (auto [layer, d, wanted, held] : entries) {
        rig.routing.wanted(layer, d) = wanted;
        rig.routing.held(layer, d) = held;
    }
    RoutingTable expected = rig.routing;
    for (auto [layer, d] :
         {std::pair{Layer::Video, 1}, {Layer::Audio, 1}, {Layer::Yc, 2}, {Layer::Video, 3}}) {
        expected.wanted(layer, d) = NotAssigned;
        expected.held(layer, d) = NotAssigned;
    }
    rig.commands.DownloadRouting();

    const std::vector<Frame> frames = GetParam() == 5 ? std::vector<Frame>{{0x02, 0x56, 0x03, 0x02, 0x03},
                                                                           {0x02, 0x41, 0x04, 0xC8, 0x03},
                                                                           {0x02, 0x59, 0x05, 0x00, 0x03},
                                                                           {0x02, 0x56, 0xC8, 0x00, 0x03}}
                                                      : std::vector<Frame>{{0x01, 0x82, 0x83, 0x81},
                                                                           {0x02, 0xC8, 0x84, 0xA1},
                                                                           {0x01, 0x80, 0x85, 0x82},
                                                                           {0x01, 0x80, 0xC8, 0xC1}};
    EXPECT_EQ(rig.written, frames);
    EXPECT_EQ(rig.routing.wantedSource, expected.wantedSource);
    EXPECT_EQ(rig.routing.matrixSource, expected.matrixSource);
    EXPECT_TRUE(rig.routing.connexionsChanged());
    EXPECT_TRUE(rig.storeButton.enabled());
}

TEST_P(RoutingCommandsTest, StoreStatusInEachForm) {
    rig.connect(GetParam());
    rig.matrix = [](Frame frame) { // the matrix confirms; a 4-byte answer marks its first byte
        if (frame.size() == 4)
            frame[0] |= 0x40;
        return frame;
    };
    rig.setups.StoreStatus();
    EXPECT_EQ(rig.written.at(0),
              GetParam() == 5 ? (Frame{0x02, 0x53, 0x53, 0x53, 0x03}) : (Frame{0x03, 0x80, 0x80, 0x81}));
    EXPECT_FALSE(rig.storeButton.enabled());
}

INSTANTIATE_TEST_SUITE_P(BothForms, RoutingCommandsTest, ::testing::Values(5, 4));

class MatrixCommandsTest : public ::testing::Test {
protected:
    SheetRig rig;
};

TEST_F(MatrixCommandsTest, EchoConfirmsTheDownload) {
    rig.simulate(5);
    rig.sheet.BuildSheetColumns();
    rig.sheet.FillSheet();
    rig.routing.wanted(Layer::Video, 1) = 2;
    rig.commands.DownloadRouting();
    EXPECT_EQ(rig.held(Layer::Video, 1), 2);
    EXPECT_EQ(rig.wanted(Layer::Video, 1), 2);
    EXPECT_EQ(rig.sheet.rows()[0].cells[2], "Camera 2");
    EXPECT_EQ(rig.sheet.rows()[0].text, (RgbColour{240, 0, 0}));
}

TEST_F(MatrixCommandsTest, DisconnectAllAsksFirst) {
    rig.connect(5);
    rig.sizes.videoOut = 8;
    rig.sizes.rgbOut = 4;
    rig.routing.held(Layer::Video, 1) = 2;

    rig.prompt.answer(kAnswerNo);
    rig.commands.DisconnectAll();
    ASSERT_EQ(rig.prompt.questions.size(), 1u);
    EXPECT_EQ(rig.prompt.questions[0].text, "Do you want to disable all destinations ?");
    EXPECT_EQ(rig.prompt.questions[0].title, "Routelane4");
    EXPECT_EQ(rig.prompt.questions[0].buttons, PromptButtons::YesNo);
    EXPECT_TRUE(rig.written.empty());
    EXPECT_EQ(rig.held(Layer::Video, 1), 2);

    rig.prompt.answer(kAnswerYes);
    rig.commands.DisconnectAll();
    // The layers the matrix has outputs on, then the status reading (outputs 0 and 1 of each layer).
    ASSERT_EQ(rig.written.size(), 2u + 8u);
    EXPECT_EQ(rig.written[0], (Frame{0x02, 0x56, 0x00, 0x00, 0x03}));
    EXPECT_EQ(rig.written[1], (Frame{0x02, 0x52, 0x00, 0x00, 0x03}));
    EXPECT_EQ(rig.written[2], (Frame{0x02, 0x76, 0x00, 0x00, 0x03}));
    EXPECT_EQ(rig.held(Layer::Video, 1), NotAssigned);
}

TEST_F(MatrixCommandsTest, SetupsAskWhichAndActOnlyInTheFourByteForm) {
    rig.connect(5);
    rig.setups.storeToSetup();
    rig.setups.recallFromSetup();
    EXPECT_TRUE(rig.prompt.questions.empty());
    EXPECT_TRUE(rig.written.empty());

    rig.link.closePort();
    rig.connect(4);
    for (int answer : {3, 1, 7, 2, 5, 3, 8})
        rig.prompt.answer(answer);
    for (int i = 0; i < 4; ++i)
        rig.setups.storeToSetup(); // store 3, delete 7, cancel the second box, cancel the first
    ASSERT_EQ(rig.prompt.questions.size(), 7u);
    EXPECT_EQ(rig.prompt.questions[0].text,
              "Store status to:|Setup#1|Setup#2|Setup#3|Setup#4|Setup#5|Setup#6|Setup#7|Cancel");
    EXPECT_EQ(rig.prompt.questions[1].text, "Setup# 3|To store|To delete|Cancel");
    EXPECT_EQ(rig.prompt.questions[1].icon, PromptIcon::Question);
    EXPECT_EQ(rig.prompt.questions[1].defaultButton, 1);
    EXPECT_EQ(rig.written, (std::vector<Frame>{{0x03, 0x83, 0x80, 0x81}, {0x03, 0x87, 0x81, 0x81}}));

    rig.written.clear();
    rig.storeButton.setEnabled(false);
    rig.prompt.answer(8);
    rig.setups.recallFromSetup();
    EXPECT_EQ(rig.prompt.questions.back().text,
              "Recall status from:|Setup#1|Setup#2|Setup#3|Setup#4|Setup#5|Setup#6|Setup#7|Cancel");
    EXPECT_TRUE(rig.written.empty());
    EXPECT_FALSE(rig.storeButton.enabled());

    rig.prompt.answer(2);
    rig.setups.recallFromSetup();
    ASSERT_GE(rig.written.size(), 2u);
    EXPECT_EQ(rig.written[0], (Frame{0x04, 0x82, 0x80, 0x81}));
    EXPECT_EQ(rig.written[1], (Frame{0x05, 0x80, 0x80, 0x81})); // the status reading follows
    EXPECT_TRUE(rig.storeButton.enabled());
}

} // namespace
} // namespace rl4::test

// The debug loops against the software matrix in memory: each byte the link writes reaches a MatrixCore,
// whose answers come back at once, on a clock that moves only when the loops wait. Then the matrix
// information window's texts.

#include "diag/debug_model.h"
#include "diag/matrix_info.h"
#include "sheet/reply_decoder.h"
#include "sheet/store_button.h"
#include "sheet/switching_sheet.h"
#include "sim/matrix_core.h"
#include "support/engine_rig.h"
#include "support/fake_clock.h"
#include "support/frames.h"
#include "support/memory_port_opener.h"
#include "support/scripted_prompt.h"

#include <gtest/gtest.h>
#include <span>
#include <vector>

namespace rl4::test {
namespace {

// Three sources and destinations whose connector on every layer is their own number; one layer chosen.
struct DebugRig : SheetListener, DebugListener {
    DebugRig(int protocolLength, Layer layer) {
        AssignmentTable& table = assignments.activeTable;
        table.sourceCount = table.destinationCount = 3;
        for (std::size_t n = 1; n <= 3; ++n)
            for (Layer each : kLayers) {
                table.sources[n].input(each) = table.destinations[n].output(each) = static_cast<int>(n);
                assignments.sizes.in(each) = assignments.sizes.out(each) = 3;
            }
        link.setRules(&decoder);
        link.setProtocolLength(protocolLength);
        link.setPortNumber(1);
        MemoryChannel& channel = opener.channel(1);
        channel.onWrite = [this, &channel](std::uint8_t byte) {
            for (sim::SimEvent& event : matrix.feed(std::span(&byte, 1), clock.nowMicros())) {
                if (event.kind == sim::SimEvent::Kind::Received)
                    received.push_back(event.bytes);
                else if (event.kind == sim::SimEvent::Kind::Sent)
                    channel.deliver(event.bytes);
            }
        };
        link.OpenPort();
        model.frmdebug_Load();
        model.choices().layers = {};
        model.choices().layers[static_cast<std::size_t>(layerIndex(layer))] = true;
    }
    void debugStepDone() override {
        if (++steps == stopAtStep)
            model.requestStop();
    }

    int steps = 0;
    int stopAtStep = 0;
    FakeClock clock;
    MemoryPortOpener opener{clock};
    Link link{clock, opener};
    MessageTable messages;
    ScriptedPrompt prompt;
    Assignments assignments;
    RoutingTable routing;
    StoreButton storeButton{*this};
    SwitchingSheet sheet{assignments, routing, *this};
    int vcaSetup = 32;
    ReplyDecoder decoder{assignments.activeTable, routing, sheet, storeButton, vcaSetup, *this};
    StatusReader reader{link, routing, assignments.sizes, messages, *this};
    RoutingCommands commands{
        link, assignments.activeTable, routing, assignments.sizes, storeButton, reader, messages, prompt};
    DebugModel model{link, routing, commands, reader, assignments, prompt, clock, *this};
    sim::MatrixCore matrix{sim::MatrixConfig{}};
    std::vector<Frame> received;
};

TEST(DebugModelTest, WriteTestSwitchesEachSourceToEachDestinationThenStartsAgain) {
    DebugRig rig(5, Layer::Video);
    rig.model.choices().lastSource = 2;
    rig.stopAtStep = 7;
    rig.model.choices().cycleLimit = 3; // ends a loop that missed the stop all the same
    rig.model.cmddebugwrite_Click();
    EXPECT_EQ(rig.received,
              (std::vector<Frame>{five('V', 1, 1), five('V', 2, 1), five('V', 3, 1), five('V', 1, 2),
                                  five('V', 2, 2), five('V', 3, 2), five('V', 1, 1)}));
    EXPECT_EQ(rig.model.lbldebug(), "in:1 to out:1");
    EXPECT_FALSE(rig.model.looping());

    // Step by step, a cancel at the second input's confirmation ends the loop before its frame.
    rig.received.clear();
    rig.model.choices().stepByStep = true;
    rig.prompt.answer(kAnswerOk);
    rig.prompt.answer(kAnswerCancel);
    rig.model.cmddebugwrite_Click();
    std::vector<std::string> asked;
    for (const AskedQuestion& question : rig.prompt.questions)
        asked.push_back(question.title + ": " + question.text);
    EXPECT_EQ(asked, (std::vector<std::string>{"Routelane4: Connect Input 1", "Routelane4: Input 1 COMPLETE",
                                               "Routelane4: Connect Input 2"}));
    EXPECT_EQ(rig.received.size(), 4u);
}

TEST(DebugModelTest, ReadTestAsksEachLayerWithItsOwnInstruction) {
    struct Case {
        Layer layer;
        Frame fiveByte, fourByte;
    };
    const Case cases[] = {{Layer::Video, five('v', 3, 0), four(5, 1, 3, 0)},
                          {Layer::Audio, five('a', 3, 0), four(6, 1, 3, 0)},
                          {Layer::Rgb, five('r', 3, 0), four(5, 5, 3, 0)},
                          {Layer::Yc, five('u', 3, 0), four(5, 3, 3, 0)}};
    for (const Case& c : cases) {
        for (int length : {5, 4}) {
            DebugRig rig(length, c.layer);
            rig.model.choices().firstDestination = 3;
            rig.model.choices().cycleLimit = 2;
            rig.model.cmddebugread_Click();
            const Frame& frame = length == 5 ? c.fiveByte : c.fourByte;
            EXPECT_EQ(rig.received, (std::vector<Frame>{frame, frame})) << length << "-byte " << frame[1];
            EXPECT_EQ(rig.model.lbldebug(), "read 3");
        }
    }
}

TEST(DebugModelTest, MatrixTestModeExistsOnlyInTheFourByteForm) {
    struct Case {
        int length, answer;
        std::vector<Frame> frames;
    };
    const Case cases[] = {{5, kAnswerYes, {}}, {4, kAnswerNo, {}}, {4, kAnswerYes, {four(35, 2, 2, 2)}}};
    for (const Case& c : cases) {
        DebugRig rig(c.length, Layer::Video);
        rig.prompt.answer(c.answer);
        rig.model.cmdpartest_Click();
        EXPECT_EQ(rig.prompt.questions.size(), 1u) << "asked in either form";
        EXPECT_EQ(rig.received, c.frames);
        EXPECT_EQ(rig.model.testOperating(), !c.frames.empty());
    }
}

TEST(DebugModelTest, CountersAgainstAMatrixThatRefusesEveryThirdInstruction) {
    DebugRig rig(5, Layer::Video);
    int instructions = 0;
    rig.matrix.setRefusals([&instructions] { return ++instructions % 3 == 0; });
    rig.model.choices().cycleLimit = 7;
    rig.model.readvideo12_Click();
    EXPECT_EQ(rig.model.lbldebugerror() + "/" + rig.model.lbldebugshot(), "4/14 ");
    EXPECT_EQ(rig.clock.beeps(), 4);
    rig.model.cmddebugreset_Click();
    EXPECT_EQ(rig.model.lbldebugerror() + "/" + rig.model.lbldebugshot(), "none /none ");
    instructions = 0;
    rig.model.choices().cycleLimit = 1;
    rig.model.readvideo1_Click();
    EXPECT_EQ(rig.model.lbldebugerror() + "/" + rig.model.lbldebugshot(), "none /1 ");
}

TEST(MatrixInfo, WithoutAMatrixTheWindowSaysSo) {
    // No settings file: the language is asked first.
    EngineRig rig({.matrixPort = 0, .matrix = {}, .protocol = 0});
    rig.prompt.answer(kLanguageEnglish);
    rig.start();
    Engine& e = rig.engine;
    e.assignments().sizes = {
        .videoIn = 16, .videoOut = 16, .audioIn = 8, .audioOut = 8, .ycIn = 4, .ycOut = 2};
    e.assignments().layerUsed = {true, true, false, true}; // no RGB connector

    rig.commands.frm1_MenuEvent(502);
    const MatrixInfo& info = rig.commands.matrixInfo();
    EXPECT_EQ(info.lblinfoprotocol, "protocol is  4 bytes long");
    EXPECT_EQ(info.lblinfoserial, "no matrix found");
    EXPECT_EQ(info.lblinfoport, "No port open");
    EXPECT_EQ(info.lblinfolink, "The line from PC to Matrix is broken");
    EXPECT_EQ(info.lblinfoplan, "Used layers: Video  Audio  Y/C      Unused layers: RGB  ");
    EXPECT_EQ(info.lblinfosize, "Size: (V: 16x 16) (A: 8x 8) (R: 0x 0) (Y: 4x 2)");
    EXPECT_EQ(info.lblinfoagn, "assignment file: " + e.assignments().activeFileName);
    EXPECT_EQ(info.lblinfocnx, "connexion file: " + e.settings().connexionPath);
}

} // namespace
} // namespace rl4::test

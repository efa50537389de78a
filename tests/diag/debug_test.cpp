// The debug loops against the software matrix held in memory: each byte the link writes reaches a
// MatrixCore through the port's channel and its answers come back at once, on a clock that only moves when
// the loops wait.

#include "diag/debug_model.h"
#include "sheet/reply_decoder.h"
#include "sheet/store_button.h"
#include "sheet/switching_sheet.h"
#include "sim/matrix_core.h"
#include "support/fake_clock.h"
#include "support/memory_port_opener.h"
#include "support/scripted_prompt.h"

#include <functional>
#include <gtest/gtest.h>
#include <span>
#include <vector>

namespace rl4::test {
namespace {

using Frame = std::vector<std::uint8_t>;

Frame five(char letter, int data1, int data2) {
    return {0x02, static_cast<std::uint8_t>(letter), static_cast<std::uint8_t>(data1),
            static_cast<std::uint8_t>(data2), 0x03};
}

// Code, second value, first value, machine; data below 128 only.
Frame four(int code, int machine, int data1, int data2) {
    return {static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(0x80 | data2),
            static_cast<std::uint8_t>(0x80 | data1), static_cast<std::uint8_t>(0x80 | machine)};
}

struct StepListener : SheetListener, DebugListener {
    void debugStepDone() override {
        ++steps;
        if (onStep)
            onStep();
    }
    int steps = 0;
    std::function<void()> onStep;
};

// Three sources and three destinations whose connector on every layer is their own number.
struct DebugRig {
    explicit DebugRig(int protocolLength) {
        AssignmentTable& table = assignments.activeTable;
        for (int n = 1; n <= 3; ++n) {
            for (Layer layer : kLayers) {
                table.sources[static_cast<std::size_t>(n)].input(layer) = n;
                table.destinations[static_cast<std::size_t>(n)].output(layer) = n;
                assignments.sizes.in(layer) = assignments.sizes.out(layer) = 3;
            }
        }
        table.sourceCount = table.destinationCount = 3;
        link.setRules(&decoder);
        link.setListener(&listener);
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
    }

    // Only one layer, ranges from 1.
    void choose(Layer layer, int lastSource, int lastDestination) {
        model.choices().layers = {};
        model.choices().layers[static_cast<std::size_t>(layerIndex(layer))] = true;
        model.choices().lastSource = lastSource;
        model.choices().lastDestination = lastDestination;
    }
    void stopAfterSteps(int steps) {
        listener.onStep = [this, steps] {
            if (listener.steps == steps)
                model.requestStop();
        };
    }

    FakeClock clock;
    MemoryPortOpener opener{clock};
    Link link{clock, opener};
    MessageTable messages;
    ScriptedPrompt prompt;
    StepListener listener;
    Assignments assignments;
    RoutingTable routing;
    StoreButton storeButton{listener};
    SwitchingSheet sheet{assignments, routing, listener};
    int vcaSetup = 32;
    ReplyDecoder decoder{assignments.activeTable, routing, sheet, storeButton, vcaSetup, listener};
    StatusReader reader{link, routing, assignments.sizes, messages, listener};
    RoutingCommands commands{
        link, assignments.activeTable, routing, assignments.sizes, storeButton, reader, messages, prompt};
    DebugModel model{link, routing, commands, reader, assignments, prompt, clock, listener};
    sim::MatrixCore matrix{sim::MatrixConfig{}};
    std::vector<Frame> received;
};

TEST(DebugWriteTest, SwitchesEachSourceToEachDestinationThenStartsAgain) {
    DebugRig rig(5);
    rig.choose(Layer::Video, 2, 3);
    rig.stopAfterSteps(7);
    rig.model.cmddebugwrite_Click();
    const std::vector<Frame> expected{five('V', 1, 1), five('V', 2, 1), five('V', 3, 1), five('V', 1, 2),
                                      five('V', 2, 2), five('V', 3, 2), five('V', 1, 1)};
    EXPECT_EQ(rig.received, expected);
    EXPECT_EQ(rig.model.lbldebug(), "in:1 to out:1");
    EXPECT_EQ(rig.routing.held(Layer::Video, 1), 1);
    EXPECT_EQ(rig.model.cycles(), 1);
    EXPECT_FALSE(rig.model.looping());
}

// The answers to the step confirmation (OK, Cancel) and the frames sent before the test ended.
TEST(DebugWriteTest, CancelAtTheConfirmationEndsAtOnce) {
    struct Case {
        std::vector<int> answers;
        std::size_t frames;
        std::vector<std::string> questions;
    };
    const Case cases[] = {
        {{kAnswerCancel}, 1, {"Connect Input 1"}},
        {{kAnswerOk, kAnswerCancel}, 4, {"Connect Input 1", "Input 1 COMPLETE", "Connect Input 2"}},
    };
    for (const Case& c : cases) {
        DebugRig rig(5);
        rig.choose(Layer::Audio, 3, 3);
        rig.model.choices().stepByStep = true;
        for (int answer : c.answers)
            rig.prompt.answer(answer);
        rig.model.cmddebugwrite_Click();
        std::vector<std::string> asked;
        for (const AskedQuestion& question : rig.prompt.questions)
            asked.push_back(question.text);
        EXPECT_EQ(asked, c.questions);
        EXPECT_EQ(rig.received.size(), c.frames);
        EXPECT_EQ(rig.prompt.questions.front().title, "Routelane4");
        EXPECT_FALSE(rig.model.looping());
    }
}

TEST(DebugReadTest, ReadsEachLayerWithItsOwnInstruction) {
    struct Case {
        Layer layer;
        Frame fiveByte;
        Frame fourByte;
    };
    const Case cases[] = {
        {Layer::Video, five('v', 2, 0), four(5, 1, 2, 0)},
        {Layer::Audio, five('a', 2, 0), four(6, 1, 2, 0)},
        {Layer::Rgb, five('r', 2, 0), four(5, 5, 2, 0)},
        {Layer::Yc, five('u', 2, 0), four(5, 3, 2, 0)},
    };
    for (const Case& c : cases) {
        for (int length : {5, 4}) {
            DebugRig rig(length);
            rig.choose(c.layer, 3, 2);
            rig.model.choices().firstDestination = 2;
            rig.model.choices().cycleLimit = 2;
            rig.model.cmddebugread_Click();
            const Frame& frame = length == 5 ? c.fiveByte : c.fourByte;
            EXPECT_EQ(rig.received, (std::vector<Frame>{frame, frame}))
                << layerIndex(c.layer) << " " << length;
            EXPECT_EQ(rig.model.lbldebug(), "read 2");
        }
    }
}

TEST(DebugTestModeTest, ExistsOnlyInTheFourByteForm) {
    struct Case {
        int length;
        int answer;
        std::vector<Frame> frames;
    };
    const Case cases[] = {
        {5, kAnswerYes, {}},
        {4, kAnswerNo, {}},
        {4, kAnswerYes, {four(35, 2, 2, 2)}},
    };
    for (const Case& c : cases) {
        DebugRig rig(c.length);
        rig.prompt.answer(c.answer);
        rig.model.cmdpartest_Click();
        EXPECT_EQ(rig.prompt.questions.at(0).text, "Do you want to turn to MODE TEST");
        EXPECT_EQ(rig.prompt.questions.at(0).title, "Matrix Test");
        EXPECT_EQ(rig.received, c.frames);
        EXPECT_EQ(rig.model.testOperating(), !c.frames.empty());
    }
}

// A matrix that refuses every third instruction as busy: each refusal counts once, beeps and turns the
// counters red, in both forms; the reset shows "none " in green until the next step.
TEST(DebugCountersTest, CountRefusalsUntilReset) {
    for (int length : {5, 4}) {
        DebugRig rig(length);
        int instructions = 0;
        rig.matrix.setRefusals([&instructions] { return ++instructions % 3 == 0; });
        rig.model.choices().cycleLimit = 7;
        rig.model.readvideo12_Click();
        EXPECT_EQ(rig.link.shotCount(), 14) << length;
        EXPECT_EQ(rig.model.errorCount(), 4);
        EXPECT_EQ(rig.model.lbldebugerror(), "4");
        EXPECT_EQ(rig.model.lbldebugshot(), "14 ");
        EXPECT_EQ(rig.clock.beeps(), 4);
        EXPECT_EQ(rig.model.counterColour(), (RgbColour{255, 0, 0}));

        rig.model.cmddebugreset_Click();
        EXPECT_EQ(rig.model.lbldebugerror(), "none ");
        EXPECT_EQ(rig.model.lbldebugshot(), "none ");
        EXPECT_EQ(rig.model.counterColour(), (RgbColour{0, 255, 0}));
        instructions = 0;
        rig.model.choices().cycleLimit = 1;
        rig.model.readvideo1_Click();
        EXPECT_EQ(rig.model.lbldebugerror(), "none ");
        EXPECT_EQ(rig.model.lbldebugshot(), "1 ");
    }
}

} // namespace
} // namespace rl4::test

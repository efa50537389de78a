#include "platform/text_file.h"
#include "support/fake_clock.h"
#include "support/memory_port_opener.h"
#include "support/temp_folder.h"
#include "tester/protocol_tool.h"
#include "tester/tool_port.h"

#include <gtest/gtest.h>

namespace rl4::tester {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Labels = std::array<std::string, 5>;

class ScriptPrompt : public ToolPrompt {
public:
    void messageBox(const std::string& text) override { messages.push_back(text); }
    int choiceBox(const std::string& text, int defaultButton) override {
        choices.push_back(text + " default " + std::to_string(defaultButton));
        return answer;
    }
    std::vector<std::string> messages;
    std::vector<std::string> choices;
    int answer = 5;
};

class ToolTest : public testing::Test {
protected:
    void start(const std::vector<std::string>& settings = {}) {
        if (!settings.empty())
            writeTextLines(folder.path("protocol.set"), settings);
        tool.ReadToolSettings();
        tool.frm1_Load();
        tool.OpenPort();
    }
    MemoryChannel& port(int n = 2) { return opener.channel(n); }
    Bytes pass(int n = 2) {
        tool.pollPass();
        return port(n).takeWritten();
    }

    test::TempFolder folder;
    FakeClock clock;
    test::MemoryPortOpener opener{clock, toolTimeouts()};
    ScriptPrompt prompt;
    ProtocolTool tool{folder.folder(), opener, clock, prompt};
};

// The switch is read at once on the first start and on a change of layer, which brings its own lists.
TEST_F(ToolTest, FirstStartAndALayerChangeReadAtOnce) {
    start();
    EXPECT_EQ(test::fileBytes(folder.path("protocol.set")),
              "2\r\n0\r\n0\r\n0\r\n0\r\n1\r\n0\r\n64\r\n64\r\n64\r\n64\r\n8\r\n8\r\n8\r\n8\r\n");
    EXPECT_EQ(opener.requests, std::vector<int>{2});
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_EQ(tool.cbinput().entries.size(), 65u);
    EXPECT_EQ(tool.statusPanels()[0], "Vidéo: 64 x 64");

    EXPECT_EQ(pass(), (Bytes{2, 0x76, 1, 0, 3}));
    EXPECT_EQ(pass(), Bytes{});
    EXPECT_EQ(tool.frameLabels(), (Labels{"02h", "56h", "01h", "01h", "03h"}));
    EXPECT_TRUE(tool.cmdsendPressed());
    EXPECT_FALSE(tool.rebuildPending());

    tool.cblayer_Click(2);
    EXPECT_EQ(tool.cbinput().entries.size(), 9u);
    EXPECT_EQ(tool.cboutput().entries.back(), "8");
    EXPECT_EQ(pass(), (Bytes{2, 0x72, 1, 0, 3}));
    tool.cbfunct_Click(1);
    EXPECT_EQ(tool.cblayer().selected, 2);
    EXPECT_EQ(pass(), Bytes{});
    EXPECT_EQ(tool.message(), (std::array<std::uint8_t, 5>{2, 0x72, 1, 0, 3}));
}

TEST_F(ToolTest, DamagedSettingsTakeTheDefaultsAndKeepTheirSizes) {
    start({" 1 ", "12", "x", "", "", "0", "255", "300", "7"});
    EXPECT_EQ((std::array{tool.portNumber(), tool.functionIndex(), tool.layerIndex()}),
              (std::array{1, 0, 0}));
    EXPECT_EQ(tool.cbinput().entries.size(), 256u);
    EXPECT_EQ(tool.cboutput().entries.size(), 8u);
    EXPECT_EQ(pass(1), (Bytes{2, 0x76, 1, 0, 3}));
    EXPECT_EQ(tool.frameLabels(), (Labels{"2", "118", "1", "0", "3"}));

    // Written back: the port, function 0, layer 0, decimal, the audio monitor, the sizes as read.
    tool.frm1_Close();
    EXPECT_EQ(readTextLines(folder.path("protocol.set")),
              (std::vector<std::string>{"1", "0", "0", "1", "1", "0", "255", "300", "7", "64", "64", "8", "8",
                                        "8", "8"}));
}

TEST_F(ToolTest, VcaSetupFrames) {
    start();
    tool.cbfunct_Click(8);
    EXPECT_EQ(pass(), (Bytes{2, 0x70, 0x70, 0x70, 3}));
    EXPECT_EQ(pass(), Bytes{});
    EXPECT_EQ(tool.frameLabels(), (Labels{"02h", "50h", "50h", "22h", "03h"}));
    // The matrix's setup loads both lists: power-on "VCA min", slope 1.
    port().deliver({2, 0x70, 0x70, 0x01, 3});
    pass();
    EXPECT_EQ(tool.cbinput().selected, 0);
    EXPECT_EQ(tool.cboutput().selected, 1);
    EXPECT_EQ(tool.message(), (std::array<std::uint8_t, 5>{2, 0x50, 0x50, 0x01, 3}));
    tool.cbfunct_Click(9);
    EXPECT_FALSE(tool.cbinput().shown || tool.cboutput().shown);
    EXPECT_EQ(pass(), Bytes{});
    tool.cmdsend_Click();
    EXPECT_EQ(port().takeWritten(), (Bytes{2, 0x70, 0x70, 0x70, 3}));
}

// The gain is read first: a partial answer shows its bytes, the whole one loads the level.
TEST_F(ToolTest, GainReadsFirstLoadsTheAnswerAndSendsAChangeOnlyWithAutoSend) {
    start();
    pass();
    tool.cbfunct_Click(2);
    EXPECT_EQ(pass(), (Bytes{2, 0x6C, 1, 0x1A, 3}));
    port().deliver({2, 0x6C, 1});
    EXPECT_EQ(pass(), Bytes{});
    EXPECT_EQ(tool.replyLabels(), (Labels{"02h", "6Ch", "01h", " ", " "}));
    EXPECT_EQ(tool.message(), (std::array<std::uint8_t, 5>{2, 0x4C, 1, 0x1A, 3}));

    // Byte by byte at 9600 baud, a little late: still one answer.
    const Bytes answer{2, 0x6C, 1, 0x14, 3};
    for (std::size_t k = 0; k < answer.size(); ++k)
        port().deliver({answer[k]}, 1'500 * static_cast<std::int64_t>(k + 1));
    pass();
    EXPECT_EQ(tool.replyLabels(), (Labels{"02h", "6Ch", "01h", "14h", "03h"}));
    EXPECT_EQ(tool.cbinput().selected, 20);
    // An answer after the message was built changes the message with the list.
    tool.cmdsend_Click();
    EXPECT_EQ(port().takeWritten(), (Bytes{2, 0x4C, 1, 0x14, 3}));
    EXPECT_EQ(tool.replyLabels(), (Labels{" ", " ", " ", " ", " "}));

    tool.cbinput_Click(21);
    EXPECT_EQ(pass(), Bytes{});
    tool.chksend_Click(true);
    tool.udin_UpClick();
    EXPECT_EQ(pass(), (Bytes{2, 0x4C, 1, 22, 3}));
    // A new radix redraws the labels at once and sends nothing.
    tool.optdec_Click();
    EXPECT_EQ(tool.frameLabels(), (Labels{"2", "76", "1", "22", "3"}));
    EXPECT_EQ(pass(), Bytes{});
}

TEST_F(ToolTest, AudioMonitorSwitchesTheInputToOutputOneBeforeReadingItsGain) {
    start();
    tool.cbfunct_Click(2);
    tool.chkaudiomonitor_Click(true);
    pass();
    tool.cboutput_Click(5);
    EXPECT_EQ(port().takeWritten(), (Bytes{2, 0x41, 1, 5, 3}));
    EXPECT_EQ(pass(), (Bytes{2, 0x6C, 5, 0x1A, 3}));
    // Only the gain function monitors.
    tool.cbfunct_Click(4);
    pass();
    tool.cboutput_Click(6);
    EXPECT_EQ(port().takeWritten(), Bytes{});
}

TEST_F(ToolTest, ContinuousSendingKeepsTheLinePacedAndBlinks) {
    start();
    pass();
    tool.cmdsendsalve_Click();
    port().deliver({2, 0x56, 1, 1, 3}, 10'000);
    std::string captions;
    std::string replies;
    for (int n = 0; n < 32; ++n) {
        const std::int64_t before = clock.nowMicros();
        EXPECT_EQ(pass(), (Bytes{2, 0x56, 1, 1, 3}));
        // A silent matrix: each pass waits out the read.
        if (n > 0) {
            EXPECT_EQ(clock.nowMicros() - before, 35'000);
        }
        captions += tool.cmdsendsalveCaption().empty() ? '.' : 'S';
        replies += tool.replyLabels()[1] == "56h" ? 'A' : '.';
    }
    // The first send counted: the caption blinks on the counter, and the answer stays until it comes round.
    EXPECT_EQ(captions, "..........SSSSSSSSSSSSSSSSSSSSS.");
    EXPECT_EQ(replies, std::string(30, 'A') + "..");

    // An answer that comes at once: the next message waits for the line to carry the last one.
    port().onWrite = [this](std::uint8_t byte) {
        if (byte == 3)
            port().deliver({2, 0x56, 1, 1, 3});
    };
    pass();
    const std::int64_t before = clock.nowMicros();
    for (int n = 0; n < 10; ++n)
        EXPECT_EQ(tool.pollPass(), 0);
    EXPECT_EQ(clock.nowMicros() - before, 10 * 5208);

    tool.frm1_Close();
    EXPECT_FALSE(tool.continuousSending());
    EXPECT_FALSE(port().isOpen());
}

TEST_F(ToolTest, CyclicSteppingRunsUntilReleasedOrAChoiceAndTheUpDownControlsWrap) {
    start();
    tool.chksend_Click(true);
    tool.cbinput_Click(2);
    pass();
    pass();
    tool.cmdcyclique_Click();
    for (int step : {1, 0, 64}) {
        tool.tmr1_Timer();
        EXPECT_EQ(pass(), (Bytes{2, 0x56, 1, static_cast<std::uint8_t>(step), 3}));
        EXPECT_TRUE(tool.tmr1Running());
    }
    tool.udin_DownClick();
    EXPECT_FALSE(tool.tmr1Running());
    tool.cmdcyclique_Click();
    tool.cboutput_Click(3);
    EXPECT_FALSE(tool.tmr1Running());
    tool.tmr1_Timer();
    EXPECT_EQ(tool.valueIndex(), 63);

    tool.cbfunct_Click(2);
    tool.cbinput_Click(0);
    tool.udin_DownClick();
    EXPECT_EQ(tool.valueIndex(), 31);
    tool.udin_UpClick();
    EXPECT_EQ(tool.valueIndex(), 0);
    tool.cboutput_Click(64);
    tool.udout_UpClick();
    EXPECT_EQ(tool.cboutput().entries[tool.cboutput().selected], "-");
    tool.udout_DownClick();
    EXPECT_EQ(tool.channelIndex(), 64);
}

TEST_F(ToolTest, PortChoiceAndUnavailablePorts) {
    opener.refuse(3);
    start({"7"});
    EXPECT_EQ(prompt.messages, std::vector<std::string>{"Com7 port is not available"});
    EXPECT_TRUE(opener.requests.empty());
    // Without a port a pass waits as a silent line would, instead of spinning.
    EXPECT_EQ(tool.pollPass(), 35);

    prompt.answer = 3;
    tool.cmdport_Click();
    EXPECT_EQ(prompt.messages.back(), "Com3 port is not available");
    EXPECT_EQ(tool.cmdportCaption(), "com 3");
    opener.holdElsewhere(1, {99, "routelane4"});
    prompt.answer = 1;
    tool.cmdport_Click();
    EXPECT_EQ(prompt.messages.back(), "Com1 port is in use by process 99 (routelane4)");
    prompt.answer = 4;
    tool.cmdport_Click();
    EXPECT_FALSE(tool.portFailed());
    EXPECT_EQ(tool.cmdportCaption(), "com 4");
    prompt.answer = 5;
    tool.cmdport_Click();
    EXPECT_EQ(prompt.choices.back(), "Select port:|Com1|Com2|Com3|Com4|Cancel default 4");
    EXPECT_EQ(tool.cmdportCaption(), "com 4");
    EXPECT_TRUE(port(4).isOpen());
    EXPECT_EQ(opener.requests, (std::vector<int>{3, 1, 4}));
}

TEST(ToolFolder, SettingsThatCannotBeWrittenAreReported) {
    FakeClock clock;
    test::MemoryPortOpener opener(clock);
    ScriptPrompt prompt;
    ProtocolTool tool("/nonexistent/protocol", opener, clock, prompt);
    tool.ReadToolSettings();
    tool.frm1_Load();
    tool.frm1_Close();
    const std::string reason = ": No such file or directory";
    EXPECT_EQ(prompt.messages,
              (std::vector<std::string>{"Cannot create /nonexistent/protocol/protocol.set" + reason,
                                        "Cannot write /nonexistent/protocol/protocol.set" + reason}));
}

} // namespace
} // namespace rl4::tester

// The protocol tool's settings file as anything may have left it: the tool starts on it, builds and sends
// its message, takes an answer, and what it writes at closing reads back as the same settings.

#include "fuzz_support.h"
#include "support/fake_clock.h"
#include "support/memory_port_opener.h"
#include "tester/protocol_tool.h"

namespace {

class NobodyThere : public rl4::tester::ToolPrompt {
public:
    void messageBox(const std::string&) override {}
    int choiceBox(const std::string&, int defaultButton) override { return defaultButton; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using rl4::tester::ToolSettings;
    rl4::fuzz::writeInput(ToolSettings::kFileName, data, size);
    const std::string& folder = rl4::fuzz::scratch().folder();

    rl4::FakeClock clock;
    rl4::test::MemoryPortOpener opener{clock};
    NobodyThere prompt;
    rl4::tester::ProtocolTool tool(folder, opener, clock, prompt);
    tool.ReadToolSettings();
    tool.frm1_Load();
    tool.OpenPort();
    tool.BuildMessage();
    // An answer whose value byte points past every list, then steps through the lists' ends.
    for (int port = 1; port <= 4; ++port)
        opener.channel(port).deliver({0x02, 0x56, 0xFE, 0xFD, 0x03});
    tool.pollPass();
    tool.udin_DownClick();
    tool.udout_DownClick();
    tool.udin_UpClick();
    tool.udout_UpClick();
    tool.cmdsend_Click();
    tool.frm1_Close();

    const ToolSettings written = rl4::tester::ReadToolSettings(folder).settings;
    RL4_FUZZ_CHECK(ToolSettings::fromLines(written.lines()).lines() == written.lines());
    RL4_FUZZ_CHECK(written.functionIndex == tool.functionIndex() && written.valueIndex == tool.valueIndex() &&
                   written.channelIndex == tool.channelIndex());
    return 0;
}

#pragma once

#include "platform/byte_channel.h"
#include "platform/clock.h"
#include "platform/port_opener.h"
#include "tester/function_table.h"
#include "tester/tool_prompt.h"
#include "tester/tool_settings.h"
#include "tester/tool_texts.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace rl4::tester {

// A drop-down list as the window shows it.
struct ListControl {
    std::vector<std::string> entries;
    int selected = -1;
    bool shown = true;
};

// The protocol test tool without its window: it builds one 5-byte message from the chosen function, layer,
// value and channel, sends it, and shows the bytes of the answers. The window mirrors what this object holds
// after each event and each polling pass; the event operations carry the names of the controls they serve.
class ProtocolTool {
public:
    // A product name: the same in every language.
    static constexpr const char* kTitle = "Brevant Electronics - ZQ Matrix Protocol Controller V4.07";
    static constexpr int kReplySize = 5;
    static constexpr std::uint8_t kNothing = 0xFF;

    ProtocolTool(std::string folder, PortOpener& opener, Clock& clock, ToolPrompt& prompt,
                 Language language = Language::English);

    Language language() const { return language_; }
    const char* text(TextId id) const { return caption(id, language_); }

    // Start: settings, then the window's load, then the port; the caller then runs pollPass() until closing.
    void ReadToolSettings();
    void frm1_Load();
    void OpenPort();

    // One pass of the polling loop, window events aside: read an answer, show it, rebuild and send the
    // message as needed. Returns the milliseconds to let pass before the next one, so that a pass whose read
    // could not wait (no port, a line that hung up) does not make the loop spin.
    int pollPass();

    void cbfunct_Click(int index);
    void cblayer_Click(int index);
    void cbinput_Click(int index);
    void cboutput_Click(int index);
    void udin_UpClick();
    void udin_DownClick();
    void udout_UpClick();
    void udout_DownClick();
    void optdec_Click();
    void opthex_Click();
    void cmdsend_Click();
    void chksend_Click(bool ticked);
    void chkaudiomonitor_Click(bool ticked);
    void cmdport_Click();
    void cmdcyclique_Click();
    void tmr1_Timer();
    void cmdsendsalve_Click();
    void frm1_Close();

    void BuildMessage();
    void SendMessage();
    void ShowReply(const std::array<std::uint8_t, kReplySize>& reply);
    void MonitorInput();

    // What the controls show.
    const ListControl& cbfunct() const { return cbfunct_; }
    const ListControl& cblayer() const { return cblayer_; }
    const ListControl& cbinput() const { return cbinput_; }
    const ListControl& cboutput() const { return cboutput_; }
    const std::string& lbl3() const { return lbl3_; }
    const std::string& lbl4() const { return lbl4_; }
    // lblstx, lblmode, lbloutput, lblinput, lbletx.
    const std::array<std::string, 5>& frameLabels() const { return frameLabels_; }
    // lblrepl1 .. lblrepl5.
    const std::array<std::string, 5>& replyLabels() const { return replyLabels_; }
    bool cmdsendPressed() const { return cmdsendPressed_; }
    bool chksendEnabled() const { return function().autoSend; }
    bool chksendTicked() const { return chksendTicked_; }
    bool chkaudiomonitorEnabled() const { return function().audioMonitor; }
    bool cmdcycliqueEnabled() const { return functionIndex_ == 0; }
    // cmdcyclique shows pressed while tmr1 runs.
    bool tmr1Running() const { return tmr1Running_; }
    const std::string& cmdsendsalveCaption() const { return cmdsendsalveCaption_; }
    std::string cmdportCaption() const {
        return text(TextId::PortButton) + std::to_string(settings_.portNumber);
    }
    // Status bar panels 1 to 5.
    std::array<std::string, 5> statusPanels() const;

    int functionIndex() const { return functionIndex_; }
    int layerIndex() const { return layerIndex_; }
    int valueIndex() const { return valueIndex_; }
    int channelIndex() const { return channelIndex_; }
    bool hexDisplay() const { return settings_.hexDisplay == 1; }
    bool audioMonitor() const { return settings_.audioMonitor != 0; }
    int portNumber() const { return settings_.portNumber; }
    bool portFailed() const { return portFailed_; }
    bool continuousSending() const { return continuousSending_; }
    bool rebuildPending() const { return rebuildPending_; }
    std::array<std::uint8_t, 5> message() const { return {0x02, modeByte_, outputByte_, inputByte_, 0x03}; }
    const std::string& statusText() const { return statusText_; }

private:
    const ToolFunction& function() const { return toolFunction(functionIndex_); }
    void fillListsAndArm();
    void choiceMade();
    void valueChosen(int index);
    void showFrame();

    std::string folder_;
    Language language_;
    PortOpener& opener_;
    Clock& clock_;
    ToolPrompt& prompt_;
    std::unique_ptr<ByteChannel> channel_;

    ToolSettings settings_;
    int functionIndex_ = 0;
    int layerIndex_ = 0;
    int valueIndex_ = 0;
    int channelIndex_ = 0;
    int valueMax_ = 0;
    int channelMax_ = 0;
    std::uint8_t modeByte_ = 0;
    std::uint8_t outputByte_ = 0;
    std::uint8_t inputByte_ = 0;
    std::string statusText_;
    bool rebuildPending_ = false;
    bool readFirst_ = false;
    bool valueChanged_ = false;
    bool portFailed_ = true;
    bool continuousSending_ = false;
    std::uint8_t sendCounter_ = 0;
    bool tmr1Running_ = false;
    std::int64_t lineFreeMicros_ = 0;

    ListControl cbfunct_;
    ListControl cblayer_;
    ListControl cbinput_;
    ListControl cboutput_;
    std::string lbl3_;
    std::string lbl4_;
    std::array<std::string, 5> frameLabels_;
    std::array<std::string, 5> replyLabels_;
    bool cmdsendPressed_ = false;
    bool chksendTicked_ = false;
    std::string cmdsendsalveCaption_;
    std::string sendingStatus_;
};

} // namespace rl4::tester

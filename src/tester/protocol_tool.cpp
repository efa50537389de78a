#include "tester/protocol_tool.h"

#include "platform/other_process.h"
#include "tester/tool_port.h"

#include <algorithm>

namespace rl4::tester {

namespace {

constexpr int kFirstPort = 1;
constexpr int kLastPort = 4;
constexpr const char* kBlank = " ";
// While sending continuously, the reply labels are cleared only when the send counter comes round (one
// send in 31), so that an answer stays readable; the caption blinks on the same counter.
constexpr int kCounterWrap = 30;
constexpr int kCaptionBlinkOff = 10;
constexpr int kAudioMonitorOutput = 1;
constexpr int kAudioMonitorTicked = 255;
// Five bytes of ten bits at 9600 baud.
constexpr std::int64_t kMessageWireMicros = 5 * 10 * 1'000'000 / 9600;

int validLayer(int index) {
    return index >= 0 && index < kLayerCount ? index : 0;
}

ListControl listOf(std::vector<std::string> entries, int wanted, int& index, int& highest) {
    highest = std::max(0, static_cast<int>(entries.size()) - 1);
    index = entries.empty() ? 0 : std::clamp(wanted, 0, highest);
    const bool shown = !entries.empty();
    return {std::move(entries), shown ? index : -1, shown};
}

} // namespace

ProtocolTool::ProtocolTool(std::string folder, PortOpener& opener, Clock& clock, ToolPrompt& prompt,
                           Language language)
    : folder_(std::move(folder)), language_(language), opener_(opener), clock_(clock), prompt_(prompt),
      cmdsendsalveCaption_(text(TextId::SendContinuously)) {
    for (int f = 0; f < kFunctionCount; ++f)
        cbfunct_.entries.emplace_back(text(toolFunction(f).listText));
}

void ProtocolTool::ReadToolSettings() {
    continuousSending_ = false;
    SettingsReading reading = tester::ReadToolSettings(folder_);
    settings_ = reading.settings;
    if (!reading.writeError.empty())
        prompt_.messageBox(
            caption(TextId::CannotCreate, language_, {settingsPath(folder_), reading.writeError}));
    if (reading.skippedBytes > 0)
        prompt_.messageBox(caption(TextId::FileCut, language_,
                                   {settingsPath(folder_), std::to_string(reading.skippedBytes)}));
    functionIndex_ = validFunction(settings_.functionIndex);
    layerIndex_ = validLayer(settings_.layerIndex);
    valueIndex_ = settings_.valueIndex;
    channelIndex_ = settings_.channelIndex;
}

void ProtocolTool::frm1_Load() {
    cbfunct_Click(functionIndex_);
}

void ProtocolTool::OpenPort() {
    portFailed_ = true;
    channel_.reset();
    const int n = settings_.portNumber;
    if (n >= kFirstPort && n <= kLastPort) {
        channel_ = opener_.openPort(n);
        portFailed_ = channel_ == nullptr;
    }
    if (!portFailed_ || n == 0)
        return;
    if (const auto holder = inUseHolder(opener_.lastFailure()))
        prompt_.messageBox(
            caption(TextId::PortInUse, language_, {std::to_string(n), holderCaption(*holder, language_)}));
    else
        prompt_.messageBox(caption(TextId::PortNotAvailable, language_, {std::to_string(n)}));
}

int ProtocolTool::pollPass() {
    const std::int64_t start = clock_.nowMicros();
    std::array<std::uint8_t, kReplySize> reply;
    reply.fill(kNothing);
    const std::size_t got = channel_ ? channel_->read(reply.data(), reply.size()) : 0;
    if (reply[0] != kNothing)
        ShowReply(reply);
    if (rebuildPending_)
        BuildMessage();
    if (continuousSending_)
        SendMessage();
    if (got > 0)
        return 0;
    const auto waited = static_cast<int>((clock_.nowMicros() - start) / 1000);
    return std::max(0, toolTimeouts().readTotal(reply.size()) - waited);
}

void ProtocolTool::cbfunct_Click(int index) {
    functionIndex_ = validFunction(index);
    cbfunct_.selected = functionIndex_;
    const ToolFunction& f = function();
    lbl3_ = f.valueCaption ? text(*f.valueCaption) : "";
    lbl4_ = f.channelCaption ? text(*f.channelCaption) : "";
    cblayer_.shown = f.usesLayer;
    if (f.usesLayer) {
        cblayer_.entries.clear();
        for (TextId layer : layerNames())
            cblayer_.entries.emplace_back(text(layer));
        cblayer_.selected = layerIndex_;
    }
    fillListsAndArm();
}

void ProtocolTool::cblayer_Click(int index) {
    layerIndex_ = validLayer(index);
    cblayer_.selected = layerIndex_;
    fillListsAndArm();
}

// A choice of function or layer starts from the function's defaults and, for the functions that write,
// first asks the matrix for the value it holds.
void ProtocolTool::fillListsAndArm() {
    const ToolFunction& f = function();
    const LayerSizes sizes = settings_.layerSizes();
    cbinput_ =
        listOf(valueEntries(f.values, layerIndex_, sizes, language_), f.valueDefault, valueIndex_, valueMax_);
    cboutput_ =
        listOf(channelEntries(f.channels, layerIndex_, sizes), f.channelDefault, channelIndex_, channelMax_);
    if (f.readFirst)
        readFirst_ = true;
    valueChanged_ = false;
    choiceMade();
}

void ProtocolTool::choiceMade() {
    rebuildPending_ = true;
    tmr1Running_ = false;
}

void ProtocolTool::cbinput_Click(int index) {
    valueChosen(index);
    tmr1Running_ = false;
}

void ProtocolTool::valueChosen(int index) {
    if (!cbinput_.shown || index < 0 || index > valueMax_)
        return;
    valueIndex_ = index;
    cbinput_.selected = index;
    valueChanged_ = true;
    rebuildPending_ = true;
}

void ProtocolTool::cboutput_Click(int index) {
    if (!cboutput_.shown || index < 0 || index > channelMax_)
        return;
    channelIndex_ = index;
    cboutput_.selected = index;
    valueChanged_ = false;
    if (functionIndex_ == 2 && audioMonitor())
        MonitorInput();
    choiceMade();
    readFirst_ = true;
}

void ProtocolTool::udin_UpClick() {
    cbinput_Click(valueIndex_ + 1 > valueMax_ ? 0 : valueIndex_ + 1);
}

void ProtocolTool::udin_DownClick() {
    cbinput_Click(valueIndex_ - 1 < 0 ? valueMax_ : valueIndex_ - 1);
}

void ProtocolTool::udout_UpClick() {
    cboutput_Click(channelIndex_ + 1 > channelMax_ ? 0 : channelIndex_ + 1);
}

void ProtocolTool::udout_DownClick() {
    cboutput_Click(channelIndex_ - 1 < 0 ? channelMax_ : channelIndex_ - 1);
}

// Only the labels change: a new radix is no reason to send the message again.
void ProtocolTool::optdec_Click() {
    settings_.hexDisplay = 0;
    showFrame();
}

void ProtocolTool::opthex_Click() {
    settings_.hexDisplay = 1;
    showFrame();
}

void ProtocolTool::cmdsend_Click() {
    SendMessage();
}

void ProtocolTool::chksend_Click(bool ticked) {
    chksendTicked_ = ticked;
}

void ProtocolTool::chkaudiomonitor_Click(bool ticked) {
    settings_.audioMonitor = ticked ? kAudioMonitorTicked : 0;
}

void ProtocolTool::cmdport_Click() {
    const int choice = prompt_.choiceBox(text(TextId::PortChoice), settings_.portNumber);
    if (choice < kFirstPort || choice > kLastPort)
        return;
    settings_.portNumber = choice;
    channel_.reset();
    OpenPort();
}

void ProtocolTool::cmdcyclique_Click() {
    tmr1Running_ = !tmr1Running_;
}

// The timer steps on through the value list until its button is released or the user makes a choice; only
// a user's change stops it.
void ProtocolTool::tmr1_Timer() {
    if (!tmr1Running_)
        return;
    valueChosen(valueIndex_ - 1 < 0 ? valueMax_ : valueIndex_ - 1);
}

void ProtocolTool::cmdsendsalve_Click() {
    continuousSending_ = !continuousSending_;
    cmdsendsalveCaption_ = text(continuousSending_ ? TextId::StopSendingSalve : TextId::SendContinuously);
}

void ProtocolTool::frm1_Close() {
    continuousSending_ = false;
    cmdsendsalveCaption_ = text(TextId::SendContinuously);
    tmr1Running_ = false;
    settings_.functionIndex = functionIndex_;
    settings_.layerIndex = layerIndex_;
    settings_.valueIndex = valueIndex_;
    settings_.channelIndex = channelIndex_;
    const std::string error = WriteToolSettings(folder_, settings_);
    if (!error.empty())
        prompt_.messageBox(caption(TextId::CannotWrite, language_, {settingsPath(folder_), error}));
    channel_.reset();
}

void ProtocolTool::BuildMessage() {
    const Message m = buildMessage(functionIndex_, layerIndex_, valueIndex_, channelIndex_, readFirst_);
    modeByte_ = m.modeByte;
    outputByte_ = m.outputByte;
    inputByte_ = m.inputByte;
    statusText_ = text(m.statusText);
    showFrame();
    cmdsendPressed_ = true;
    if ((chksendTicked_ && valueChanged_) || readFirst_)
        SendMessage();
    // After a read the next pass builds the message the user is making.
    if (!readFirst_)
        rebuildPending_ = false;
    readFirst_ = false;
}

void ProtocolTool::showFrame() {
    const auto bytes = message();
    for (std::size_t i = 0; i < bytes.size(); ++i)
        frameLabels_[i] = byteText(bytes[i], hexDisplay());
}

void ProtocolTool::SendMessage() {
    if (!continuousSending_ || sendCounter_ == 0)
        replyLabels_.fill(kBlank);
    else
        cmdsendsalveCaption_ = sendCounter_ > kCaptionBlinkOff ? text(TextId::StopSendingSalve) : "";
    if (++sendCounter_ > kCounterWrap)
        sendCounter_ = 0;
    cmdsendPressed_ = false;
    sendingStatus_ = caption(TextId::SentAt, language_, {statusText_, clock_.timeOfDay()});
    if (!channel_)
        return;
    // A serial port takes a message no faster than the line carries it; a pseudo-terminal or a socket would
    // take them at once, and continuous sending would then pile up more messages than the matrix can get.
    clock_.waitUntil(lineFreeMicros_);
    lineFreeMicros_ = clock_.nowMicros() + kMessageWireMicros;
    // A byte that cannot leave means a stuck line: the rest would each wait out the write time-out too.
    for (std::uint8_t byte : message()) {
        if (!channel_->writeByte(byte))
            return;
    }
}

void ProtocolTool::ShowReply(const std::array<std::uint8_t, kReplySize>& reply) {
    for (std::size_t i = 0; i < reply.size(); ++i)
        replyLabels_[i] = i > 0 && reply[i] == kNothing ? kBlank : byteText(reply[i], hexDisplay());
    // The value the matrix reports becomes the value to change from. The VCA setup comes back as it is
    // sent, the power-on mode in the high four bits and the slope in the low four: taken whole, a setup of
    // slope 1 would read as the second power-on mode.
    if (reply[3] == kNothing)
        return;
    const bool setup = function().normal.data == DataForm::Setup;
    const int value = setup ? reply[3] >> 4 : reply[3];
    const int slope = reply[3] & 0x0F;
    bool changed = false;
    if (value <= valueMax_ && cbinput_.shown && value != valueIndex_) {
        valueIndex_ = value;
        cbinput_.selected = value;
        changed = true;
    }
    if (setup && slope <= channelMax_ && slope != channelIndex_) {
        channelIndex_ = slope;
        cboutput_.selected = slope;
        changed = true;
    }
    // An answer that comes after the message was built would otherwise leave a message that no longer
    // matches the lists, and Send would send a value the window does not show. It is not sent from here.
    if (changed && !rebuildPending_) {
        const Message m = buildMessage(functionIndex_, layerIndex_, valueIndex_, channelIndex_, false);
        inputByte_ = m.inputByte;
        showFrame();
    }
}

void ProtocolTool::MonitorInput() {
    modeByte_ = 'A';
    outputByte_ = kAudioMonitorOutput;
    inputByte_ = static_cast<std::uint8_t>(channelIndex_);
    SendMessage();
}

std::array<std::string, 5> ProtocolTool::statusPanels() const {
    const auto size = [this](TextId name, int inputs, int outputs) {
        return text(name) + std::to_string(inputs) + " x " + std::to_string(outputs);
    };
    const ToolSettings& s = settings_;
    return {size(TextId::PanelVideo, s.videoInputs, s.videoOutputs),
            size(TextId::PanelAudio, s.audioInputs, s.audioOutputs),
            size(TextId::PanelRgb, s.rgbInputs, s.rgbOutputs), size(TextId::PanelYc, s.ycInputs, s.ycOutputs),
            sendingStatus_};
}

} // namespace rl4::tester

#include "assign/input_levels.h"

#include "link/layer.h"
#include "text/number_text.h"

namespace rl4 {

namespace {

constexpr int kGainUnityLevel = 26;
constexpr int kDecibelsPerStep = 3;

constexpr int kMessageLocked = 36;
constexpr int kMessageAdjustment = 44;
constexpr int kMessageAllBalanced = 99;
constexpr int kMessageAllUnbalanced = 100;
constexpr int kMessageAdjustAll = 107;

// The choice offers 17 gains from +15 dB down in 3 dB steps: button k (from 1) is level 32 - k.
constexpr const char* kGainChoices = "| +15dB| +12dB| +9dB| +6dB| +3dB| 0dB| -3dB| -6dB| -9dB| -12dB| -15dB| "
                                     "-18dB| -21dB| -24dB| -27dB| -30dB|"
                                     " -33dB";
constexpr int kGainChoiceCount = 17;

constexpr int kAudioMachine = 1;
constexpr int kGainReadCode = 25;
constexpr int kGainSetCode = 22;
// In the 4-byte form the gain read selects the input gain (1) rather than the VCA (0).
constexpr int kGainReadSelector = 1;
constexpr int kBalancedFourByte = 32;
constexpr int kUnbalancedFourByte = 96;
constexpr int kBalancedFiveByte = 0;
constexpr int kUnbalancedFiveByte = 1;

struct Caption {
    const char* english;
    const char* french;
};
constexpr Caption kNoAdjustment{"no adjustment", "pas de réglage"};
constexpr Caption kBalancedCaption{"Balanced", "Symétrique"};
constexpr Caption kUnbalancedCaption{"Unbalanced", "Asymétrique"};
constexpr Caption kMonitorLabel{"Audio Monitoring = ", "Moniteur audio = "};

std::string caption(const Caption& text, const MessageTable& messages) {
    return messages.language() == kLanguageFrench ? text.french : text.english;
}

bool validRecord(int row, int count) {
    return row >= 1 && row <= usableCount(count);
}

} // namespace

std::string inputGainText(int level) {
    if (level == 0)
        return "-oo dB";
    return numberText((level - kGainUnityLevel) * kDecibelsPerStep) + " dB";
}

InputLevels::InputLevels(Link& link, Assignments& assignments, MessageTable& messages, Prompt& prompt,
                         EditorMenu& menu, const int& currentRow)
    : link_(link), assignments_(assignments), messages_(messages), prompt_(prompt), menu_(menu),
      currentRow_(currentRow) {}

void InputLevels::sendForInput(const Instruction& instruction, int audioInput) {
    if (fiveByte())
        link_.SendCommand({instruction.letter, 0, 0, audioInput, instruction.fiveByteValue});
    else
        link_.SendCommand({0, instruction.code, kAudioMachine, instruction.first, audioInput});
}

void InputLevels::sendGain(int level, int audioInput) {
    sendForInput({'L', level, kGainSetCode, level}, audioInput);
}

void InputLevels::sendMode(bool balanced, int audioInput) {
    sendForInput({'G', balanced ? kBalancedFiveByte : kUnbalancedFiveByte, kGainSetCode,
                  balanced ? kBalancedFourByte : kUnbalancedFourByte},
                 audioInput);
}

std::string InputLevels::modeCaption(bool balanced) const {
    return caption(balanced ? kBalancedCaption : kUnbalancedCaption, messages_);
}

void InputLevels::lockAndHide() {
    selectedInput_ = NotAssigned;
    controlsVisible_ = false;
    controlsEnabled_ = false;
    for (int id = editor_menu::kBalanced; id <= editor_menu::kAdjustAll; ++id)
        menu_.setEnabled(id, false);
    menu_.setChecked(editor_menu::kBalanced, false);
    menu_.setChecked(editor_menu::kUnbalanced, false);
    menu_.setChecked(editor_menu::kAdjustmentsEnable, false);
    lblvolagnHint_ = messages_.text(kMessageLocked);
}

void InputLevels::setLocked(bool locked) {
    menu_.setChecked(editor_menu::kAdjustmentsEnable, !locked);
    lblvolagnHint_ = messages_.text(locked ? kMessageLocked : kMessageAdjustment);
    sliagnHint_ = lblvolagnHint_;
    controlsEnabled_ = !locked;
    for (int id : {editor_menu::kBalanced, editor_menu::kUnbalanced, editor_menu::kAllBalanced,
                   editor_menu::kAllUnbalanced, editor_menu::kAdjustAll})
        menu_.setEnabled(id, !locked);
}

void InputLevels::toggleAdjustments() {
    setLocked(menu_.checked(editor_menu::kAdjustmentsEnable));
}

void InputLevels::sourceRowClicked() {
    menu_.setEnabled(editor_menu::kAdjustmentsEnable, true);
    menu_.setEnabled(editor_menu::kAudioMonitor, false);

    const AssignmentTable& edit = assignments_.editTable;
    const int input = validRecord(currentRow_, edit.sourceCount)
                          ? edit.sources[static_cast<std::size_t>(currentRow_)].Ain
                          : NotAssigned;
    // Input 0 is the matrix's no-source input: it has no gain or mode to set, but it can feed the monitor.
    selectedInput_ = input == 0 ? NotAssigned : input;
    controlsVisible_ = selectedInput_ != NotAssigned;
    if (controlsVisible_) {
        sliagn_ = kGainMinimum;
        menu_.setChecked(editor_menu::kBalanced, false);
        menu_.setChecked(editor_menu::kUnbalanced, false);
        cmdbal_ = caption(kNoAdjustment, messages_);
        sendForInput({'l', 0, kGainReadCode, kGainReadSelector}, input);
        // The 4-byte gain answer carries the mode; the 4-byte form has no mode read.
        if (fiveByte())
            sendForInput({'g', 0, 0, 0}, input);
    }

    if (input == NotAssigned || audioMonitorDest_ < 1 || audioMonitorDest_ > kMaxObjects)
        return;
    const auto monitor = static_cast<std::size_t>(audioMonitorDest_);
    const int monitorOutput = edit.destinations[monitor].Aou;
    if (assignments_.activeTable.destinations[monitor].Aou == NotAssigned || monitorOutput == NotAssigned)
        return;
    const LayerCodes audio = layerCodes(Layer::Audio);
    link_.SendCommand({audio.switchLetter, audio.switchCode, audio.switchMachine, monitorOutput, input});
}

void InputLevels::otherRowClicked(bool destinationsView) {
    selectedInput_ = NotAssigned;
    menu_.setChecked(editor_menu::kAdjustmentsEnable, false);
    for (int id : {editor_menu::kAdjustmentsEnable, editor_menu::kBalanced, editor_menu::kUnbalanced,
                   editor_menu::kAdjustAll})
        menu_.setEnabled(id, false);
    controlsEnabled_ = false;
    controlsVisible_ = false;
    if (!destinationsView)
        return;
    const AssignmentTable& active = assignments_.activeTable;
    const bool hasAudio = currentRow_ >= 1 && currentRow_ <= kMaxObjects &&
                          active.destinations[static_cast<std::size_t>(currentRow_)].Aou != NotAssigned;
    menu_.setEnabled(editor_menu::kAudioMonitor, hasAudio);
}

// The slider goes back to its bottom until the matrix confirms the level it took.
void InputLevels::sliagn_Change(int value) {
    if (!controlsEnabled_ || value < kGainMinimum || value > kGainMaximum)
        return;
    sliagn_ = kGainMinimum;
    if (selectedInput_ != NotAssigned)
        sendGain(value, selectedInput_);
}

void InputLevels::setMode(bool balanced) {
    menu_.setChecked(editor_menu::kBalanced, false);
    menu_.setChecked(editor_menu::kUnbalanced, false);
    if (selectedInput_ != NotAssigned)
        sendMode(balanced, selectedInput_);
}

void InputLevels::cmdbal_Click() {
    if (!controlsEnabled_)
        return;
    if (menu_.checked(editor_menu::kBalanced))
        setMode(false);
    else if (menu_.checked(editor_menu::kUnbalanced))
        setMode(true);
}

void InputLevels::setAllModes(bool balanced) {
    const int question = balanced ? kMessageAllBalanced : kMessageAllUnbalanced;
    if (prompt_.messageBox(messages_.text(question), PromptButtons::YesNo, kProgramTitle,
                           PromptIcon::Question) != kAnswerYes)
        return;
    const AssignmentTable& active = assignments_.activeTable;
    for (int s = 1; s <= usableCount(active.sourceCount); ++s) {
        const int input = active.sources[static_cast<std::size_t>(s)].Ain;
        if (input != NotAssigned)
            sendMode(balanced, input);
    }
}

void InputLevels::adjustAll() {
    if (prompt_.messageBox(messages_.text(kMessageAdjustAll), PromptButtons::YesNo, kProgramTitle,
                           PromptIcon::Question) != kAnswerYes)
        return;
    const int button = prompt_.choiceBox(messages_.text(kMessageAdjustment) + kGainChoices, kProgramTitle, 1,
                                         PromptIcon::None);
    if (button < 1 || button > kGainChoiceCount)
        return;
    const int level = kGainMaximum + 1 - button;
    sliagn_ = level;
    const AssignmentTable& active = assignments_.activeTable;
    for (int s = 1; s <= usableCount(active.sourceCount); ++s) {
        const int input = active.sources[static_cast<std::size_t>(s)].Ain;
        if (input != NotAssigned)
            sendGain(level, input);
    }
}

void InputLevels::clearAudioMonitor() {
    audioMonitorDest_ = NotAssigned;
    audioMonitorVisible_ = false;
}

void InputLevels::selectAudioMonitor() {
    if (currentRow_ < 1 || currentRow_ > kMaxObjects)
        return;
    audioMonitorDest_ = currentRow_;
    lblaudiomonitor_ = caption(kMonitorLabel, messages_) +
                       assignments_.activeTable.destinations[static_cast<std::size_t>(currentRow_)].name;
    audioMonitorVisible_ = true;
}

void InputLevels::gainReported(int level) {
    if (level < kGainMinimum || level > kGainMaximum)
        return;
    sliagn_ = level;
    lblvolagn_ = inputGainText(level);
}

void InputLevels::modeReported(bool balanced) {
    menu_.setChecked(editor_menu::kBalanced, balanced);
    menu_.setChecked(editor_menu::kUnbalanced, !balanced);
    cmdbal_ = modeCaption(balanced);
}

} // namespace rl4

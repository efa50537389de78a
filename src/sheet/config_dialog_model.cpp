#include "sheet/config_dialog_model.h"

#include "text/number_text.h"

#include <algorithm>
#include <utility>

namespace rl4 {

namespace {

constexpr int kPortSelectedMessage = 16;
constexpr int kSlopeStepsPerSecond = 5;

constexpr int kReadSetupLetter = 'p';
constexpr int kReadSetupCode = 61;
constexpr int kWriteSetupLetter = 'P';
constexpr int kWriteSetupCode = 57;
constexpr int kVcaSetupMachine = 1;
// The 4-byte form shares its codes with other functions: data 1 on code 61 selects the VCA setup, data 3
// on code 57 its writing.
constexpr int kReadSetupSelector = 1;
constexpr int kWriteSetupSelector = 3;

constexpr int kPowerOnMin = 16;
constexpr int kPowerOnMem = 32;

VcaPowerOn powerOnOf(int vcaSetup) {
    if (vcaSetup >= kPowerOnMem)
        return VcaPowerOn::Mem;
    if (vcaSetup >= kPowerOnMin)
        return VcaPowerOn::Min;
    return VcaPowerOn::Max;
}

int powerOnBits(VcaPowerOn powerOn) {
    switch (powerOn) {
    case VcaPowerOn::Min:
        return kPowerOnMin;
    case VcaPowerOn::Mem:
        return kPowerOnMem;
    case VcaPowerOn::Max:
        break;
    }
    return 0;
}

} // namespace

std::string slopeText(int slope) {
    // Fifths of a second have one decimal digit, so the seconds are written exactly, without a fraction
    // when there is none.
    std::string seconds = numberText(slope / kSlopeStepsPerSecond);
    if (const int fifths = slope % kSlopeStepsPerSecond; fifths != 0)
        seconds += "." + std::to_string(fifths * 2);
    return "VCA slope = " + seconds + " Sec";
}

ConfigDialogModel::ConfigDialogModel(Link& link, Settings& settings, MessageTable& messages,
                                     std::function<void()> storeStatus)
    : link_(link), settings_(settings), messages_(messages), storeStatus_(std::move(storeStatus)) {}

void ConfigDialogModel::frmconfig_Load() {
    lbcom_.clear();
    for (int port = 1; port <= kHighestPort; ++port)
        lbcom_.push_back("COM" + numberText(port));
    const int port = link_.portNumber();
    const bool listed = port >= 1 && port <= kHighestPort;
    lbcomIndex_ = listed ? port - 1 : -1;
    if (port > 0)
        showPort(port);
    if (ports_)
        ports_->load(port);

    if (link_.protocolLength() == 4 || link_.protocolLength() == 5)
        protocolChoice_ = link_.protocolLength();
    if (settings_.language == kLanguageEnglish || settings_.language == kLanguageFrench)
        languageChoice_ = settings_.language;

    // The answer, if one comes, lands in settings_.vcaSetup through the reply rules.
    link_.SendCommand({kReadSetupLetter, kReadSetupCode, kVcaSetupMachine, kReadSetupSelector, 0});
    slislope_Change(settings_.vcaSetup & kSlopeMaximum);
    powerOn_ = powerOnOf(settings_.vcaSetup);
    visible_ = true;
    changed();
}

void ConfigDialogModel::lbcom_Click(int index) {
    if (index < 0 || index >= kHighestPort)
        return;
    lbcomIndex_ = index;
    showPort(index + 1);
    if (ports_)
        ports_->choosePort(index + 1);
    link_.closePort();
    link_.setPortNumber(index + 1);
    link_.OpenPort();
    changed();
}

void ConfigDialogModel::slislope_Change(int value) {
    slislope_ = std::clamp(value, 0, kSlopeMaximum);
    lblslope_ = slopeText(slislope_);
    changed();
}

void ConfigDialogModel::confok_Click() {
    link_.setProtocolLength(protocolChoice_ == 5 ? 5 : 4);
    settings_.language = languageChoice_ == kLanguageFrench ? kLanguageFrench : kLanguageEnglish;
    settings_.languageChosen = true;
    messages_.setLanguage(settings_.language);
    settings_.vcaSetup = (slislope_ & kSlopeMaximum) + powerOnBits(powerOn_);

    const bool fiveByte = link_.protocolLength() == 5;
    link_.SendCommand({kWriteSetupLetter, kWriteSetupCode, kVcaSetupMachine,
                       fiveByte ? 0 : kWriteSetupSelector, settings_.vcaSetup});
    if (storeStatus_)
        storeStatus_();
    visible_ = false;
    changed();
}

void ConfigDialogModel::confcncl_Click() {
    visible_ = false;
    changed();
}

void ConfigDialogModel::showPort(int port) {
    messages_.MessageText(kPortSelectedMessage);
    frcom_ = messages_.part(TextPart::A) + numberText(port) + messages_.part(TextPart::B);
}

void ConfigDialogModel::changed() {
    if (listener_)
        listener_->configDialogChanged();
}

} // namespace rl4

#include "sheet/vca_panel.h"

#include "text/number_text.h"
#include "text/text_fields.h"

#include <algorithm>

namespace rl4 {

namespace {

constexpr int kDecibelsPerStep = 3;

constexpr int kSetLetter = 'N';
constexpr int kReadLetter = 'n';
constexpr int kSetCode = 21;
constexpr int kReadCode = 25;
constexpr int kVcaMachine = 1;

// The two forms carry the pair in opposite orders: the output first in the 5-byte form, the level (or the
// read selector) first in the 4-byte one.
void sendVcaInstruction(Link& link, int letter, int code, int output, int value) {
    const bool fiveByte = link.protocolLength() == 5;
    link.SendCommand({letter, code, kVcaMachine, fiveByte ? output : value, fiveByte ? value : output});
}

} // namespace

std::string vcaLevelText(int level) {
    if (level == kVcaMinimum)
        return "-oo dB";
    return numberText((level - kVcaMaximum) * kDecibelsPerStep) + " dB";
}

VcaPanel::VcaPanel(Link& link, const Assignments& assignments) : link_(link), assignments_(assignments) {}

const Destination* VcaPanel::record(int d) const {
    if (d < 0 || d > kMaxObjects)
        return nullptr;
    return &assignments_.activeTable.destinations[static_cast<std::size_t>(d)];
}

int VcaPanel::audioOutput(int d) const {
    const Destination* destination = record(d);
    return destination ? destination->Aou : NotAssigned;
}

void VcaPanel::SelectVcaDestination(int d) {
    destination_ = d;
    showName();
    output_ = audioOutput(d);
    enabled_ = output_ != NotAssigned;
    // A disabled slider left at the previous destination's level would pass it off as this one's.
    sli1_ = kVcaMinimum;
    if (!enabled_) {
        changed();
        return;
    }
    ShowVcaLevel();
    sendVcaInstruction(link_, kReadLetter, kReadCode, output_, 0);
}

void VcaPanel::assignmentChanged() {
    if (destination_ == 0)
        return;
    if (audioOutput(destination_) != output_) {
        SelectVcaDestination(destination_);
        return;
    }
    showName();
}

void VcaPanel::showName() {
    const Destination* destination = record(destination_);
    volsrc_ = destination ? std::string(trimBlanks(destination->name)) : std::string();
    if (listener_)
        listener_->statusTextChanged(volsrc_);
}

void VcaPanel::ShowVcaLevel() {
    volpourcent_ = vcaLevelText(sli1_);
    changed();
}

void VcaPanel::levelReported(int level) {
    sli1_ = std::clamp(level, kVcaMinimum, kVcaMaximum);
    ShowVcaLevel();
}

void VcaPanel::sli1_Change(int value) {
    const int output = audioOutput(destination_);
    if (output == NotAssigned)
        return;
    sli1_ = std::clamp(value, kVcaMinimum, kVcaMaximum);
    changed();
    sendVcaInstruction(link_, kSetLetter, kSetCode, output, sli1_);
}

void VcaPanel::cmdslimin_Click() {
    sli1_Change(kVcaMinimum);
}

void VcaPanel::cmdslimax_Click() {
    sli1_Change(kVcaMaximum);
}

void VcaPanel::SetAllVca(int level) {
    const AssignmentTable& table = assignments_.activeTable;
    const int count = usableCount(table.destinationCount);
    for (int d = 1; d <= count; ++d) {
        const int output = table.destinations[static_cast<std::size_t>(d)].Aou;
        if (output != NotAssigned)
            sendVcaInstruction(link_, kSetLetter, kSetCode, output, level);
    }
}

void VcaPanel::changed() {
    if (listener_)
        listener_->vcaPanelChanged();
}

} // namespace rl4

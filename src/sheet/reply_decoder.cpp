#include "sheet/reply_decoder.h"

#include "assign/input_levels.h"

#include <algorithm>

namespace rl4 {

namespace {

constexpr int kGainLevels = 32;

int usable(int count) {
    return std::clamp(count, 0, kMaxObjects);
}

} // namespace

ReplyDecoder::ReplyDecoder(const AssignmentTable& activeTable, RoutingTable& routing, SwitchingSheet& sheet,
                           StoreButton& storeButton, int& vcaSetup, SheetListener& listener)
    : table_(activeTable), routing_(routing), sheet_(sheet), storeButton_(storeButton), vcaSetup_(vcaSetup),
      listener_(listener) {}

int ReplyDecoder::destinationOn(Layer layer, int output) const {
    for (int d = 1; d <= usable(table_.destinationCount); ++d) {
        if (table_.destinations[static_cast<std::size_t>(d)].output(layer) == output)
            return d;
    }
    return 0;
}

int ReplyDecoder::sourceOn(Layer layer, int input) const {
    for (int s = 1; s <= usable(table_.sourceCount); ++s) {
        if (table_.sources[static_cast<std::size_t>(s)].input(layer) == input)
            return s;
    }
    return 0;
}

// An input that two sources share cannot say which of them the matrix routes, so such a report is left
// out rather than guessed.
void ReplyDecoder::routingReport(Layer layer, int output, int input) {
    const int d = destinationOn(layer, output);
    const int s = sourceOn(layer, input);
    if (d == 0 || s == 0)
        return;
    for (int t = s + 1; t <= usable(table_.sourceCount); ++t) {
        if (table_.sources[static_cast<std::size_t>(t)].input(layer) == input)
            return;
    }
    routing_.wanted(layer, d) = s;
    routing_.held(layer, d) = s;
    sheet_.UpdateSheetRow(d, s);
    listener_.routingReported(layer, d, s);
}

// The panel shows one destination only; levels of the others are not kept anywhere.
void ReplyDecoder::vcaReport(int output, int level) {
    const int d = destinationOn(Layer::Audio, output);
    if (d != 0 && d == sheet_.currentDestination() && showVcaLevel)
        showVcaLevel(level);
    if (d != 0)
        listener_.vcaReported(d, level);
}

void ReplyDecoder::gainReport(int level, std::optional<bool> balanced) {
    if (level < 0 || level >= kGainLevels)
        return;
    if (showInputGain)
        showInputGain(level);
    listener_.inputGainChanged(level, inputGainText(level));
    if (balanced)
        inputModeReport(*balanced);
}

void ReplyDecoder::inputModeReport(bool balanced) {
    if (showInputMode)
        showInputMode(balanced);
    listener_.inputModeChanged(balanced);
}

void ReplyDecoder::vcaSetupReport(int value) {
    vcaSetup_ = value;
}

void ReplyDecoder::storeReport() {
    storeButton_.setEnabled(false);
}

} // namespace rl4

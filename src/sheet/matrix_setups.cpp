#include "sheet/matrix_setups.h"

#include "text/number_text.h"

#include <string>

namespace rl4 {

namespace {

constexpr int kSetups = 7;
constexpr int kStoreLetter = 'S';
constexpr int kStoreFiveByteData = 'S';
constexpr int kStoreCode = 3;
constexpr int kRecallCode = 4;
constexpr int kSetupMachine = 1;
constexpr int kStoreData = 0;
constexpr int kDeleteData = 1;
constexpr int kRecallData = 0;
constexpr int kMessageStoreOrDelete = 106;
constexpr int kAnswerStore = 1;
constexpr int kAnswerDelete = 2;

bool fourByteForm(const Link& link) {
    return link.protocolLength() == 4;
}

} // namespace

MatrixSetups::MatrixSetups(Link& link, StoreButton& storeButton, StatusReader& statusReader,
                           MessageTable& messages, Prompt& prompt)
    : link_(link), storeButton_(storeButton), statusReader_(statusReader), messages_(messages),
      prompt_(prompt) {}

void MatrixSetups::StoreStatus() {
    const bool fiveByte = link_.protocolLength() == 5;
    const int data = fiveByte ? kStoreFiveByteData : kStoreData;
    link_.SendCommand({kStoreLetter, kStoreCode, kSetupMachine, data, data});
}

int MatrixSetups::askSetup(const char* promptText) {
    std::string choices = promptText;
    for (int n = 1; n <= kSetups; ++n)
        choices += "|Setup#" + std::to_string(n);
    choices += "|Cancel";
    const int answer = prompt_.choiceBox(choices, kProgramTitle, 1, PromptIcon::None);
    return answer > 0 && answer <= kSetups ? answer : 0;
}

// The 4-byte form only: the letter of the instruction before stays, as it was never the setup's.
void MatrixSetups::sendSetupCommand(int code, int data1, int setup) {
    link_.SendCommand({link_.commandParams().cmdLetter, code, kSetupMachine, data1, setup});
}

void MatrixSetups::storeToSetup() {
    if (!fourByteForm(link_))
        return;
    const int setup = askSetup("Store status to:");
    if (setup == 0)
        return;
    const int action =
        prompt_.choiceBox("Setup#" + numberText(setup) + "|" + messages_.text(kMessageStoreOrDelete),
                          kProgramTitle, 1, PromptIcon::Question);
    if (action == kAnswerStore)
        storeSetup(setup);
    else if (action == kAnswerDelete)
        deleteSetup(setup);
}

void MatrixSetups::recallFromSetup() {
    if (!fourByteForm(link_))
        return;
    if (const int setup = askSetup("Recall status from:"))
        recallSetup(setup);
}

void MatrixSetups::storeSetup(int n) {
    if (fourByteForm(link_) && n >= 1 && n <= kSetups)
        sendSetupCommand(kStoreCode, kStoreData, n);
}

void MatrixSetups::deleteSetup(int n) {
    if (fourByteForm(link_) && n >= 1 && n <= kSetups)
        sendSetupCommand(kStoreCode, kDeleteData, n);
}

void MatrixSetups::recallSetup(int n) {
    if (!fourByteForm(link_) || n < 1 || n > kSetups)
        return;
    sendSetupCommand(kRecallCode, kRecallData, n);
    storeButton_.setEnabled(true);
    statusReader_.ReadMatrixStatus();
}

} // namespace rl4

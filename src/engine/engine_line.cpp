#include "engine/engine.h"
#include "link/matrix_search.h"

#include <utility>

namespace rl4 {

namespace {

// The channel's words for why a line went, and the messages that say them in the language in force;
// other reasons are the system's own text.
constexpr std::pair<const char*, int> kReasons[] = {
    {ByteChannel::kHungUp, kMessageLineHungUp},
    {ByteChannel::kDeviceRemoved, kMessageLineDeviceRemoved},
    {ByteChannel::kClosedByPeer, kMessageLineClosedByPeer},
    {ByteChannel::kConnectionReset, kMessageLineReset},
};

std::string reasonText(MessageTable& messages, const std::string& reason) {
    for (const auto& [words, number] : kReasons)
        if (reason == words)
            return messages.text(number);
    return reason;
}

// Part A, the reason, part B.
std::string withReason(MessageTable& messages, int number, const std::string& reason) {
    const std::string why = reasonText(messages, reason);
    messages.MessageText(number);
    return messages.part(TextPart::A) + why + messages.part(TextPart::B);
}

} // namespace

void Engine::lineRestored() {
    link_.markOffLine();
    link_.lblonline_Click();
    requestVcaSetup(link_);
    statusReader_.ReadMatrixStatus();
    sheet_.FillSheet();
    // Another matrix may stand behind the port now.
    matrixLabel_ = messages_.text(kMessageMatrix) + " N°" + link_.matrixIdentity();
    setTitle();
    vca_.SelectVcaDestination(sheet_.currentDestination());
    listener_.switcherChanged();
}

std::string Engine::lineLostText() {
    return withReason(messages_, kMessageLineLost, link_.lineLostReason());
}

std::string Engine::commandRefusedText() {
    return withReason(messages_, kMessageCommandRefused, link_.lineLostReason());
}

} // namespace rl4

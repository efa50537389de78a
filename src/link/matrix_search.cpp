#include "link/matrix_search.h"

#include <algorithm>

namespace rl4 {

namespace {

constexpr int kLastSearchedPort = 8;

void sendRequest(Link& link, int letter, int data1, int data2) {
    link.SendCommand({letter, 61, 1, data1, data2});
}

} // namespace

void requestIdentity(Link& link) {
    sendRequest(link, 'x', link.protocolLength() == 5 ? 120 : 0, link.protocolLength() == 5 ? 120 : 0);
}

void requestVcaSetup(Link& link) {
    sendRequest(link, 'p', 1, 0);
}

bool matrixAnswered(const Link& link) {
    return link.matrixIdentity() != kNoMatrixIdentity;
}

SearchOutcome identifyMatrix(Link& link, LinkListener* listener) {
    SearchOutcome outcome;
    const auto passedOverInUse = [&](int port) {
        const auto holder = inUseHolder(link.portFailure());
        if (!holder)
            return false;
        if (std::ranges::none_of(outcome.portsInUse,
                                 [port](const PortHolder& p) { return p.port == port; })) {
            outcome.portsInUse.push_back({port, *holder});
            if (listener)
                listener->portInUse(port, *holder);
        }
        return true;
    };
    link.forgetIdentity();
    if (!passedOverInUse(link.portNumber()))
        requestIdentity(link);
    if (!matrixAnswered(link)) {
        if (listener)
            listener->portSearchStarted();
        for (int port = 1; port <= kLastSearchedPort && !matrixAnswered(link); ++port) {
            if (listener)
                listener->portSearchProgress(port);
            link.closePort();
            link.setPortNumber(port);
            link.OpenPort();
            if (passedOverInUse(port))
                continue;
            for (int length : {4, 5}) {
                link.setProtocolLength(length);
                requestIdentity(link);
                if (matrixAnswered(link))
                    break;
            }
        }
        if (listener)
            listener->portSearchFinished();
    }

    outcome.found = matrixAnswered(link);
    outcome.noPortAvailable = link.portError() && link.portNumber() != 0;
    link.markOffLine();
    if (outcome.found) {
        link.lblonline_Click();
        requestVcaSetup(link);
    } else {
        link.closePort();
        link.setPortNumber(0);
        link.setProtocolLength(4);
    }
    return outcome;
}

} // namespace rl4

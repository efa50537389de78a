#include "link/matrix_search.h"

namespace rl4 {

namespace {

constexpr int kLastSearchedPort = 8;

void sendRequest(Link& link, int letter, int data1, int data2) {
    link.cmd.cmdLetter = letter;
    link.cmd.cmdCode = 61;
    link.cmd.cmdMachine = 1;
    link.cmd.cmdData1 = data1;
    link.cmd.cmdData2 = data2;
    link.SendCommand();
}

} // namespace

void requestIdentity(Link& link) {
    sendRequest(link, 'x', link.protocolLength == 5 ? 120 : 0, link.protocolLength == 5 ? 120 : 0);
}

void requestVcaSetup(Link& link) {
    sendRequest(link, 'p', 1, 0);
}

bool matrixAnswered(const Link& link) {
    return link.matrixIdentity != kNoMatrixIdentity;
}

SearchOutcome identifyMatrix(Link& link, LinkListener* listener) {
    link.matrixIdentity = kNoMatrixIdentity;
    requestIdentity(link);
    if (!matrixAnswered(link)) {
        if (listener)
            listener->portSearchStarted();
        for (int port = 1; port <= kLastSearchedPort && !matrixAnswered(link); ++port) {
            if (listener)
                listener->portSearchProgress(port);
            link.closePort();
            link.portNumber = port;
            link.OpenPort();
            for (int length : {4, 5}) {
                link.protocolLength = length;
                requestIdentity(link);
                if (matrixAnswered(link))
                    break;
            }
        }
        if (listener)
            listener->portSearchFinished();
    }

    SearchOutcome outcome;
    outcome.found = matrixAnswered(link);
    outcome.noPortAvailable = link.portError && link.portNumber != 0;
    link.matrixOnLine = false;
    if (outcome.found) {
        link.lblonline_Click();
        requestVcaSetup(link);
    } else {
        link.closePort();
        link.portNumber = 0;
        link.protocolLength = 4;
    }
    return outcome;
}

} // namespace rl4

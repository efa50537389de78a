#pragma once

#include "link/link.h"
#include "platform/other_process.h"

#include <vector>

namespace rl4 {

// Sends the identity request in the protocol length in force: 'x' 120, 120, or code pair 61, 1 with 0, 0.
void requestIdentity(Link& link);
// Sends the VCA setup request: 'p' 1, 0, or code pair 61, 1 with 1, 0.
void requestVcaSetup(Link& link);

bool matrixAnswered(const Link& link);

struct PortHolder {
    int port = 0;
    OtherProcess holder;
};

struct SearchOutcome {
    bool found = false;
    // The last port tried could not be opened: the operator is told that no port is available.
    bool noPortAvailable = false;
    // The ports another program held, in the order met; none is asked anything.
    std::vector<PortHolder> portsInUse;
};

// Finds the matrix at start-up, on the port already opened from the settings: asks its identity there, and
// when nothing answers, tries ports 1 to 8 with the 4-byte and then the 5-byte form. A matrix found is asked
// to go on line and for its VCA setup; without one the link runs on port 0 (simulation) in the 4-byte form.
// A port another program holds is passed over: its frames would mix with the other program's.
SearchOutcome identifyMatrix(Link& link, LinkListener* listener);

} // namespace rl4

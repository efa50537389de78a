#include "sim/sim_event.h"

namespace rl4::sim {

std::string logLine(const SimEvent& event) {
    const char* prefix = "RX ";
    if (event.kind == SimEvent::Kind::Dropped) {
        prefix = "RX? ";
    } else if (event.kind == SimEvent::Kind::Sent) {
        prefix = "TX ";
    }
    return prefix + hexText(event.bytes);
}

} // namespace rl4::sim

#include "sim/frame_log.h"

namespace rl4::sim {

std::string FrameLog::open(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    file_.open(path, std::ios::out | std::ios::trunc);
    return file_ ? std::string() : "cannot create log file " + path;
}

void FrameLog::record(const SimEvent& event) {
    if (file_.is_open()) {
        file_ << logLine(event) << std::endl;
    }
}

} // namespace rl4::sim

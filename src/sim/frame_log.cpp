#include "sim/frame_log.h"

namespace rl4::sim {

std::string FrameLog::open(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    file_.open(path, std::ios::out | std::ios::trunc);
    return file_ ? std::string() : "cannot create log file " + path;
}

void FrameLog::write(const std::string& line) {
    if (file_.is_open()) {
        file_ << line << std::endl;
    }
}

} // namespace rl4::sim

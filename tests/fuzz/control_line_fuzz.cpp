// The control socket's line parser on any bytes: it must not crash, and whatever it accepts must come back
// the same through quoteControlWord, the way routelane4ctl writes its words.

#include "control/control_line.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const rl4::ControlRequest request = rl4::parseControlLine(line);
    if (!request.error.empty() && !request.words.empty())
        std::abort();
    if (request.error.empty()) {
        std::string again;
        for (const std::string& word : request.words)
            again += rl4::quoteControlWord(word) + ' ';
        if (again.size() <= rl4::kLongestControlLine && rl4::parseControlLine(again).words != request.words)
            std::abort();
    }
    return 0;
}

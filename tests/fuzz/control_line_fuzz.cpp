// The control socket's line parser on any bytes: it must not crash, and whatever it accepts must come back
// the same through quoteControlWord, the way routelane4ctl writes its words.

#include "control/control_line.h"
#include "fuzz_support.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const rl4::ControlRequest request =
        rl4::parseControlLine(std::string_view(reinterpret_cast<const char*>(data), size));
    RL4_FUZZ_CHECK(request.error.empty() || request.words.empty());
    std::string again;
    for (const std::string& word : request.words)
        again += rl4::quoteControlWord(word) + ' ';
    RL4_FUZZ_CHECK(!request.error.empty() || again.size() > rl4::kLongestControlLine ||
                   rl4::parseControlLine(again).words == request.words);
    return 0;
}

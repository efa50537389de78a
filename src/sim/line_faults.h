#pragma once

#include "sim/frame.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <string>

namespace rl4::sim {

// A bad cable and a grumpy matrix, chosen on the command line. Probabilities are per frame, 0 to 1.
struct FaultOptions {
    double drop = 0.0;   // a frame the matrix sends is lost
    double nak = 0.0;    // an instruction is refused as if the matrix were busy
    double garble = 0.0; // one bit of a frame the matrix sends is flipped
    double split = 0.0;  // a frame the matrix sends pauses in its middle
    int delayMillis = 0; // every frame the matrix sends leaves this late
    int refuseEvery = 0; // every Nth instruction is refused; 0 never
    std::optional<std::uint32_t> seed = std::nullopt;

    // True when some fault depends on the random source, so that its seed is worth telling.
    bool random() const { return drop > 0.0 || nak > 0.0 || garble > 0.0 || split > 0.0; }
};

// What the line made of one frame the matrix sent.
struct FaultedFrame {
    Bytes bytes; // as they went out (or would have, when dropped)
    bool dropped = false;
    bool garbled = false;    // one byte of `bytes` differs from the true frame by one bit
    std::size_t splitAt = 0; // 0: in one piece; else the length of the part sent before the pause
};

// The frame log line of a frame sent: "TX 02 56 03 01 03"; "TX-" when it was dropped, "TX~" when a byte was
// changed; a "|" token stands where the pause of a split frame fell ("TX 02 56 | 03 01 03").
std::string logLine(const FaultedFrame& frame);

// The faults of one run. Everything random comes from one generator, drawn in the order the frames come,
// so that a run against the same client with the same seed repeats exactly. The draws use the raw
// generator output (fully defined by the standard), not the library's distributions, so a seed also
// repeats across builds.
class LineFaults {
public:
    // The pause in a split frame. A reader whose interval time-out is 30 ms sees it even when it is woken
    // 15 ms late; and it stays below the 50 ms a reader gives a fresh read to start, so a pause that falls
    // between two reads (right after the first byte) passes unnoticed, as it would on a real line.
    static constexpr int kSplitGapMillis = 45;

    LineFaults(const FaultOptions& options, std::uint32_t seed);

    // Asked once per instruction received, before it is carried out: true when it is to be refused.
    bool refuseNext();
    // Passes one frame the matrix sends through the line.
    FaultedFrame pass(Bytes frame);
    int delayMillis() const { return options_.delayMillis; }
    // Off: nothing is refused or spoilt, and nothing is drawn, until it is on again.
    void setActive(bool active) { active_ = active; }

private:
    bool chance(double probability);
    std::size_t below(std::size_t count);

    FaultOptions options_;
    std::mt19937 random_;
    std::uint64_t instructions_ = 0;
    bool active_ = true;
};

} // namespace rl4::sim

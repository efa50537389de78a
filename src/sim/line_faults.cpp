#include "sim/line_faults.h"

#include <span>

namespace rl4::sim {

namespace {

constexpr int kLineBitsPerByte = 8;
// The generator's range is [0, 2^32): a draw below p * 2^32 happens with probability p, and p = 1 always
// happens.
constexpr double kDrawRange = 4294967296.0;

} // namespace

std::string logLine(const FaultedFrame& frame) {
    std::string line = "TX";
    if (frame.dropped) {
        line += '-';
    }
    if (frame.garbled) {
        line += '~';
    }
    const std::span<const std::uint8_t> bytes(frame.bytes);
    if (frame.splitAt == 0 || frame.splitAt >= bytes.size()) {
        return line + ' ' + hexText(bytes);
    }
    return line + ' ' + hexText(bytes.first(frame.splitAt)) + " | " + hexText(bytes.subspan(frame.splitAt));
}

LineFaults::LineFaults(const FaultOptions& options, std::uint32_t seed) : options_(options), random_(seed) {}

bool LineFaults::chance(double probability) {
    // Always one draw, whatever the probability, so that turning one fault off does not shift the others.
    return static_cast<double>(random_()) < probability * kDrawRange;
}

std::size_t LineFaults::below(std::size_t count) {
    return static_cast<std::size_t>(random_()) % count;
}

bool LineFaults::refuseNext() {
    if (!active_) {
        return false;
    }
    ++instructions_;
    const bool counted =
        options_.refuseEvery > 0 && instructions_ % static_cast<std::uint64_t>(options_.refuseEvery) == 0;
    const bool unlucky = chance(options_.nak);
    return counted || unlucky;
}

FaultedFrame LineFaults::pass(Bytes frame) {
    FaultedFrame out{std::move(frame)};
    if (out.bytes.empty() || !active_) {
        return out;
    }
    if (chance(options_.drop)) {
        out.dropped = true;
        return out;
    }
    if (chance(options_.garble)) {
        const std::size_t at = below(out.bytes.size());
        out.bytes[at] ^= static_cast<std::uint8_t>(1U << below(kLineBitsPerByte));
        out.garbled = true;
    }
    // A lone byte (a NAK) has no middle to pause in.
    if (chance(options_.split) && out.bytes.size() > 1) {
        out.splitAt = 1 + below(out.bytes.size() - 1);
    }
    return out;
}

} // namespace rl4::sim

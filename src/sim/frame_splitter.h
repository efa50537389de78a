#pragma once

#include "sim/frame.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

namespace rl4::sim {

enum class ProtocolChoice { Four, Five, Both };

// A run of received bytes: a whole frame, or bytes that formed none.
struct SplitItem {
    enum class Kind { Frame, Dropped };
    Kind kind = Kind::Frame;
    FrameForm form = FrameForm::Five;
    Bytes bytes;
    std::int64_t startMicros = 0; // arrival of the first byte
};

// Cuts the received byte stream into frames of the forms the matrix speaks. A byte that cannot start a
// frame is dropped alone, so that the stream falls back into step at the next frame start; a partial frame
// whose next byte does not come within kStaleMicros is dropped whole.
class FrameSplitter {
public:
    static constexpr std::int64_t kStaleMicros = 100'000;

    explicit FrameSplitter(ProtocolChoice protocol) : protocol_(protocol) {}

    std::vector<SplitItem> push(std::span<const std::uint8_t> bytes, std::int64_t nowMicros);
    // Drops the partial frame if it went stale by nowMicros.
    std::vector<SplitItem> expire(std::int64_t nowMicros);
    // Drops whatever partial frame is held (the peer went away).
    std::vector<SplitItem> reset();
    // When the partial frame goes stale; empty when none is held.
    std::optional<std::int64_t> staleDeadline() const;

private:
    enum class Match { NeedMore, Drop, Five, Four };
    struct PendingByte {
        std::uint8_t value;
        std::int64_t micros;
    };

    Match match() const;
    void dropFront();
    void dropPending();
    void scan(std::vector<SplitItem>& items);
    void flushDropped(std::vector<SplitItem>& items);

    ProtocolChoice protocol_;
    std::deque<PendingByte> pending_;
    Bytes dropped_;
    std::int64_t droppedStart_ = 0;
    std::int64_t lastByteMicros_ = 0;
};

} // namespace rl4::sim

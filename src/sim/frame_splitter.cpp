#include "sim/frame_splitter.h"

#include <algorithm>

namespace rl4::sim {

namespace {
bool hasHighBit(std::uint8_t byte) {
    return (byte & 0x80) != 0;
}
} // namespace

std::vector<SplitItem> FrameSplitter::push(std::span<const std::uint8_t> bytes, std::int64_t nowMicros) {
    std::vector<SplitItem> items;
    if (!pending_.empty() && nowMicros - lastByteMicros_ > kStaleMicros) {
        dropPending();
    }
    for (std::uint8_t byte : bytes) {
        pending_.push_back({byte, nowMicros});
    }
    if (!bytes.empty()) {
        lastByteMicros_ = nowMicros;
    }
    scan(items);
    flushDropped(items);
    return items;
}

std::vector<SplitItem> FrameSplitter::expire(std::int64_t nowMicros) {
    std::vector<SplitItem> items;
    if (!pending_.empty() && nowMicros - lastByteMicros_ > kStaleMicros) {
        dropPending();
        flushDropped(items);
    }
    return items;
}

std::vector<SplitItem> FrameSplitter::reset() {
    std::vector<SplitItem> items;
    dropPending();
    flushDropped(items);
    return items;
}

std::optional<std::int64_t> FrameSplitter::staleDeadline() const {
    if (pending_.empty()) {
        return std::nullopt;
    }
    return lastByteMicros_ + kStaleMicros + 1;
}

// After STX, a second byte with bit 7 clear is a letter (5-byte form); with bit 7 set it can only be the
// data of a 4-byte audio switch, whose code is 2 like STX.
FrameSplitter::Match FrameSplitter::match() const {
    const bool speaksFive = protocol_ != ProtocolChoice::Four;
    const bool speaksFour = protocol_ != ProtocolChoice::Five;
    const std::uint8_t first = pending_[0].value;
    if (hasHighBit(first)) {
        return Match::Drop;
    }
    if (pending_.size() == 1) {
        return (speaksFour || (speaksFive && first == kStx)) ? Match::NeedMore : Match::Drop;
    }
    if (first == kStx && !hasHighBit(pending_[1].value)) {
        if (!speaksFive) {
            return Match::Drop;
        }
        if (pending_.size() < kFiveByteLength) {
            return Match::NeedMore;
        }
        return pending_[kFiveByteLength - 1].value == kEtx ? Match::Five : Match::Drop;
    }
    if (!speaksFour) {
        return Match::Drop;
    }
    const std::size_t seen = std::min(pending_.size(), kFourByteLength);
    for (std::size_t k = 1; k < seen; ++k) {
        if (!hasHighBit(pending_[k].value)) {
            return Match::Drop;
        }
    }
    return seen == kFourByteLength ? Match::Four : Match::NeedMore;
}

void FrameSplitter::dropFront() {
    if (dropped_.empty()) {
        droppedStart_ = pending_.front().micros;
    }
    dropped_.push_back(pending_.front().value);
    pending_.pop_front();
}

void FrameSplitter::dropPending() {
    while (!pending_.empty()) {
        dropFront();
    }
}

void FrameSplitter::scan(std::vector<SplitItem>& items) {
    while (!pending_.empty()) {
        const Match found = match();
        if (found == Match::NeedMore) {
            return;
        }
        if (found == Match::Drop) {
            dropFront();
            continue;
        }
        flushDropped(items);
        const bool five = found == Match::Five;
        const std::size_t length = five ? kFiveByteLength : kFourByteLength;
        SplitItem item{
            SplitItem::Kind::Frame, five ? FrameForm::Five : FrameForm::Four, {}, pending_.front().micros};
        for (std::size_t k = 0; k < length; ++k) {
            item.bytes.push_back(pending_.front().value);
            pending_.pop_front();
        }
        items.push_back(std::move(item));
    }
}

void FrameSplitter::flushDropped(std::vector<SplitItem>& items) {
    if (dropped_.empty()) {
        return;
    }
    items.push_back({SplitItem::Kind::Dropped, FrameForm::Five, std::move(dropped_), droppedStart_});
    dropped_.clear();
}

} // namespace rl4::sim

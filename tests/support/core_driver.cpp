#include "support/core_driver.h"

namespace rl4::sim::test {

Bytes five(char letter, int data1, int data2) {
    return {0x02, static_cast<std::uint8_t>(letter), static_cast<std::uint8_t>(data1),
            static_cast<std::uint8_t>(data2), 0x03};
}

Bytes four(int code, int machine, int data1, int data2) {
    const int flags = ((data1 & 0x80) ? 0x40 : 0) | ((data2 & 0x80) ? 0x20 : 0);
    return {static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(0x80 | (data2 & 0x7F)),
            static_cast<std::uint8_t>(0x80 | (data1 & 0x7F)),
            static_cast<std::uint8_t>(0x80 | flags | machine)};
}

std::vector<Bytes> CoreDriver::sent(const Bytes& bytes) {
    nowMicros += 1000;
    std::vector<Bytes> frames;
    for (SimEvent& event : core.feed(bytes, nowMicros)) {
        if (event.kind == SimEvent::Kind::Sent) {
            frames.push_back(std::move(event.bytes));
        }
    }
    return frames;
}

Bytes CoreDriver::ask(const Bytes& request) {
    std::vector<Bytes> frames = sent(request);
    return frames.empty() ? Bytes{} : frames.front();
}

} // namespace rl4::sim::test

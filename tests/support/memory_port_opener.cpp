#include "support/memory_port_opener.h"

#include <string>

namespace rl4::test {

// What the link holds: forwards to the port's channel and closes it when destroyed, unless a newer handle
// to the same port has been given out since.
class MemoryPortOpener::Handle : public ByteChannel {
public:
    explicit Handle(Port& port) : port_(port), serial_(++port.handles) {}
    ~Handle() override { Handle::close(); }

    bool open(const std::string& target) override { return port_.channel->open(target); }
    void close() override {
        if (current())
            port_.channel->close();
    }
    bool isOpen() const override { return current() && port_.channel->isOpen(); }
    bool writeByte(std::uint8_t byte) override { return current() && port_.channel->writeByte(byte); }
    std::size_t read(std::uint8_t* buffer, std::size_t n) override {
        return current() ? port_.channel->read(buffer, n) : 0;
    }
    std::size_t bytesWaiting() override { return current() ? port_.channel->bytesWaiting() : 0; }
    bool lineGone() const override { return current() && port_.channel->lineGone(); }
    std::string lineGoneReason() const override {
        return current() ? port_.channel->lineGoneReason() : std::string();
    }

private:
    bool current() const { return serial_ == port_.handles; }

    Port& port_;
    int serial_;
};

MemoryChannel& MemoryPortOpener::channel(int number) {
    Port& port = ports_[number];
    if (!port.channel) {
        port.channel = std::make_unique<MemoryChannel>(clock_, timeouts_);
        if (prepare)
            prepare(number, *port.channel);
    }
    return *port.channel;
}

std::unique_ptr<ByteChannel> MemoryPortOpener::openPort(int number) {
    requests.push_back(number);
    lastFailure_.clear();
    if (const auto held = heldElsewhere_.find(number); held != heldElsewhere_.end()) {
        lastFailure_ = held->second;
        return nullptr;
    }
    MemoryChannel& memory = channel(number);
    if (!memory.open("com" + std::to_string(number)))
        return nullptr;
    return std::make_unique<Handle>(ports_[number]);
}

} // namespace rl4::test

#pragma once

namespace rl4 {

// Whether an operation that holds the link for a long time (the EEPROM upload: about a minute at 9600
// baud) is under way. Such an operation lets the windows paint while it waits for each answer, so the
// event loop runs inside it: nothing that sends may start meanwhile, and the program's close waits for
// its end. A Guard marks the operation for its lifetime.
class LongOperation {
public:
    class Guard {
    public:
        explicit Guard(LongOperation& operation) : operation_(operation) { ++operation_.depth_; }
        ~Guard() { --operation_.depth_; }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        LongOperation& operation_;
    };

    bool running() const { return depth_ > 0; }

private:
    int depth_ = 0;
};

} // namespace rl4

#pragma once

#include "platform/byte_channel.h"

#include <chrono>
#include <string>
#include <sys/types.h>

namespace rl4 {

// Waits until fd shows one of `events` or the deadline passes, sleeping in poll(2) and riding out signals.
// Returns the events that came, 0 when the deadline passed first, or -1 when poll itself failed.
int waitForEvents(int fd, short events, std::chrono::steady_clock::time_point deadline);

// A channel over one non-blocking file descriptor. The serial port and the TCP serial device server differ
// only in how they are opened, so reading, writing and the line time-outs live here.
class DescriptorChannel : public ByteChannel {
public:
    ~DescriptorChannel() override;
    DescriptorChannel(const DescriptorChannel&) = delete;
    DescriptorChannel& operator=(const DescriptorChannel&) = delete;

    void close() final;
    bool isOpen() const final { return fd_ >= 0; }
    bool writeByte(std::uint8_t byte) final;
    std::size_t read(std::uint8_t* buffer, std::size_t n) final;
    std::size_t bytesWaiting() final;
    bool lineGone() const final { return !goneReason_.empty(); }
    std::string lineGoneReason() const final { return goneReason_; }

    // The open descriptor, or -1; for callers that need to inspect the line (tests check socket options).
    int descriptor() const { return fd_; }
    // Why the last open failed, in words for the operator ("not a serial device"); empty after a success.
    const std::string& openFailure() const { return openFailure_; }

protected:
    explicit DescriptorChannel(LineTimeouts timeouts) : timeouts_(timeouts) {}

    // Takes ownership of an open, non-blocking descriptor (closing any previous one). `exclusive`: the
    // descriptor has put its terminal in exclusive mode, which close() ends, for a terminal whose driver
    // outlives its users would keep the mode and refuse everyone after us.
    void adopt(int fd, bool exclusive = false);
    // Notes why an open failed; returns false for the open to return.
    bool openFailed(std::string why);
    // One attempt to write one byte, with the result and errno of write(2).
    virtual ssize_t transmit(int fd, std::uint8_t byte);
    // One attempt to read up to n bytes, with the result and errno of read(2).
    virtual ssize_t receive(int fd, std::uint8_t* buffer, std::size_t n);
    // Why the line has gone when poll reports a hang-up or an error on it.
    virtual std::string hangUpReason(int fd);
    // Why the line has gone when a read finds the end of the stream.
    virtual std::string endOfStreamReason() const { return kHungUp; }

private:
    // Marks the line gone, keeping the first reason: later ones are only its consequences.
    void lose(const std::string& reason);

    LineTimeouts timeouts_;
    int fd_ = -1;
    bool exclusive_ = false;
    std::string openFailure_;
    std::string goneReason_;
};

} // namespace rl4

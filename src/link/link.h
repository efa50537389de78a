#pragma once

#include "link/frame_tables.h"
#include "link/history_row.h"
#include "link/link_listener.h"
#include "link/reply_rules.h"
#include "platform/byte_channel.h"
#include "platform/clock.h"
#include "platform/port_opener.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace rl4 {

inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;
inline constexpr std::uint8_t kNak = 0x15;
// The identity that no matrix has: what the program shows while none answered.
inline constexpr const char* kNoMatrixIdentity = "7878";

// The parameters of one instruction, as its caller fills them for Link::SendCommand.
struct CommandParams {
    int cmdLetter = 0;  // 5-byte form: instruction letter
    int cmdCode = 0;    // 4-byte form: instruction code 0..127
    int cmdMachine = 0; // 4-byte form: machine code 0..31
    int cmdData1 = 0;   // first data value (switching: the output connector)
    int cmdData2 = 0;   // second data value (switching: the input connector; otherwise the value)
};

// What one SendCommand produced: whether a recognised answer came, and the values it carried.
struct SendResult {
    bool replyError = true;
    int replyIn = 0;
    int replyOut = 0;
    int replyMachine = 0;
};

// The serial link to the matrix: the port, the frames of both forms, the send operation and the
// read-and-decode pass. Recognised answers go to the reply rules; history rows and on-line changes go to
// the listener. With port number 0 nothing is written and every frame is answered by its own echo.
class Link {
public:
    Link(Clock& clock, PortOpener& opener);
    ~Link();
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    void setRules(ReplyRules* rules) { rules_ = rules; }
    void setListener(LinkListener* listener) { listener_ = listener; }

    // Port -------------------------------------------------------------------------------------------
    // Opens "com" + portNumber; portError tells whether it failed. Port 0 opens nothing.
    void OpenPort();
    void closePort();
    bool channelOpen() const;
    // Bytes waiting on an open channel, without blocking.
    std::size_t bytesWaiting();

    // 0: no port, the matrix is simulated. Takes effect at the next OpenPort.
    int portNumber() const { return portNumber_; }
    void setPortNumber(int port) { portNumber_ = port; }
    bool portError() const { return portError_; }
    // Why the last OpenPort failed, in the opener's words ("in use by process 1234 (routelane4)"); empty
    // when it succeeded or opened nothing.
    const std::string& portFailure() const { return portFailure_; }
    // 4 or 5.
    int protocolLength() const { return protocolLength_; }
    void setProtocolLength(int length) { protocolLength_ = length; }

    // Protocol ---------------------------------------------------------------------------------------
    // Whether a data value fits its byte: 0..255, or 257 and above, which go out as 255 (257 is the
    // not-assigned mark). 256 and negative values would wrap round to another output or value.
    static bool wireCarries(int value) { return value >= 0 && value != 256; }

    // Sends one instruction in the protocol length in force and returns once its answer has been decoded
    // or the wait is over.
    SendResult SendCommand(const CommandParams& params);
    // One read-and-decode pass; the main loop runs it for what the matrix sends unasked.
    void ProcessReply();
    // Asks the matrix to go off line when it is on line, else on line. Nothing without a port.
    void lblonline_Click();

    // Link state -------------------------------------------------------------------------------------
    // True when the last answer was missing, malformed, an error report, or not recognised.
    bool replyError() const { return replyError_; }
    // True when the answer seen belongs to the instruction last sent.
    bool replyMatched() const { return replyMatched_; }
    // True while SendCommand runs the read-and-decode pass.
    bool awaitingReply() const { return awaitingReply_; }
    long shotCount() const { return shotCount_; }
    // The debug window's counters start again from nothing.
    void resetShotCount() { shotCount_ = 0; }
    // Commands whose answer was missing, refused or not understood, for callers that check a whole run.
    long failedCommands() const { return failedCommands_; }
    std::int64_t sendTime() const { return sendTime_; }
    // The last frame sent as the history shows it; "External" once a history row has taken it.
    const std::string& sentText() const { return sentText_; }
    // The parameters of the instruction last sent: the main loop's passes decode against them.
    const CommandParams& commandParams() const { return cmd_; }
    // The first byte the last pass read: 0xFF for nothing, 0xFE for nothing within the 4-byte wait.
    int firstByte() const { return firstByte_; }
    // The last 4-byte fourth byte built, before its top bit is set.
    int fourthByte() const { return fourthByte_; }
    const std::string& logInstr() const { return logInstr_; }
    const std::string& logObject() const { return logObject_; }

    bool matrixOnLine() const { return matrixOnLine_; }
    const std::string& matrixIdentity() const { return matrixIdentity_; }
    // Before a search: no matrix has answered yet.
    void forgetIdentity() { matrixIdentity_ = kNoMatrixIdentity; }
    // Takes the matrix as off line without telling anyone, so that lblonline_Click asks it to go on line.
    void markOffLine() { matrixOnLine_ = false; }

    // Lost line -------------------------------------------------------------------------------------
    // Between two attempts to open a lost line again.
    static constexpr std::int64_t kLineRetryMicros = 3'000'000;
    // True from the moment the channel reports its line gone (hung up, adapter pulled out, server gone)
    // until the port is open again with a matrix answering on it. The channel is closed at once, so that
    // nothing waits on a dead line, and the matrix counts as off line.
    bool lineLost() const { return lineLost_; }
    // Why it went, in the channel's words (ByteChannel::kHungUp ...).
    const std::string& lineLostReason() const { return lineLostReason_; }
    // A command given while the line is lost is refused, not kept for later: true, and the listener hears
    // of it. False while the line is there.
    bool refuseWhileLineLost();
    // Once every kLineRetryMicros while the line is lost: opens the same port again and asks the matrix
    // its identity there. True when it answered: the line is back (still off line until the matrix says
    // otherwise). Quiet when it fails: the line simply stays lost.
    bool retryLostLine();

    // The history step runs only while the history is shown (the window, or a command-line caller).
    bool historyOpen() const { return historyOpen_; }
    void setHistoryOpen(bool open) { historyOpen_ = open; }
    // The row of the last pass, whether or not it reached the history.
    HistoryRow lastRow() const;
    // Takes every history row, shown or not (the frame log); nullptr for none.
    void setRowLog(LinkListener* log) { rowLog_ = log; }

private:
    void writeFrame();
    void processFiveByte();
    void processFourByte();
    bool dispatchFiveByte(int letter);
    bool dispatchFourByte();
    bool asked(Asked request) const;
    void setFourByteWords(const FourByteRow& row);
    void applyEffect(ReplyEffect effect, Layer layer);
    void setIdentity(const std::string& identity);
    ReplyRules& rules();
    void setObjectWord();
    void historyStep();
    void takeRow();
    std::size_t readBytes(std::uint8_t* buffer, std::size_t n);
    std::uint8_t readFirstByteWaiting();
    void refuseUncarriedValue();
    void setOnLine(bool onLine);
    void checkLine();
    void loseLine(const std::string& reason);
    bool simulating() const { return portNumber_ == 0; }
    SendResult result() const { return {replyError_, replyIn_, replyOut_, replyMachine_}; }

    Clock& clock_;
    PortOpener& opener_;
    std::unique_ptr<ByteChannel> channel_;
    ReplyRules* rules_ = nullptr;
    LinkListener* listener_ = nullptr;

    int portNumber_ = 1;
    bool portError_ = true;
    std::string portFailure_;
    int protocolLength_ = 5;
    CommandParams cmd_;

    bool replyError_ = true;
    bool replyMatched_ = true;
    bool awaitingReply_ = false;
    long shotCount_ = 0;
    long failedCommands_ = 0;
    std::int64_t sendTime_ = 0;
    std::string sentText_;
    int fourthByte_ = 0;
    // The 4-byte code that answers the frame last written: its own code, but the matrix answers a read (25)
    // with the code of the matching set (21 VCA, 22 gain).
    int answerCode_ = 0;
    int firstByte_ = 0xFF;
    int replyOut_ = 0;
    int replyIn_ = 0;
    int replyMachine_ = 0;
    std::string logInstr_, logObject_, logIn_, logOut_;
    std::array<std::string, 5> receivedTexts_;
    std::size_t receivedCount_ = 0;

    bool matrixOnLine_ = false;
    std::string matrixIdentity_ = kNoMatrixIdentity;
    bool historyOpen_ = false;
    LinkListener* rowLog_ = nullptr;

    bool lineLost_ = false;
    std::string lineLostReason_;
    std::int64_t nextLineRetry_ = 0;
    // While a retry asks the identity: a line that fails again is no news.
    bool retryingLine_ = false;
};

} // namespace rl4

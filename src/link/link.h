#pragma once

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

// The parameters of the next instruction. Callers fill them, then call Link::SendCommand.
struct CommandParams {
    int cmdLetter = 0;  // 5-byte form: instruction letter
    int cmdCode = 0;    // 4-byte form: instruction code 0..127
    int cmdMachine = 0; // 4-byte form: machine code 0..31
    int cmdData1 = 0;   // first data value (switching: the output connector)
    int cmdData2 = 0;   // second data value (switching: the input connector; otherwise the value)
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

    int portNumber = 1; // 0: no port, the matrix is simulated
    bool portError = true;
    int protocolLength = 5; // 4 or 5

    // Protocol ---------------------------------------------------------------------------------------
    // Whether a data value fits its byte: 0..255, or 257 and above, which go out as 255 (257 is the
    // not-assigned mark). 256 and negative values would wrap round to another output or value.
    static bool wireCarries(int value) { return value >= 0 && value != 256; }

    CommandParams cmd;
    void SendCommand();
    void ProcessReply();
    // Asks the matrix to go off line when it is on line, else on line. Nothing without a port.
    void lblonline_Click();

    // Link state, readable by the callers of SendCommand.
    bool replyError = true;
    bool replyMatched = true;
    bool awaitingReply = false;
    long shotCount = 0;
    // Commands whose answer was missing, refused or not understood, for callers that check a whole run.
    long failedCommands = 0;
    std::int64_t sendTime = 0;
    std::string sentText;
    int fourthByte = 0;
    // The 4-byte code that answers the frame last written: its own code, but the matrix answers a read (25)
    // with the code of the matching set (21 VCA, 22 gain).
    int answerCode = 0;
    int firstByte = 0xFF;
    int replyOut = 0;
    int replyIn = 0;
    int replyMachine = 0;
    std::string logInstr, logObject, logIn, logOut;

    bool matrixOnLine = false;
    std::string matrixIdentity = kNoMatrixIdentity;

    // The history step runs only while the history is shown (the window, or a command-line caller).
    bool historyOpen = false;
    // The row of the last pass, whether or not it reached the history.
    HistoryRow lastRow() const;

private:
    void writeFrame();
    void processFiveByte();
    void processFourByte();
    bool dispatchFiveByte(int letter);
    bool dispatchFourByte();
    void setObjectWord();
    void historyStep();
    std::size_t readBytes(std::uint8_t* buffer, std::size_t n);
    std::uint8_t readFirstByteWaiting();
    void refuseUncarriedValue();
    void setOnLine(bool onLine);
    void routing(Layer layer, int output, int input);
    bool simulating() const { return portNumber == 0; }

    Clock& clock_;
    PortOpener& opener_;
    std::unique_ptr<ByteChannel> channel_;
    ReplyRules* rules_ = nullptr;
    LinkListener* listener_ = nullptr;
    std::array<std::string, 5> receivedTexts_;
    std::size_t receivedCount_ = 0;
};

} // namespace rl4

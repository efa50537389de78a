#include "link/link.h"

#include "text/number_text.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

namespace rl4 {

namespace {

// How long the 4-byte form waits for the first byte of an answer, in microseconds.
constexpr std::int64_t kFirstByteWaitMicros = 300'000;
// A 4-byte first byte that stands for "nothing came": it gives an error row in the history.
constexpr std::uint8_t kMissingAnswer = 0xFE;
constexpr int kMaxPasses = 10;
// 4-byte codes of the level reads and of the sets whose code answers them.
constexpr int kReadCode = 25;
constexpr int kVcaSetCode = 21;
constexpr int kGainSetCode = 22;

struct ErrorWords {
    const char* in;
    const char* out;
};

ErrorWords errorReportWords(int code) {
    switch (code) {
    case 0:
        return {"bad", "instr"};
    case 1:
    case 3:
    case 5:
    case 7:
        return {"no", "card"};
    case 2:
    case 6:
        return {"bad", "adres"};
    case 4:
        return {"bad", "data"};
    case 8:
        return {"mach", "busy"};
    default:
        return {" - ", " - "};
    }
}

std::string twoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

} // namespace

Link::Link(Clock& clock, PortOpener& opener) : clock_(clock), opener_(opener) {}

Link::~Link() = default;

// Port -----------------------------------------------------------------------------------------------------

void Link::OpenPort() {
    portError_ = true;
    channel_.reset();
    if (portNumber_ == 0)
        return;
    channel_ = opener_.openPort(portNumber_);
    if (channel_)
        portError_ = false;
}

void Link::closePort() {
    channel_.reset();
}

bool Link::channelOpen() const {
    return channel_ && channel_->isOpen();
}

std::size_t Link::bytesWaiting() {
    return channelOpen() ? channel_->bytesWaiting() : 0;
}

std::size_t Link::readBytes(std::uint8_t* buffer, std::size_t n) {
    return channelOpen() ? channel_->read(buffer, n) : 0;
}

// Sending --------------------------------------------------------------------------------------------------

SendResult Link::SendCommand(const CommandParams& params) {
    cmd_ = params;
    if (!wireCarries(cmd_.cmdData1) || !wireCarries(cmd_.cmdData2)) {
        refuseUncarriedValue();
        return result();
    }
    // Frames that came in since the last pass (an answer that came late, a switch made at the matrix's
    // panel) are taken first, so that none of them is mistaken for the answer to this instruction.
    for (int pass = 0; pass < kMaxPasses && !simulating() && bytesWaiting() > 0; ++pass)
        ProcessReply();
    sendTime_ = clock_.nowMicros();
    ++shotCount_;
    // 257, the not-assigned mark, goes out as 255.
    if (cmd_.cmdData1 > 256)
        cmd_.cmdData1 = 255;
    if (cmd_.cmdData2 > 256)
        cmd_.cmdData2 = 255;
    writeFrame();
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        awaitingReply_ = true;
        ProcessReply();
        if (replyMatched_)
            break;
    }
    if (replyError_)
        ++failedCommands_;
    return result();
}

void Link::refuseUncarriedValue() {
    // Nothing goes out, and the history says so with the matrix's own words for bad data.
    sendTime_ = clock_.nowMicros();
    replyError_ = true;
    replyMatched_ = true;
    ++failedCommands_;
    setObjectWord();
    logInstr_ = "Error";
    logIn_ = "bad";
    logOut_ = "data";
    sentText_.clear();
    receivedCount_ = 0;
    firstByte_ = 0xFF;
    if (historyOpen_ && listener_) {
        listener_->historyRowAdded(lastRow());
        sentText_ = "External";
    }
}

void Link::writeFrame() {
    std::vector<std::uint8_t> frame;
    if (protocolLength_ == 5) {
        frame = {kStx, static_cast<std::uint8_t>(cmd_.cmdLetter), static_cast<std::uint8_t>(cmd_.cmdData1),
                 static_cast<std::uint8_t>(cmd_.cmdData2), kEtx};
    } else {
        answerCode_ = cmd_.cmdCode & 0x7F;
        if (answerCode_ == kReadCode)
            answerCode_ = cmd_.cmdData1 == 0 ? kVcaSetCode : kGainSetCode;
        fourthByte_ = cmd_.cmdMachine;
        if (cmd_.cmdData2 > 127)
            fourthByte_ += 0x20;
        if (cmd_.cmdData1 > 127)
            fourthByte_ += 0x40;
        frame = {
            static_cast<std::uint8_t>(cmd_.cmdCode & 0x7F), static_cast<std::uint8_t>(cmd_.cmdData2 | 0x80),
            static_cast<std::uint8_t>(cmd_.cmdData1 | 0x80), static_cast<std::uint8_t>(fourthByte_ | 0x80)};
    }
    sentText_.clear();
    for (std::uint8_t byte : frame) {
        if (!sentText_.empty())
            sentText_ += '.';
        sentText_ += hex2(byte);
    }
    if (simulating() || !channelOpen())
        return;
    for (std::uint8_t byte : frame)
        channel_->writeByte(byte);
}

void Link::lblonline_Click() {
    if (portNumber_ == 0)
        return;
    if (matrixOnLine_)
        SendCommand({'E', 33, 1, 0, 0});
    else
        SendCommand({'D', 33, 1, 1, 0});
}

// Reading and decoding -------------------------------------------------------------------------------------

void Link::ProcessReply() {
    replyError_ = true;
    logIn_ = "no";
    logOut_ = "reply";
    logInstr_ = "Error";
    receivedCount_ = 0;
    replyMatched_ = true;
    setObjectWord();

    if (protocolLength_ == 5)
        processFiveByte();
    else
        processFourByte();
    historyStep();
}

void Link::setObjectWord() {
    if (protocolLength_ == 5) {
        switch (cmd_.cmdLetter) {
        case 'A':
        case 'a':
            logObject_ = "audio";
            break;
        case 'D':
            logObject_ = "Line";
            break;
        case 'x':
            logObject_ = "ser";
            break;
        case 'P':
        case 'p':
            logObject_ = "POR";
            break;
        case 'V':
        case 'v':
            logObject_ = "video";
            break;
        case 'R':
        case 'r':
            logObject_ = "RGB";
            break;
        case 'Y':
        case 'y':
            logObject_ = "YC";
            break;
        case 'N':
        case 'n':
            logObject_ = "VCA";
            break;
        case 'L':
        case 'l':
            logObject_ = "Gain";
            break;
        case 'G':
        case 'g':
            logObject_ = "Bal";
            break;
        case 'S':
            logObject_ = "Store";
            break;
        case 'T':
            logObject_ = "text";
            break;
        case '[':
            logObject_ = "adres";
            break;
        case '\\':
            logObject_ = "close";
            break;
        default:
            break;
        }
        return;
    }
    switch (cmd_.cmdCode) {
    case 1:
    case 5:
        switch (cmd_.cmdMachine) {
        case 1:
            logObject_ = "video";
            break;
        case 2:
            logObject_ = "YC";
            break;
        case 3:
            logObject_ = "YUV";
            break;
        case 5:
            logObject_ = "RGB";
            break;
        default:
            break;
        }
        break;
    case 2:
    case 6:
        logObject_ = "audio";
        break;
    case 3:
    case 4:
    case 19:
        logObject_ = "Pge";
        break;
    case 21:
        logObject_ = "VCA";
        break;
    case 22:
        logObject_ = "Gain";
        break;
    case 25:
        logObject_ = cmd_.cmdData1 == 0 ? "VCA" : "Gain";
        break;
    case 33:
        logObject_ = "Line";
        break;
    case 57:
        logObject_ = "Store";
        break;
    case 61:
        logObject_ = "ser";
        break;
    case 67:
    case 68:
    case 83:
    case 84:
        logObject_ = "Stat";
        break;
    default:
        break;
    }
}

void Link::processFiveByte() {
    std::uint8_t first = 0xFF;
    if (simulating())
        first = kStx;
    else
        readBytes(&first, 1);
    firstByte_ = first;
    if (first != kStx)
        return;
    receivedTexts_[0] = "02";
    receivedCount_ = 1;

    std::array<std::uint8_t, 4> rest{0xFF, 0xFF, 0xFF, 0xFF};
    if (simulating())
        rest = {static_cast<std::uint8_t>(cmd_.cmdLetter), static_cast<std::uint8_t>(cmd_.cmdData1),
                static_cast<std::uint8_t>(cmd_.cmdData2), kEtx};
    else
        readBytes(rest.data(), rest.size());
    if (rest[3] != kEtx)
        return;

    replyOut_ = rest[1];
    replyIn_ = rest[2];
    receivedTexts_[1] = hex2(rest[0]);
    receivedTexts_[2] = hex2(rest[1]);
    receivedTexts_[3] = hex2(rest[2]);
    receivedTexts_[4] = "03";
    receivedCount_ = 5;
    if (dispatchFiveByte(rest[0]))
        replyError_ = false;
}

std::uint8_t Link::readFirstByteWaiting() {
    // Each read blocks for the port time-out, so this loop sleeps rather than spins.
    const std::int64_t start = clock_.nowMicros();
    std::uint8_t byte = 0xFF;
    while (channelOpen()) {
        if (readBytes(&byte, 1) == 1)
            return byte;
        if (clock_.nowMicros() - start > kFirstByteWaitMicros)
            break;
    }
    return kMissingAnswer;
}

void Link::processFourByte() {
    std::uint8_t first = 0xFF;
    if (simulating())
        first = static_cast<std::uint8_t>(answerCode_ | 0x40);
    else if (awaitingReply_)
        first = readFirstByteWaiting();
    else
        readBytes(&first, 1);
    firstByte_ = first;
    if ((first & 0xC0) != 0x40)
        return;
    if ((first & 0xBF) != answerCode_)
        replyMatched_ = false; // an answer to another instruction: decoded all the same
    receivedTexts_[0] = hex2(first);
    receivedCount_ = 1;

    std::array<std::uint8_t, 3> rest{0xFF, 0xFF, 0xFF};
    if (simulating())
        rest = {static_cast<std::uint8_t>(cmd_.cmdData2 | 0x80),
                static_cast<std::uint8_t>(cmd_.cmdData1 | 0x80),
                static_cast<std::uint8_t>(fourthByte_ | 0x80)};
    else
        readBytes(rest.data(), rest.size());
    replyIn_ = rest[0];
    replyOut_ = rest[1];
    const int machineByte = rest[2];
    for (std::size_t i = 0; i < rest.size(); ++i)
        receivedTexts_[1 + i] = hex2(rest[i]);
    receivedCount_ = 4;
    if (!(rest[0] & 0x80) || !(rest[1] & 0x80) || !(rest[2] & 0x80))
        return;

    if (!(machineByte & 0x20))
        replyIn_ &= 0x7F;
    if (!(machineByte & 0x40))
        replyOut_ &= 0x7F;
    replyMachine_ = machineByte & 0x1F;
    if (dispatchFourByte())
        replyError_ = false;
}

bool Link::dispatchFiveByte(int letter) {
    const bool isRead = letter >= 'a' && letter <= 'z';
    auto words = [this](const char* instr, const char* object) {
        logInstr_ = instr;
        logObject_ = object;
    };
    switch (letter) {
    case 'D':
        words("Set", "ON");
        setOnLine(true);
        return true;
    case 'E':
        words("Set", "OFF");
        setOnLine(false);
        return true;
    case 'x':
        words("read", "ser");
        // An echo is no matrix: without a port the identity keeps the no-matrix mark.
        matrixIdentity_ = simulating() ? kNoMatrixIdentity : hex2(replyOut_ & 0x7F) + hex2(replyIn_);
        return true;
    case 'P':
    case 'p':
        words(isRead ? "read" : "write", "POR");
        if (rules_)
            rules_->vcaSetupReport(replyIn_);
        return true;
    case 'V':
    case 'v':
        words(isRead ? "read" : "Swch", "video");
        routing(Layer::Video, replyOut_, replyIn_);
        return true;
    case 'A':
    case 'a':
        words(isRead ? "read" : "Swch", "audio");
        routing(Layer::Audio, replyOut_, replyIn_);
        return true;
    case 'R':
    case 'r':
        words(isRead ? "read" : "Swch", "RGB");
        routing(Layer::Rgb, replyOut_, replyIn_);
        return true;
    case 'Y':
    case 'y':
        words(isRead ? "read" : "Swch", "YC");
        routing(Layer::Yc, replyOut_, replyIn_);
        return true;
    case 'N':
    case 'n':
        words(isRead ? "read" : "level", "VCA");
        if (rules_)
            rules_->vcaReport(replyOut_, replyIn_);
        return true;
    case 'L':
    case 'l':
        words(isRead ? "read" : "level", "Gain");
        if (rules_ && replyIn_ < 32)
            rules_->gainReport(replyIn_, std::nullopt);
        return true;
    case 'G':
    case 'g':
        words(isRead ? "read" : "set", "Bal");
        if (rules_)
            rules_->inputModeReport(replyIn_ == 0);
        return true;
    case 'S':
        words("Mem", "eepr");
        if (rules_)
            rules_->storeReport();
        return true;
    case 'T':
        words("Text", "eepr");
        return true;
    case '[':
        words("adres", "eepr");
        return true;
    case '\\':
        words("close", "eepr");
        return true;
    default:
        return false;
    }
}

bool Link::dispatchFourByte() {
    auto words = [this](const char* instr, const std::string& object) {
        logInstr_ = instr;
        logObject_ = object;
    };
    auto switchedLayer = [this](Layer& layer, const char*& word) {
        switch (replyMachine_) {
        case 1:
            layer = Layer::Video;
            word = "video";
            return true;
        case 5:
            layer = Layer::Rgb;
            word = "RGB";
            return true;
        case 2:
            layer = Layer::Yc;
            word = "Y/C";
            return true;
        default:
            return false;
        }
    };
    Layer layer = Layer::Video;
    const char* layerWord = "";

    switch (firstByte_) {
    case 0x41:
        if (!switchedLayer(layer, layerWord))
            return false;
        words("Swch", layerWord);
        routing(layer, replyOut_, replyIn_);
        return true;
    case 0x42:
        if (replyMachine_ != 1)
            return false;
        words("Swch", "audio");
        routing(Layer::Audio, replyOut_, replyIn_);
        return true;
    case 0x43:
        words(replyOut_ == 0 ? "Store" : "Del", "M" + numberText(replyIn_));
        if (rules_)
            rules_->storeReport();
        return true;
    case 0x44:
        words("Call", "M" + numberText(replyIn_));
        return true;
    case 0x45:
        // A status answer carries the input in its third byte; the output is the one asked for.
        if (!awaitingReply_ || !switchedLayer(layer, layerWord))
            return false;
        words("read", layerWord);
        routing(layer, cmd_.cmdData1, replyOut_);
        return true;
    case 0x46:
        if (!awaitingReply_ || replyMachine_ != 1)
            return false;
        words("read", "audio");
        routing(Layer::Audio, cmd_.cmdData1, replyOut_);
        return true;
    case 0x50: {
        const ErrorWords error = errorReportWords(replyOut_);
        logIn_ = error.in;
        logOut_ = error.out;
        replyMatched_ = true;
        return false;
    }
    case 0x53:
        words(replyOut_ == 0 ? "Store" : "Del", "audio");
        return true;
    case 0x54:
        words("Call", "audio");
        return true;
    case 0x55:
        if (replyMachine_ != 1)
            return false;
        words(sentText_.starts_with("19") ? "read" : "set", "VCA");
        replyMatched_ = true;
        if (rules_)
            rules_->vcaReport(replyIn_, replyOut_);
        return true;
    case 0x56: {
        if (replyMachine_ != 1)
            return false;
        words(sentText_.starts_with("19") ? "read" : "set", "Gain");
        std::optional<bool> balanced;
        if ((replyOut_ & 0x60) == 0x20)
            balanced = true;
        else if ((replyOut_ & 0x60) == 0x60)
            balanced = false;
        if (rules_)
            rules_->gainReport(replyOut_ & 31, balanced);
        return true;
    }
    case 0x60:
        words("Trans", "eepr");
        return true;
    case 0x61:
        words("Line", replyOut_ == 0 ? "OFF" : "ON");
        setOnLine(replyOut_ != 0);
        return true;
    case 0x62:
        words("Keyb", replyMachine_ < 16 ? "LED" : "LCD");
        return true;
    case 0x63:
        logInstr_ = "write";
        if (replyMachine_ == 2)
            logObject_ = "Test";
        return true;
    case 0x79:
        if (replyMachine_ == 2) {
            words("Refr", "OSD");
            return true;
        }
        if (replyMachine_ == 3) {
            words("write", "POR");
            if (rules_)
                rules_->vcaSetupReport(replyIn_);
            return true;
        }
        return false;
    case 0x7D:
        if (cmd_.cmdData2 != 0 || replyMachine_ != 1)
            return false;
        if (cmd_.cmdData1 == 0) {
            words("read", "SN");
            matrixIdentity_ = simulating() ? kNoMatrixIdentity : twoDigits(replyOut_) + twoDigits(replyIn_);
            return true;
        }
        if (cmd_.cmdData1 == 1) {
            words("read", "POR");
            if (rules_)
                rules_->vcaSetupReport(replyOut_);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void Link::routing(Layer layer, int output, int input) {
    if (rules_)
        rules_->routingReport(layer, output, input);
}

void Link::setOnLine(bool onLine) {
    matrixOnLine_ = onLine;
    if (listener_)
        listener_->onLineChanged(onLine);
}

// History --------------------------------------------------------------------------------------------------

HistoryRow Link::lastRow() const {
    HistoryRow row;
    row.sent = sentText_;
    for (std::size_t i = 0; i < receivedCount_; ++i) {
        if (i > 0)
            row.received += '.';
        row.received += receivedTexts_[i];
    }
    row.instr = logInstr_;
    row.object = logObject_;
    row.recognised = !replyError_;
    row.in = replyError_ ? logIn_ : numberText(replyIn_);
    row.out = replyError_ ? logOut_ : numberText(replyOut_);
    row.atMicros = clock_.nowMicros();
    row.timeOfDay = clock_.timeOfDay();
    row.responseMs = std::lround(static_cast<double>(row.atMicros - sendTime_) / 1000.0);
    row.simulated = portNumber_ == 0;
    return row;
}

void Link::historyStep() {
    if (historyOpen_ && firstByte_ != 0xFF) {
        if (listener_)
            listener_->historyRowAdded(lastRow());
        sentText_ = "External";
    }
    awaitingReply_ = false;
}

} // namespace rl4

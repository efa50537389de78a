#include "link/link.h"

#include "link/frame_tables.h"
#include "link/matrix_search.h"
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

// Gains run 0..31.
constexpr int kGainLevels = 32;

// Where no reply rules were given, answers change nothing outside the link.
class IgnoredReplies : public ReplyRules {
public:
    void routingReport(Layer, int, int) override {}
    void vcaReport(int, int) override {}
    void gainReport(int, std::optional<bool>) override {}
    void inputModeReport(bool) override {}
    void vcaSetupReport(int) override {}
    void storeReport() override {}
};

bool machineFits(int rowMachine, int machine) {
    return rowMachine == kAnyMachine || rowMachine == machine;
}

// The mode a 4-byte gain answer carries in bits 5 and 6 of its value: 01 balanced, 11 unbalanced.
std::optional<bool> inputMode(int value) {
    if ((value & 0x60) == 0x20)
        return true;
    if ((value & 0x60) == 0x60)
        return false;
    return std::nullopt;
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
    lineLost_ = false;
    lineLostReason_.clear();
    portFailure_.clear();
    channel_.reset();
    if (portNumber_ == 0)
        return;
    channel_ = opener_.openPort(portNumber_);
    if (channel_)
        portError_ = false;
    else
        portFailure_ = opener_.lastFailure();
}

void Link::closePort() {
    channel_.reset();
}

bool Link::channelOpen() const {
    return channel_ && channel_->isOpen();
}

std::size_t Link::bytesWaiting() {
    if (!channelOpen())
        return 0;
    const std::size_t waiting = channel_->bytesWaiting();
    checkLine();
    return waiting;
}

std::size_t Link::readBytes(std::uint8_t* buffer, std::size_t n) {
    if (!channelOpen())
        return 0;
    const std::size_t got = channel_->read(buffer, n);
    checkLine();
    return got;
}

// Sending --------------------------------------------------------------------------------------------------

SendResult Link::SendCommand(const CommandParams& params) {
    cmd_ = params;
    if (refuseWhileLineLost()) {
        replyError_ = true;
        replyMatched_ = true;
        firstByte_ = 0xFF;
        receivedCount_ = 0;
        ++failedCommands_;
        return result();
    }
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
    takeRow();
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
    for (std::uint8_t byte : frame) {
        if (!channel_->writeByte(byte)) {
            checkLine();
            return;
        }
    }
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

// The object word of the instruction sent stays in the history when the answer is not recognised.
void Link::setObjectWord() {
    const char* word = nullptr;
    if (protocolLength_ == 5) {
        if (const FiveByteRow* row = fiveByteRow(cmd_.cmdLetter))
            word = row->sentObject;
    } else if (cmd_.cmdCode == kReadCode) {
        // The read's first value says what it reads.
        word = cmd_.cmdData1 == 0 ? "VCA" : "Gain";
    } else {
        for (const FourByteRow& row : fourByteRows()) {
            if (row.code == cmd_.cmdCode && machineFits(row.machine, cmd_.cmdMachine)) {
                word = row.sentObject;
                break;
            }
        }
    }
    if (word != nullptr)
        logObject_ = word;
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
    // A line gone meanwhile has its own history row: no answer was missed on it.
    return lineLost_ ? 0xFF : kMissingAnswer;
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
    const FiveByteRow* row = fiveByteRow(letter);
    if (row == nullptr)
        return false;
    logInstr_ = row->instr;
    logObject_ = row->object;
    applyEffect(row->effect, row->layer);
    return true;
}

bool Link::asked(Asked request) const {
    switch (request) {
    case Asked::WhileAwaiting:
        return awaitingReply_;
    case Asked::SerialNumber:
        return cmd_.cmdData2 == 0 && cmd_.cmdData1 == 0;
    case Asked::VcaSetup:
        return cmd_.cmdData2 == 0 && cmd_.cmdData1 == 1;
    case Asked::Anything:
        break;
    }
    return true;
}

bool Link::dispatchFourByte() {
    const int code = firstByte_ & 0x3F;
    for (const FourByteRow& row : fourByteRows()) {
        if (row.code != code || !machineFits(row.machine, replyMachine_) || !asked(row.asked))
            continue;
        if (row.effect == ReplyEffect::ErrorReport) {
            const ErrorWords error = errorReportWords(replyOut_);
            logIn_ = error.in;
            logOut_ = error.out;
            replyMatched_ = true;
            return false;
        }
        if (row.instr == nullptr)
            return false;
        setFourByteWords(row);
        applyEffect(row.effect, row.layer);
        return true;
    }
    return false;
}

void Link::setFourByteWords(const FourByteRow& row) {
    logInstr_ = row.instr;
    const std::string setup = "M" + numberText(replyIn_);
    switch (row.words) {
    case Words::AsListed:
        logObject_ = row.object;
        break;
    case Words::StoreOrDelete:
        logInstr_ = replyOut_ == 0 ? row.instr : "Del";
        logObject_ = row.object;
        break;
    case Words::SetupStoreOrDelete:
        logInstr_ = replyOut_ == 0 ? row.instr : "Del";
        logObject_ = setup;
        break;
    case Words::Setup:
        logObject_ = setup;
        break;
    case Words::ReadOrSet:
        // A read (code 25) is answered with the code of the matching set.
        logInstr_ = sentText_.starts_with("19") ? "read" : row.instr;
        logObject_ = row.object;
        break;
    case Words::LineState:
        logObject_ = replyOut_ == 0 ? "OFF" : row.object;
        break;
    case Words::KeyboardKind:
        logObject_ = replyMachine_ < 16 ? row.object : "LCD";
        break;
    case Words::TestOnMachine2:
        if (replyMachine_ == 2)
            logObject_ = row.object;
        break;
    }
}

void Link::applyEffect(ReplyEffect effect, Layer layer) {
    switch (effect) {
    case ReplyEffect::None:
    case ReplyEffect::ErrorReport:
        break;
    case ReplyEffect::OnLine:
        setOnLine(true);
        break;
    case ReplyEffect::OffLine:
        setOnLine(false);
        break;
    case ReplyEffect::LineFromOut:
        setOnLine(replyOut_ != 0);
        break;
    case ReplyEffect::SerialHex:
        setIdentity(hex2(replyOut_ & 0x7F) + hex2(replyIn_));
        break;
    case ReplyEffect::SerialDecimal:
        setIdentity(twoDigits(replyOut_) + twoDigits(replyIn_));
        break;
    case ReplyEffect::Routing:
        rules().routingReport(layer, replyOut_, replyIn_);
        break;
    case ReplyEffect::StatusRouting:
        // A status answer carries the input in its third byte; the output is the one asked for.
        rules().routingReport(layer, cmd_.cmdData1, replyOut_);
        break;
    case ReplyEffect::VcaOutIn:
        rules().vcaReport(replyOut_, replyIn_);
        break;
    case ReplyEffect::VcaInOut:
        replyMatched_ = true;
        rules().vcaReport(replyIn_, replyOut_);
        break;
    case ReplyEffect::GainIn:
        if (replyIn_ < kGainLevels)
            rules().gainReport(replyIn_, std::nullopt);
        break;
    case ReplyEffect::GainAndModeOut:
        rules().gainReport(replyOut_ & (kGainLevels - 1), inputMode(replyOut_));
        break;
    case ReplyEffect::ModeIn:
        rules().inputModeReport(replyIn_ == 0);
        break;
    case ReplyEffect::VcaSetupIn:
        rules().vcaSetupReport(replyIn_);
        break;
    case ReplyEffect::VcaSetupOut:
        rules().vcaSetupReport(replyOut_);
        break;
    case ReplyEffect::Store:
        rules().storeReport();
        break;
    }
}

// An echo is no matrix: without a port the identity keeps the no-matrix mark.
void Link::setIdentity(const std::string& identity) {
    matrixIdentity_ = simulating() ? kNoMatrixIdentity : identity;
}

ReplyRules& Link::rules() {
    static IgnoredReplies ignored;
    return rules_ != nullptr ? *rules_ : ignored;
}

void Link::setOnLine(bool onLine) {
    matrixOnLine_ = onLine;
    if (listener_)
        listener_->onLineChanged(onLine);
}

// Lost line ------------------------------------------------------------------------------------------------

void Link::checkLine() {
    if (channel_ && channel_->lineGone())
        loseLine(channel_->lineGoneReason());
}

// The channel goes at once: a hung-up descriptor reports ready for ever, and every wait on it would spin.
void Link::loseLine(const std::string& reason) {
    channel_.reset();
    lineLost_ = true;
    lineLostReason_ = reason;
    nextLineRetry_ = clock_.nowMicros() + kLineRetryMicros;
    if (retryingLine_)
        return;
    matrixOnLine_ = false;
    if (!listener_)
        return;
    listener_->onLineChanged(false);
    if (historyOpen_) {
        HistoryRow row = lastRow();
        row.sent.clear();
        row.received.clear();
        row.instr = "Error";
        row.object = "line";
        row.in = "lost";
        row.out.clear();
        row.recognised = false;
        row.responseMs = 0;
        listener_->historyRowAdded(row);
    }
    listener_->lineLost(reason);
}

bool Link::refuseWhileLineLost() {
    if (!lineLost_)
        return false;
    if (listener_)
        listener_->commandRefused();
    return true;
}

bool Link::retryLostLine() {
    if (!lineLost_ || clock_.nowMicros() < nextLineRetry_)
        return false;
    nextLineRetry_ = clock_.nowMicros() + kLineRetryMicros;
    channel_ = opener_.reopenPort(portNumber_);
    if (!channel_)
        return false;
    const std::string reason = lineLostReason_;
    const std::string identity = matrixIdentity_;
    lineLost_ = false;
    retryingLine_ = true;
    forgetIdentity();
    requestIdentity(*this);
    retryingLine_ = false;
    if (lineLost_ || !matrixAnswered(*this)) {
        // Something opened but no matrix answered: as lost as before, and the next try as far away.
        channel_.reset();
        lineLost_ = true;
        lineLostReason_ = reason;
        matrixIdentity_ = identity;
        nextLineRetry_ = clock_.nowMicros() + kLineRetryMicros;
        return false;
    }
    portError_ = false;
    if (listener_)
        listener_->lineBack();
    return true;
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
    if (firstByte_ != 0xFF)
        takeRow();
    awaitingReply_ = false;
}

// The frame log takes every row; the history only while it is shown.
void Link::takeRow() {
    if (!historyOpen_ && !rowLog_)
        return;
    const HistoryRow row = lastRow();
    if (rowLog_)
        rowLog_->historyRowAdded(row);
    if (historyOpen_ && listener_)
        listener_->historyRowAdded(row);
    sentText_ = "External";
}

} // namespace rl4

#include "diag/debug_model.h"

#include <algorithm>

namespace rl4 {

namespace {

constexpr const char* kConnectInput = "Connect Input ";
constexpr const char* kInput = "Input ";
constexpr const char* kComplete = " COMPLETE";
constexpr const char* kRead = "read ";
constexpr const char* kReadVideo1 = "read v1";
constexpr const char* kIn = "in:";
constexpr const char* kToOut = " to out:";
constexpr const char* kModeTestQuestion = "Do you want to turn to MODE TEST";
constexpr const char* kModeTestTitle = "Matrix Test";
constexpr const char* kModeTestStep = "INx to OUTx mod 8";
constexpr const char* kNone = "none ";

constexpr RgbColour kErrorColour{255, 0, 0};
constexpr RgbColour kResetColour{0, 255, 0};

// The slider's value is a pause of value x 1000 / divisor milliseconds.
constexpr int kWriteDivisor = 8;
constexpr int kReadDivisor = 10;

// The matrix's own test mode, 4-byte form only.
constexpr CommandParams kTestMode{0, 35, 2, 2, 2};

// The routing read of each layer as this window sends it: Y/C is asked with its own letter and machine,
// not those of the status reading.
struct ReadRequest {
    char letter;
    int code;
    int machine;
};
constexpr std::array<ReadRequest, 4> kReadRequests{{{'v', 5, 1}, {'a', 6, 1}, {'r', 5, 5}, {'u', 5, 3}}};

CommandParams readRequest(Layer layer, int output) {
    const ReadRequest& request = kReadRequests[static_cast<std::size_t>(layerIndex(layer))];
    return {request.letter, request.code, request.machine, output, 0};
}

} // namespace

DebugModel::DebugModel(Link& link, RoutingTable& routing, RoutingCommands& routingCommands,
                       StatusReader& statusReader, Assignments& assignments, Prompt& prompt, Clock& clock,
                       DebugListener& listener)
    : link_(link), routing_(routing), routingCommands_(routingCommands), statusReader_(statusReader),
      assignments_(assignments), prompt_(prompt), clock_(clock), listener_(&listener) {}

void DebugModel::frmdebug_Load() {
    const AssignmentTable& table = assignments_.activeTable;
    sourceCount_ = usableCount(table.sourceCount);
    destinationCount_ = usableCount(table.destinationCount);
    choices_.firstSource = 1;
    choices_.lastSource = sourceCount_;
    choices_.firstDestination = 1;
    choices_.lastDestination = destinationCount_;
    MatrixSizes sizes = assignments_.sizes;
    for (Layer layer : kLayers)
        choices_.layers[static_cast<std::size_t>(layerIndex(layer))] =
            sizes.in(layer) > 0 && sizes.out(layer) > 0;
    choices_.slidebugspeed = 1;
    open_ = true;
    changed();
}

// Loops --------------------------------------------------------------------------------------------------

void DebugModel::runLoop(DebugLoop loop, bool (DebugModel::*cycle)()) {
    if (looping() || link_.refuseWhileLineLost())
        return;
    withLinkHeld([&] {
        loop_ = loop;
        stopRequested_ = false;
        cycles_ = 0;
        changed();
        // A lost line ends the loop: its refused commands would go round without a pause.
        while (!stopRequested_ && !link_.lineLost() && (this->*cycle)()) {
            ++cycles_;
            if (choices_.cycleLimit > 0 && cycles_ >= choices_.cycleLimit)
                break;
        }
        loop_ = DebugLoop::None;
        changed();
    });
    tmrdebugDue_.reset();
}

bool DebugModel::withLinkHeld(const std::function<void()>& sending) {
    if (!linkHolder_) {
        sending();
        return true;
    }
    return linkHolder_(sending);
}

void DebugModel::cmddebugwrite_Click() {
    if (looping())
        return;
    prodebugMaximum_ = std::max(1, std::min(choices_.lastDestination, destinationCount_));
    prodebug_ = 1;
    tmrdebugDue_ = clock_.nowMicros() + kStatusReadingMicros;
    runLoop(DebugLoop::Write, &DebugModel::writeCycle);
}

void DebugModel::cmddebugread_Click() {
    runLoop(DebugLoop::Read, &DebugModel::readCycle);
}

void DebugModel::readvideo1_Click() {
    if (looping())
        return;
    lbldebug_ = kReadVideo1;
    runLoop(DebugLoop::ReadVideo1, &DebugModel::readVideo1Cycle);
}

void DebugModel::readvideo12_Click() {
    runLoop(DebugLoop::ReadVideo12, &DebugModel::readVideo12Cycle);
}

// The wanted source of each ticked layer is set against an unknown matrix source, so that the download
// sends it even where the matrix already holds it. A destination without an output on a layer, or a
// source without an input, sends nothing there: the step still counts, pauses and asks.
bool DebugModel::writeCycle() {
    const int lastSource = std::min(choices_.lastSource, usableCount(assignments_.activeTable.sourceCount));
    const int lastDestination =
        std::min(choices_.lastDestination, usableCount(assignments_.activeTable.destinationCount));
    const int firstDestination = std::max(1, choices_.firstDestination);
    bool stepped = false;
    for (int i = std::max(1, choices_.firstSource); i <= lastSource; ++i) {
        for (int o = firstDestination; o <= lastDestination; ++o) {
            stepped = true;
            for (Layer layer : kLayers) {
                if (choices_.layers[static_cast<std::size_t>(layerIndex(layer))]) {
                    routing_.wanted(layer, o) = i;
                    routing_.held(layer, o) = NotAssigned;
                }
            }
            const long failedBefore = link_.failedCommands();
            routingCommands_.DownloadRouting();
            countStep(failedBefore);
            lbldebug_ = kIn + std::to_string(i) + kToOut + std::to_string(o);
            stepDone();
            if (!pause(slowPause(kWriteDivisor)))
                return false;
            if (o == 1 && choices_.stepByStep &&
                prompt_.messageBox(kConnectInput + std::to_string(i), PromptButtons::OkCancel, kProgramTitle,
                                   PromptIcon::None) != kAnswerOk)
                return false;
            // The stop button may have been pressed while the question waited.
            if (stopRequested_)
                return false;
            prodebug_ = o;
            changed();
        }
        if (choices_.stepByStep) {
            clock_.beep();
            prompt_.messageBox(kInput + std::to_string(i) + kComplete, PromptButtons::Ok, kProgramTitle,
                               PromptIcon::Information);
            if (stopRequested_)
                return false;
        }
    }
    return stepped;
}

// The output asked is the destination's number itself, not its connector: the test walks the matrix's
// outputs whatever the assignment calls them.
bool DebugModel::readCycle() {
    const int lastDestination =
        std::min(choices_.lastDestination, usableCount(assignments_.activeTable.destinationCount));
    bool stepped = false;
    for (int o = std::max(1, choices_.firstDestination); o <= lastDestination; ++o) {
        for (Layer layer : kLayers) {
            if (!choices_.layers[static_cast<std::size_t>(layerIndex(layer))])
                continue;
            stepped = true;
            lbldebug_ = kRead + std::to_string(o);
            if (!readStep(layer, o, slowPause(kReadDivisor)))
                return false;
        }
    }
    return stepped;
}

bool DebugModel::readVideo1Cycle() {
    return readStep(Layer::Video, 1, fastPause());
}

bool DebugModel::readVideo12Cycle() {
    for (int o : {1, 2}) {
        lbldebug_ = kRead + std::to_string(o);
        if (!readStep(Layer::Video, o, fastPause()))
            return false;
    }
    return true;
}

bool DebugModel::readStep(Layer layer, int output, int pauseMillis) {
    const long failedBefore = link_.failedCommands();
    link_.SendCommand(readRequest(layer, output));
    countStep(failedBefore);
    stepDone();
    return pause(pauseMillis);
}

// Every command of the step whose answer was missing or not understood counts, once the step is over.
void DebugModel::countStep(long failedBefore) {
    const long failed = link_.failedCommands() - failedBefore;
    if (failed > 0) {
        errorCount_ += failed;
        errorNone_ = false;
        counterColour_ = kErrorColour;
        clock_.beep();
    }
    shotNone_ = false;
}

void DebugModel::stepDone() {
    changed();
    listener_->debugStepDone();
}

bool DebugModel::pause(int millis) {
    const std::int64_t end = clock_.nowMicros() + std::int64_t{millis} * 1000;
    for (;;) {
        letEventsRun();
        if (stopRequested_ || link_.lineLost())
            return false;
        const std::int64_t now = clock_.nowMicros();
        if (now >= end)
            return true;
        clock_.waitUntil(std::min(end, now + std::int64_t{kPauseSliceMillis} * 1000));
    }
}

void DebugModel::letEventsRun() {
    listener_->debugLetEventsRun();
    if (!stopRequested_ && tmrdebugDue_ && clock_.nowMicros() >= *tmrdebugDue_) {
        tmrdebug_Timer();
        tmrdebugDue_ = clock_.nowMicros() + kStatusReadingMicros;
    }
}

int DebugModel::slowPause(int divisor) const {
    return choices_.pauseMillis.value_or(std::clamp(choices_.slidebugspeed, 0, kSpeedMaximum) * 1000 /
                                         divisor);
}

int DebugModel::fastPause() const {
    return choices_.pauseMillis.value_or(0);
}

// Commands outside the loops -----------------------------------------------------------------------------

void DebugModel::cmdpartest_Click() {
    if (prompt_.messageBox(kModeTestQuestion, PromptButtons::YesNo, kModeTestTitle, PromptIcon::Question) !=
        kAnswerYes)
        return;
    if (link_.protocolLength() != 4 || looping())
        return;
    withLinkHeld([this] {
        lbldebug_ = kModeTestStep;
        CommandParams testMode = kTestMode;
        // The letter belongs to the 5-byte form: the one of the instruction before stays.
        testMode.cmdLetter = link_.commandParams().cmdLetter;
        link_.SendCommand(testMode);
        testOperating_ = true;
        changed();
    });
}

void DebugModel::cmdstopdebug_Click() {
    requestStop();
    tmrdebugDue_.reset();
}

void DebugModel::cmddebugreset_Click() {
    errorCount_ = 0;
    link_.resetShotCount();
    errorNone_ = true;
    shotNone_ = true;
    counterColour_ = kResetColour;
    changed();
}

void DebugModel::quitdebug_Click() {
    cmdstopdebug_Click();
    open_ = false;
    changed();
}

void DebugModel::tmrdebug_Timer() {
    statusReader_.ReadMatrixStatus();
}

std::string DebugModel::lbldebugerror() const {
    return errorNone_ ? kNone : std::to_string(errorCount_);
}

std::string DebugModel::lbldebugshot() const {
    return shotNone_ ? kNone : std::to_string(link_.shotCount()) + " ";
}

void DebugModel::changed() {
    listener_->debugModelChanged();
}

} // namespace rl4

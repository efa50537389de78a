#pragma once

#include "assign/assignments.h"
#include "diag/debug_listener.h"
#include "link/link.h"
#include "platform/clock.h"
#include "sheet/routing_commands.h"
#include "sheet/routing_table.h"
#include "sheet/status_reader.h"
#include "text/prompt.h"
#include "text/rgb_colour.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace rl4 {

// A test as the debug window's controls choose it. Source and destination numbers are object numbers of the
// active assignment.
struct DebugChoices {
    int firstSource = 1;            // cbdebugib
    int lastSource = 0;             // cbdebugie
    int firstDestination = 1;       // cbdebugob
    int lastDestination = 0;        // cbdebugoe
    std::array<bool, 4> layers{};   // chkdebugv, chkdebuga, chkdebugr, chkdebugy, by layerIndex
    bool stepByStep = false;        // chkcrosspoint: the write test asks before each source
    int slidebugspeed = 1;          // the pause between steps, 0..kSpeedMaximum
    std::optional<int> pauseMillis; // the command line's pause, in place of the slider's
    int cycleLimit = 0;             // the command line's cycle count; 0 runs until stopped
};

enum class DebugLoop { None, Write, Read, ReadVideo1, ReadVideo12 };

// The debug and test window `frmdebug`: loops that switch ranges of sources to ranges of destinations or
// read routings back, the matrix's test mode, and the two counters of the whole run: commands sent (the
// link's shotCount) and commands whose answer was missing or not understood (errorCount).
//
// A loop runs inside the call that starts it, one step at a time. After every step, and in small slices
// through every pause, the listener lets the program's events run, so that the windows stay painted and a
// stop request (the stop button, Escape, a closing window, a signal) ends the loop within the step. Only
// one loop runs at a time.
class DebugModel {
public:
    static constexpr int kSpeedMaximum = 10;
    // Pauses wait in slices of this length, so that a stop request ends them at once.
    static constexpr int kPauseSliceMillis = 10;
    // tmrdebug: while the write test runs, the whole status is read back this often, between two steps.
    static constexpr std::int64_t kStatusReadingMicros = 30'000'000;

    DebugModel(Link& link, RoutingTable& routing, RoutingCommands& routingCommands,
               StatusReader& statusReader, Assignments& assignments, Prompt& prompt, Clock& clock,
               DebugListener& listener);
    DebugModel(const DebugModel&) = delete;
    DebugModel& operator=(const DebugModel&) = delete;

    // The command line puts its own printer in the window's place.
    void setListener(DebugListener& listener) { listener_ = &listener; }

    // Runs what sends (a loop, the test mode) while the link is held for it, so that nothing else sends in
    // between; false, without running it, while another long operation holds the link. By default it runs.
    using LinkHolder = std::function<bool(const std::function<void()>& sending)>;
    void setLinkHolder(LinkHolder holder) { linkHolder_ = std::move(holder); }

    // Lists of the assignment's counts, the whole ranges chosen, each layer the matrix has ticked.
    void frmdebug_Load();
    bool isOpen() const { return open_; }

    DebugChoices& choices() { return choices_; }
    const DebugChoices& choices() const { return choices_; }

    void cmddebugwrite_Click();
    void cmddebugread_Click();
    void readvideo1_Click();
    void readvideo12_Click();
    // Asks first; the test mode exists only in the 4-byte form, so nothing is sent in the 5-byte form.
    void cmdpartest_Click();
    void cmdstopdebug_Click();
    void cmddebugreset_Click();
    // The window closes (its quit button, its close box): a loop under way ends, tmrdebug stops.
    void quitdebug_Click();
    // Reads the whole matrix status into the sheet.
    void tmrdebug_Timer();

    // Escape, a closing main window, a signal: the loop under way ends after its step, or at once in a pause.
    void requestStop() { stopRequested_ = true; }
    bool looping() const { return loop_ != DebugLoop::None; }

    // What the window shows.
    int sourceCount() const { return sourceCount_; }
    int destinationCount() const { return destinationCount_; }
    const std::string& lbldebug() const { return lbldebug_; }
    std::string lbldebugerror() const;
    std::string lbldebugshot() const;
    // Red after an error, green after a reset; nothing before either.
    std::optional<RgbColour> counterColour() const { return counterColour_; }
    int prodebug() const { return prodebug_; }
    int prodebugMaximum() const { return prodebugMaximum_; }
    // The matrix was put in its test mode: cmdpartest says so.
    bool testOperating() const { return testOperating_; }
    long errorCount() const { return errorCount_; }

private:
    // Runs `cycle` again and again until it asks to end, a stop request comes or the cycle limit is reached.
    void runLoop(DebugLoop loop, bool (DebugModel::*cycle)());
    bool writeCycle();
    bool readCycle();
    bool readVideo1Cycle();
    bool readVideo12Cycle();
    // Sends one routing read of a layer for output `output`; false once the loop is to end.
    bool readStep(Layer layer, int output, int pauseMillis);
    void countStep(long failedBefore);
    void stepDone();
    // False when a stop request ended the pause.
    bool pause(int millis);
    void letEventsRun();
    int slowPause(int divisor) const;
    int fastPause() const;
    void changed();
    bool withLinkHeld(const std::function<void()>& sending);

    Link& link_;
    RoutingTable& routing_;
    RoutingCommands& routingCommands_;
    StatusReader& statusReader_;
    Assignments& assignments_;
    Prompt& prompt_;
    Clock& clock_;
    DebugListener* listener_;
    LinkHolder linkHolder_;

    DebugChoices choices_;
    bool open_ = false;
    int sourceCount_ = 0;
    int destinationCount_ = 0;
    DebugLoop loop_ = DebugLoop::None;
    bool stopRequested_ = false;
    // Cycles completed by the loop under way, against the command line's limit.
    int cycles_ = 0;
    // tmrdebug's next reading, while it runs.
    std::optional<std::int64_t> tmrdebugDue_;

    std::string lbldebug_;
    long errorCount_ = 0;
    // After a reset each label says "none " until the counter update that changes it.
    bool errorNone_ = false;
    bool shotNone_ = false;
    std::optional<RgbColour> counterColour_;
    int prodebug_ = 0;
    int prodebugMaximum_ = 1;
    bool testOperating_ = false;
};

} // namespace rl4

#pragma once

namespace rl4 {

// What the debug and test window's model tells the window that draws it, or the command line that runs its
// loops. Every notice has an empty default.
class DebugListener {
public:
    virtual ~DebugListener() = default;

    // Labels, counters, progress bar, lists, the loop under way or the test mode button changed: redraw from
    // the model.
    virtual void debugModelChanged() {}
    // One step of a test loop is done and counted: the step label and the counters show its outcome.
    virtual void debugStepDone() {}
    // A loop is between two steps or inside a pause: what waits may run now (painting, the stop button,
    // Escape, a signal), so that a stop request reaches the loop.
    virtual void debugLetEventsRun() {}
};

} // namespace rl4

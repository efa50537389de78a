#pragma once

#include "assign/assignments.h"
#include "link/link.h"
#include "sheet/sheet_listener.h"

#include <string>

namespace rl4 {

inline constexpr int kVcaMinimum = 0;
inline constexpr int kVcaMaximum = 31;

// What the level label shows for a level index: "-oo dB" for 0, else 3 dB a step below 0 dB at 31.
std::string vcaLevelText(int level);

// The VCA slider of the main window and its label and buttons, for the current destination. The slider
// shows what the matrix last reported; moving it sends the level and keeps nothing, so the matrix stays the
// only keeper of the levels.
class VcaPanel {
public:
    VcaPanel(Link& link, const Assignments& assignments);

    void setListener(SheetListener* listener) { listener_ = listener; }

    // Shows destination d and, when it has an audio output, asks the matrix for its level; without one the
    // slider stands empty.
    void SelectVcaDestination(int d);
    // The active assignment changed: the shown destination's new name, and its level asked again only when
    // its audio output changed.
    void assignmentChanged();
    void ShowVcaLevel();
    // The matrix reported `level` for the shown destination's audio output.
    void levelReported(int level);
    // The operator moved the slider to `value`.
    void sli1_Change(int value);
    void cmdslimin_Click();
    void cmdslimax_Click();
    // Every destination with an audio output to one level; the panel itself does not change.
    void SetAllVca(int level);

    int destination() const { return destination_; }
    // `volsrc`: the destination's name.
    const std::string& volsrc() const { return volsrc_; }
    int sli1() const { return sli1_; }
    // The slider and both buttons are enabled, and `volpourcent` visible, together: when the destination
    // has an audio output.
    bool enabled() const { return enabled_; }
    const std::string& volpourcent() const { return volpourcent_; }

private:
    // Destination d's record, or nothing for a number outside the table.
    const Destination* record(int d) const;
    int audioOutput(int d) const;
    void showName();
    void changed();

    Link& link_;
    const Assignments& assignments_;
    SheetListener* listener_ = nullptr;
    int destination_ = 0; // 0 until a destination is shown
    int output_ = NotAssigned;
    std::string volsrc_;
    int sli1_ = 0;
    bool enabled_ = false;
    std::string volpourcent_;
};

} // namespace rl4

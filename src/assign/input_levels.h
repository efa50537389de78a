#pragma once

#include "assign/assignments.h"
#include "assign/editor_menu.h"
#include "link/link.h"
#include "text/message_table.h"
#include "text/prompt.h"

#include <string>

namespace rl4 {

inline constexpr int kGainMinimum = 0;
inline constexpr int kGainMaximum = 31;

// The label of an input gain 0..31: "-oo dB" for 0, else 3 dB a step from 0 dB at 26.
std::string inputGainText(int level);

// The audio input controls of the assignment editor: gain slider `sliagn` with its label `lblvolagn`, the
// mode button `cmdbal`, the level menu entries 401..407 and the audio monitor label `lblaudiomonitor`.
// Gain and mode live in the matrix only: every action sends an instruction, and the controls show what
// the matrix answers (gainReported, modeReported): without an answer the slider stays at its bottom and
// no mode is checked.
class InputLevels {
public:
    // `currentRow` is the editor's selected record, whose audio input the level commands act on.
    InputLevels(Link& link, Assignments& assignments, MessageTable& messages, Prompt& prompt,
                EditorMenu& menu, const int& currentRow);

    // Every refill of the editor list: controls hidden and locked, level entries off.
    void lockAndHide();
    // A row was clicked in the sources view: shows the controls for an audio input, asks the matrix for
    // its gain (and mode, in the 5-byte form) and routes the source to the audio monitor.
    void sourceRowClicked();
    // A row was clicked in the destinations or special functions view.
    void otherRowClicked(bool destinationsView);

    void toggleAdjustments();        // 406
    void setMode(bool balanced);     // 401, 402
    void setAllModes(bool balanced); // 403, 404
    void adjustAll();                // 407
    void selectAudioMonitor();       // 405
    void sliagn_Change(int value);
    void cmdbal_Click();

    // What the matrix answered about the audio input last asked for.
    void gainReported(int level);
    void modeReported(bool balanced);

    // No destination monitors the sources any more, as when the editor opens.
    void clearAudioMonitor();

    // Destination whose audio output monitors the selected source; NotAssigned for none.
    int audioMonitorDest() const { return audioMonitorDest_; }
    // sliagn, lblvolagn and cmdbal are shown, and enabled, together.
    bool controlsVisible() const { return controlsVisible_; }
    bool controlsEnabled() const { return controlsEnabled_; }
    int sliagn() const { return sliagn_; }
    const std::string& lblvolagn() const { return lblvolagn_; }
    const std::string& cmdbal() const { return cmdbal_; }
    const std::string& lblvolagnHint() const { return lblvolagnHint_; }
    const std::string& sliagnHint() const { return sliagnHint_; }
    bool audioMonitorVisible() const { return audioMonitorVisible_; }
    const std::string& lblaudiomonitor() const { return lblaudiomonitor_; }

private:
    struct Instruction {
        int letter;
        int fiveByteValue;
        int code;
        int first;
    };
    // The 5-byte form carries the audio input in the output byte; the 4-byte form after the value.
    void sendForInput(const Instruction& instruction, int audioInput);
    void sendGain(int level, int audioInput);
    void sendMode(bool balanced, int audioInput);
    void setLocked(bool locked);
    std::string modeCaption(bool balanced) const;
    bool fiveByte() const { return link_.protocolLength() == 5; }

    Link& link_;
    Assignments& assignments_;
    MessageTable& messages_;
    Prompt& prompt_;
    EditorMenu& menu_;
    const int& currentRow_;
    // The audio input of the row clicked, as the list shows it, for every level command until the next
    // click or refill: after an unsaved insert the same record number in the active table is another
    // source. NotAssigned when the row has none.
    int selectedInput_ = NotAssigned;

    int audioMonitorDest_ = NotAssigned;
    bool controlsVisible_ = false;
    bool controlsEnabled_ = false;
    int sliagn_ = kGainMinimum;
    std::string lblvolagn_;
    std::string cmdbal_;
    std::string lblvolagnHint_;
    std::string sliagnHint_;
    bool audioMonitorVisible_ = false;
    std::string lblaudiomonitor_;
};

} // namespace rl4

#pragma once

#include "assign/assignment_model.h"
#include "link/reply_rules.h"
#include "sheet/routing_table.h"
#include "sheet/sheet_listener.h"
#include "sheet/store_button.h"
#include "sheet/switching_sheet.h"

#include <functional>
#include <string>

namespace rl4 {

// Applies what the matrix reports to the program: connector numbers are turned back into the objects of
// the active assignment, and only a report that names exactly one destination and one source changes the
// routing.
class ReplyDecoder : public ReplyRules {
public:
    ReplyDecoder(const AssignmentTable& activeTable, RoutingTable& routing, SwitchingSheet& sheet,
                 StoreButton& storeButton, int& vcaSetup, SheetListener& listener);

    // Receives the VCA level reported for the current destination's audio output (the VCA panel).
    std::function<void(int level)> showVcaLevel;
    // Receive the gain (0..31) and the mode (true = balanced) reported for an audio input: the assignment
    // editor's input level controls.
    std::function<void(int level)> showInputGain;
    std::function<void(bool balanced)> showInputMode;

    void routingReport(Layer layer, int output, int input) override;
    void vcaReport(int output, int level) override;
    void gainReport(int level, std::optional<bool> balanced) override;
    void inputModeReport(bool balanced) override;
    void vcaSetupReport(int value) override;
    void storeReport() override;

private:
    // The first object 1..count on that connector, or 0 when none has it.
    int destinationOn(Layer layer, int output) const;
    int sourceOn(Layer layer, int input) const;

    const AssignmentTable& table_;
    RoutingTable& routing_;
    SwitchingSheet& sheet_;
    StoreButton& storeButton_;
    int& vcaSetup_;
    SheetListener& listener_;
};

} // namespace rl4

#pragma once

#include "assign/assignments.h"
#include "link/layer.h"
#include "sheet/routing_commands.h"
#include "sheet/routing_table.h"
#include "sheet/sheet_listener.h"
#include "sheet/switching_sheet.h"
#include "text/message_table.h"
#include "text/rgb_colour.h"
#include "text/window_place.h"

#include <array>
#include <span>
#include <string>
#include <vector>

namespace rl4 {

// A layer label of the switcher control window when the current destination cannot use that layer.
inline constexpr RgbColour kUnusableLayerLabel{220, 192, 127};

// One entry of a source list: "  3    Camera 3", the number right-aligned in three characters.
struct SwitcherEntry {
    int source = 0;
    std::string text;
};

// One drop-down list of the switcher control window as it is drawn.
struct SwitcherList {
    std::vector<SwitcherEntry> entries;
    int index = -1; // the selected entry, -1 for none
    bool enabled = false;
    RgbColour background = kWhite;
};

// The controls whose pointer hint goes to the main window's status bar.
enum class SwitcherControl {
    Background,
    lblcommutation,
    cbcommutation,
    cbcommutvideo,
    cbcommutaudio,
    cbcommutrgb,
    cbcommutyc,
    cmdcommutinc,
    cmdcommutdec
};

// The switcher control window `frmcommutation`: the sources that can reach the current destination, all
// layers at once or one layer at a time. Picking one changes the wanted routing and downloads the
// difference at once. The window draws the lists and labels below and forwards the operator's picks;
// selecting an entry from here never counts as a pick.
class SwitcherModel {
public:
    SwitcherModel(SwitchingSheet& sheet, const AssignmentTable& activeTable, RoutingTable& routing,
                  RoutingCommands& routingCommands, MessageTable& messages, PlaceKeeper& place,
                  SheetListener& listener);

    // Opens at the kept place, then shows the current destination.
    void frmcommutation_Load();
    void frmcommutation_Close();
    // The window stands at `place` now (twips); the workspace keeps it while the window is open.
    void frmcommutation_Move(WindowPlace place);
    // The window opened elsewhere than its kept place (none kept, or out of sight): the new place is kept.
    void frmcommutation_Placed(WindowPlace place);
    bool isOpen() const { return open_; }
    const WindowPlace& place() const { return place_; }

    void RefreshSwitcher();

    // The operator picked entry `index` of a list.
    void cbcommutation_Click(int index);
    void cbcommutvideo_Click(int index);
    void cbcommutaudio_Click(int index);
    void cbcommutrgb_Click(int index);
    void cbcommutyc_Click(int index);
    // Previous and next entry of the all-layers list, with wrap-round, switched at once; only while open.
    void cmdcommutdec_Click();
    void cmdcommutinc_Click();

    // The matrix reported `source` on a layer of destination d (the sheet's row update).
    void switcherFollowReport(int d, int source);
    // Keys typed in the sheet: the arrows step through the sources, "+", "-" and "1".."9" jump.
    void lvcom_KeyDown(int keyCode);
    void lvcom_KeyPress(int charCode);

    // The status-bar hint for the control under the pointer.
    std::string frmcommutation_MouseMove(SwitcherControl control);

    const std::string& lblcommutation() const { return lblcommutation_; }
    const SwitcherList& cbcommutation() const { return all_; }
    const SwitcherList& layerList(Layer layer) const { return layers_[index(layer)]; }
    // `lblcbvideo`, `lblcbaudio`, `lblcbrgb`, `lblcbyc`.
    RgbColour layerLabel(Layer layer) const { return labels_[index(layer)]; }

private:
    static std::size_t index(Layer layer) { return static_cast<std::size_t>(layerIndex(layer)); }
    void layerClick(Layer layer, int entry);
    void step(int delta);
    void switchAllLayers();
    // Sets the wanted source of the current destination on each given layer both objects use, then sends
    // what changed; nothing for a destination outside the assignment.
    void switchTo(int source, std::span<const Layer> layers);
    bool validDestination(int d) const;
    std::string destinationName(int d) const;
    void changed();

    SwitchingSheet& sheet_;
    const AssignmentTable& table_;
    RoutingTable& routing_;
    RoutingCommands& routingCommands_;
    MessageTable& messages_;
    PlaceKeeper& keptPlace_;
    SheetListener& listener_;
    bool open_ = false;
    WindowPlace place_;
    std::string lblcommutation_;
    SwitcherList all_;
    std::array<SwitcherList, 4> layers_;
    std::array<RgbColour, 4> labels_{kUnusableLayerLabel, kUnusableLayerLabel, kUnusableLayerLabel,
                                     kUnusableLayerLabel};
};

} // namespace rl4

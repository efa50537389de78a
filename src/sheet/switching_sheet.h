#pragma once

#include "assign/assignments.h"
#include "sheet/routing_table.h"
#include "sheet/sheet_listener.h"
#include "text/rgb_colour.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace rl4 {

inline constexpr RgbColour kSheetBackground{192, 220, 192};
inline constexpr RgbColour kCurrentRowBackground{96, 192, 255};
// Text of a row the matrix has just reported on, until the next row click.
inline constexpr RgbColour kReportedRowText{240, 0, 0};

// What a source cell shows for an entry that is not a source object: no source at all, and unknown (a
// command under way, or an output that did not answer the last status reading).
inline constexpr const char* kNoSourceCell = "";
inline constexpr const char* kUnknownSourceCell = "?";

// Main window height (twips) until the window tells its own.
inline constexpr int kDefaultWindowHeightTwips = 7000;

struct SheetColumn {
    std::string header;
    int widthTwips = 0;
    // The layer whose sources the column shows; none for "Sel" and "Destination".
    std::optional<Layer> layer;
};

// One row as the list draws it: the cells in column order, the check box and the colours.
struct SheetRow {
    int destination = 0;
    std::vector<std::string> cells;
    bool checked = false;
    RgbColour background = kSheetBackground;
    RgbColour text = kBlack;
};

// The all-layers source list of the switcher control window, as the sheet's keys need to know it.
struct AllLayersList {
    bool open = false;
    int index = -1;
    int count = 0;
};

// What an arrow key in the sheet asks of the switcher control window.
enum class SourceStep { None, Previous, Next };

// The switching sheet `lvcom`: one row per destination of the active assignment with its source on every
// used layer, its Sel check box, and the current destination highlighted. It computes everything the main
// window draws; the window forwards clicks, keys, check states and its height. Row numbers coming from the
// window are positions in rows(); any other number is ignored.
class SwitchingSheet {
public:
    SwitchingSheet(Assignments& assignments, const RoutingTable& routing, SheetListener& listener);

    int currentDestination() const { return currentDestination_; }
    // Makes d current without redrawing, as at start-up.
    void setCurrentDestination(int d) { currentDestination_ = d; }
    bool showAll() const { return showAll_; }
    // Show all or selected as the settings kept it, before the sheet is first filled.
    void restoreShowAll(bool all) { showAll_ = all; }
    // A check box may have changed: the main loop runs SyncChecks.
    bool sheetClicked() const { return sheetClicked_; }
    // The main window was resized: the main loop runs FillSheet.
    bool sheetResized() const { return sheetResized_; }

    void BuildSheetColumns();
    void FillSheet();
    void HighlightCurrentRow();
    // The matrix reported source s on one layer of destination d: the row shows what the matrix holds.
    void UpdateSheetRow(int d, int s);

    // "Show all" (201) and "Show selected" (202).
    void setShowAll(bool all);
    // "Select all" (203) and "Deselect all" (204): the rows present, not the whole table.
    void SelectAllRows(bool flag);

    // A row was clicked. True when it made another destination current: the switcher control window and the
    // VCA panel then follow it.
    bool lvcom_ItemClick(int row);
    void lvcom_Click() { sheetClicked_ = true; }
    // The list shows the box of a row checked or not; SyncChecks takes it into the Sel flags.
    void setRowChecked(int row, bool checked);
    void SyncChecks();
    SourceStep lvcom_KeyDown(int keyCode) const;
    // The new position of the all-layers list for a key typed in the sheet, after which the all-layers
    // switch is performed; nothing when the key does not move it.
    std::optional<int> lvcom_KeyPress(int charCode, const AllLayersList& list) const;
    void frm1_ReSize(int windowHeightTwips);

    const std::vector<SheetColumn>& columns() const { return columns_; }
    const std::vector<SheetRow>& rows() const { return rows_; }
    int listHeightPixels() const { return listHeightPixels_; }
    // Check marks of the menu items "Show all" (201) and "Show selected" (202).
    bool showAllChecked() const { return showAllChecked_; }
    bool showSelectedChecked() const { return !showAllChecked_; }

private:
    bool validRow(int row) const { return row >= 0 && row < static_cast<int>(rows_.size()); }
    std::string sourceCell(int source) const;
    std::vector<std::string> cells(int d, const std::array<RoutingTable::PerDestination, 4>& sources) const;
    int destinationCount() const;

    Assignments& assignments_;
    AssignmentTable& table_;
    const RoutingTable& routing_;
    SheetListener& listener_;

    int currentDestination_ = 1;
    bool showAll_ = true;
    bool sheetClicked_ = false;
    bool sheetResized_ = false;

    std::vector<SheetColumn> columns_;
    std::vector<SheetRow> rows_;
    int windowHeightTwips_ = kDefaultWindowHeightTwips;
    int listHeightPixels_ = 0;
    bool showAllChecked_ = true;
};

} // namespace rl4

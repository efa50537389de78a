#pragma once

#include "assign/assignments.h"
#include "assign/change_dialog_model.h"
#include "assign/editor_host.h"
#include "assign/editor_listener.h"
#include "assign/editor_menu.h"
#include "assign/input_levels.h"
#include "assign/size_dialog_model.h"
#include "link/link.h"
#include "text/message_table.h"
#include "text/prompt.h"
#include "text/rgb_colour.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace rl4 {

// Row colours of the three views, and of the selected row.
inline constexpr RgbColour kSourceRowColour{192, 255, 255};
inline constexpr RgbColour kSourceSelectedColour{96, 192, 255};
inline constexpr RgbColour kDestinationRowColour{255, 255, 192};
inline constexpr RgbColour kDestinationSelectedColour{255, 192, 96};
inline constexpr RgbColour kSpecialRowColour{255, 192, 255};
inline constexpr RgbColour kSpecialSelectedColour{255, 96, 192};

// The special-function view is offered only up to this many destinations.
inline constexpr int kMostDestinationsWithSpecials = 111;

// Columns of `lvagn`: "Nr", name, the four layers, key.
inline constexpr int kEditorColumns = 7;

// Key codes and shift state of `lvagn_KeyUp`, as the program has always numbered them.
inline constexpr int kKeyEnter = 13;
inline constexpr int kKeyInsert = 45;
inline constexpr int kKeyDelete = 46;
inline constexpr int kKeyV = 86;
inline constexpr int kKeyX = 88;
inline constexpr int kShiftNone = 0;
inline constexpr int kShiftCtrl = 2;

struct EditorColumn {
    std::string header;
    int widthTwips = 0;
};

struct EditorRow {
    int number = 0;
    std::array<std::string, kEditorColumns> cells;
    RgbColour background = kSourceRowColour;
};

// The assignment editor `frmagn`: lists the sources, destinations or special functions of the edit table,
// edits them record by record, opens and saves assignment files, and hosts the change dialog, the size
// dialog and the audio input levels. The active table changes only when a file is opened or saved.
//
// The window forwards its events to the handlers below and draws the state. The engine hands the matrix's
// gain and mode answers to levels(). While the change dialog or the size dialog is open, changeDialog() or
// sizeDialog() gives its model.
class AssignmentEditor {
public:
    AssignmentEditor(Assignments& assignments, MessageTable& messages, Prompt& prompt, Link& link,
                     EditorHost& host, std::string programFolder);
    AssignmentEditor(const AssignmentEditor&) = delete;
    AssignmentEditor& operator=(const AssignmentEditor&) = delete;

    void setListener(EditorListener* listener) { listener_ = listener; }
    // What runs the EEPROM upload, after the editor offered to save.
    void setUploadEeprom(std::function<void()> upload) { uploadEeprom_ = std::move(upload); }

    // Opens the editor on a copy of the active table.
    void frmagn_Load();
    // The window's close, menu 106 and toolbar button 3: offers to save, then gives the sheet back, with
    // the routing read again from the matrix (or, without one, rebuilt from the wanted routing).
    void frmagn_Close();
    // A menu command; a disabled or unknown entry does nothing.
    void frmagn_MenuEvent(int id);
    // The pointer rests on a menu entry: the status bar `sbagn` shows its help.
    void frmagn_MenuOver(int id);
    void tbagn_ButtonClick(int button);
    // `row` is a position in rows().
    void lvagn_ItemClick(int row);
    void lvagn_DblClick();
    void lvagn_KeyUp(int keyCode, int shift);
    void lvagn_ColumnClick(int column);
    void lbldirection_Click();
    void sliagn_Change(int value) { levels_.sliagn_Change(value); }
    void cmdbal_Click() { levels_.cmdbal_Click(); }

    bool isOpen() const { return open_; }
    // While the EEPROM upload runs the editor may not close: its close reads the matrix again.
    bool uploading() const { return uploading_; }
    const std::string& title() const { return title_; }
    const std::vector<MenuEntry>& menuEntries() const { return menuEntries_; }
    const std::vector<EditorColumn>& columns() const { return columns_; }
    const std::vector<EditorRow>& rows() const { return rows_; }
    // Hints of the toolbar buttons 1..3.
    std::string tbagnHint(int button) const;
    ChangeDialogModel* changeDialog();
    SizeDialogModel* sizeDialog();

    // 1 sources, 2 destinations, 3 special functions; kept from one opening to the next.
    int editorView() const { return editorView_; }
    // The selected record of the view, 0 for none: every refill clears it.
    int currentRow() const { return currentRow_; }
    const std::string& lbldirection() const { return lbldirection_; }
    RgbColour lbldirectionColour() const { return lbldirectionColour_; }
    const std::string& sbagn() const { return sbagn_; }
    const EditorMenu& menu() const { return menu_; }
    InputLevels& levels() { return levels_; }
    const InputLevels& levels() const { return levels_; }

private:
    void refill();
    void fillSources();
    void fillDestinations();
    void fillSpecials();
    void copyActiveToEdit();
    bool rowSelected() const;

    void openFile();
    void save();
    void saveAs();
    void askToSave();
    void createNew();
    void changeObject();
    void uploadToEeprom();

    void cut();
    void paste();
    void insertAt(int position);
    // Insert and paste at a full table are refused with a message.
    bool refusedAsFull();
    void remove(int position);
    void columnAction(int column);

    void setTitle(const std::string& fileName);
    void changed();
    void changeDialogClosed(bool accepted);
    void sizeDialogClosed(bool created);

    Assignments& assignments_;
    MessageTable& messages_;
    Prompt& prompt_;
    EditorHost& host_;
    std::function<void()> uploadEeprom_;

    int editorView_ = kSourcesView;
    int currentRow_ = 0;
    // The last records cut; a paste before any cut gives a record of zeros.
    Source sourceClip_{"", 0, 0, 0, 0, 0};
    Destination destinationClip_{"", 0, 0, 0, 0, 0, 0, {0, 0, 0, 0, 0, 0}};
    std::string lbldirection_;
    RgbColour lbldirectionColour_ = kSourceRowColour;
    std::string sbagn_;
    EditorMenu menu_;
    InputLevels levels_;
    std::string programFolder_;
    EditorListener* listener_ = nullptr;

    bool open_ = false;
    bool uploading_ = false;
    std::string title_;
    std::vector<MenuEntry> menuEntries_;
    std::vector<EditorColumn> columns_;
    std::vector<EditorRow> rows_;
    std::array<std::string, 3> toolbarHints_;
    std::optional<ChangeDialogModel> changeDialog_;
    std::optional<SizeDialogModel> sizeDialog_;
};

} // namespace rl4

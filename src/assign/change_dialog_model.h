#pragma once

#include "assign/assignments.h"
#include "link/layer.h"
#include "text/message_table.h"
#include "text/prompt.h"
#include "text/rgb_colour.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace rl4 {

// The editor's views (`editorView`).
inline constexpr int kSourcesView = 1;
inline constexpr int kDestinationsView = 2;
inline constexpr int kSpecialsView = 3;

inline constexpr int kKeyboardTouches = 64;
inline constexpr int kTouchMapColumns = 16;
// An admittance mask has a bit for each of the first 42 sources.
inline constexpr int kAdmittanceSources = 42;

inline constexpr RgbColour kTouchOfSource{0, 224, 224};
inline constexpr RgbColour kTouchOfDestination{255, 48, 48};
inline constexpr RgbColour kTouchOfSpecial{255, 128, 255};
inline constexpr RgbColour kTouchFree{0, 255, 0};
inline constexpr RgbColour kAdmittanceBackground{192, 220, 192};

// A drop-down list with an editable box.
struct ListBox {
    std::vector<std::string> entries;
    std::string text;
};

// One of the 64 touch buttons `key`, labelled with its touch number.
struct TouchKey {
    RgbColour colour = kTouchFree;
    std::string hint;
};

// The three kinds of object that hold keyboard touches.
enum class ObjectKind { Source, Destination, Special };

struct AdmittanceRow {
    std::string name;
    bool checked = true;
};

// The object change dialog `frmchangeagn` for one record of the editor's view. It edits the dialog table,
// a copy of the whole edit table, so that a connector or touch taken from another object is taken at once
// and shows in the lists; OK copies the whole copy back into the edit table, Cancel forgets it.
//
// The window shows the members below and forwards the events; it writes what the operator types into the
// `text` of the boxes and the admittance checks into `lvinputadmittance`.
class ChangeDialogModel {
public:
    // `closed` is told whether the dialog ended with OK. A record the view does not have gives a dialog that
    // is closed from the start.
    ChangeDialogModel(Assignments& assignments, MessageTable& messages, Prompt& prompt, int editorView,
                      int row, std::function<void(bool accepted)> closed);

    // Whether the dialog can edit record `row` of a view of the table.
    static bool canEdit(const AssignmentTable& table, int editorView, int row);

    // Touch number 1..64 of the button pressed.
    void key_Click(int touch);
    // Entry index (from 0) chosen in a list.
    void cbkeyagn_Click(int entry);
    void cbvideoagn_Click(int entry) { connectorChosen(Layer::Video, entry); }
    void cbaudioagn_Click(int entry) { connectorChosen(Layer::Audio, entry); }
    void cbrgbagn_Click(int entry) { connectorChosen(Layer::Rgb, entry); }
    void cbycagn_Click(int entry) { connectorChosen(Layer::Yc, entry); }
    // A key typed in one of the six boxes: Enter confirms the dialog.
    void boxKeyPress(int charCode);
    void cmdenadmit_Click();
    void cmddisadmit_Click();
    void validchangeagn_Click();
    void cancelchangeagn_Click();

    bool isOpen() const { return open_; }
    int editorView() const { return view_; }
    int row() const { return row_; }

    std::string caption; // the dialog's title
    std::string lblobjet, lblnomagn, lblfiche, lblusedvary, lbltouche, lblusedk;
    std::string frchangeagn;        // caption of the connector frame
    bool connectorsVisible = false; // the frame, its labels and the four layer boxes
    ListBox cbnomagn;
    ListBox cbvideoagn, cbaudioagn, cbrgbagn, cbycagn;
    ListBox cbkeyagn;
    std::array<TouchKey, kKeyboardTouches> key{}; // key[t - 1] is touch t
    bool admittanceVisible = false;               // frinputadmittance, its list and buttons
    std::string admittanceColumn;
    std::vector<AdmittanceRow> lvinputadmittance;

private:
    struct Holder {
        ObjectKind kind;
        int index;
    };

    ObjectKind ownKind() const;
    ListBox& layerBox(Layer layer);
    int& connector(ObjectKind kind, int index, Layer layer);
    int connectorOf(ObjectKind kind, int index, Layer layer) const;
    int& touch(ObjectKind kind, int index);
    int touchOf(ObjectKind kind, int index) const;
    std::string name(ObjectKind kind, int index) const;
    int count(ObjectKind kind) const;
    // The first object of a kind holding the touch, or 0.
    int firstTouchHolder(ObjectKind kind, int touch) const;
    // Who holds a touch, searching the kinds in the order sources, destinations, special functions; a kind
    // to search before the others can be given, in which the edited object is not a holder.
    std::optional<Holder> touchHolder(int touch, std::optional<ObjectKind> first) const;

    void connectorChosen(Layer layer, int entry);
    void assignConnector(Layer layer, int connector);
    // Asks whether the holder gives the connector up; true when it does.
    bool askConnector(Layer layer, int connector, int holder);
    void assignTouch(int touch);
    void fillNameStems();
    void fillLayerList(Layer layer);
    void fillTouches();
    void fillAdmittance();
    std::string usedBy() const;
    void close(bool accepted);

    Assignments& assignments_;
    AssignmentTable& table_;
    MessageTable& messages_;
    Prompt& prompt_;
    int view_;
    int row_;
    std::function<void(bool)> closed_;
    bool open_ = true;
};

} // namespace rl4

#pragma once

#include "assign/assignment_editor.h"
#include "assign/assignments.h"
#include "assign/editor_host.h"
#include "diag/debug_model.h"
#include "eeprom/eeprom_uploader.h"
#include "engine/engine_listener.h"
#include "engine/long_operation.h"
#include "link/history_model.h"
#include "link/link.h"
#include "link/matrix_search.h"
#include "platform/clock.h"
#include "platform/port_opener.h"
#include "sheet/config_dialog_model.h"
#include "sheet/connexion_file.h"
#include "sheet/matrix_setups.h"
#include "sheet/port_map_model.h"
#include "sheet/reply_decoder.h"
#include "sheet/routing_commands.h"
#include "sheet/routing_table.h"
#include "sheet/settings.h"
#include "sheet/status_reader.h"
#include "sheet/store_button.h"
#include "sheet/switcher_model.h"
#include "sheet/switching_sheet.h"
#include "sheet/vca_panel.h"
#include "text/message_table.h"
#include "text/prompt.h"

#include <functional>
#include <optional>
#include <string>

namespace rl4 {

// Where the windows stand when the program closes, as the settings keep them (twips).
struct WorkspaceLayout {
    WindowPlace mainWindow;
    std::int16_t mainHeight = 7000;
    std::int16_t mainWidth = 11530;
    // Only for the windows that are open.
    std::optional<WindowPlace> switcherWindow;
    std::optional<WindowPlace> historyWindow;
};

class Engine;

// A tool window's place as the settings keep it.
class SettingsPlace : public PlaceKeeper {
public:
    SettingsPlace(Engine& engine, WindowPlace Settings::*place) : engine_(engine), place_(place) {}

    WindowPlace keptPlace() const override;
    void placed(WindowPlace place) override;

private:
    Engine& engine_;
    WindowPlace Settings::*place_;
};

// The program's whole state and its start-up and shutdown: settings, assignment, routing table, link and
// the models behind every window. The windows (or routelane4ctl) own one Engine, call it and listen to it.
class Engine : private EditorHost {
public:
    Engine(std::string programFolder, Clock& clock, PortOpener& opener, Prompt& prompt,
           EngineListener& listener);
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Reads the settings, opens the saved port, finds the matrix (searching ports 1 to 8 and both frame forms
    // when the saved choice gives no answer), loads the assignment, then reads the routing from the matrix
    // or, without one, from the connexion file.
    void startUp();
    // The same in two halves, for a window that shows itself between them at the place and in the language
    // the settings give: the settings (asking the language when the file lacks it), then the rest.
    void startUpSettings();
    void startUpMatrix();
    // One pass of the main loop after the windows had their events: reads what the matrix sent unasked,
    // then runs the sheet's deferred work.
    void mainLoopPass();
    // Stores the matrix status, offers to save changed connexions, writes a changed assignment and the
    // settings, closes the port and asks about moved tool windows. With nobody to answer (an unattended
    // prompt), changed connexions go to keptConnexionsPath() instead, never over the operator's file.
    void frm1_Close(const WorkspaceLayout& layout);
    // Beside the connexion file: where an unattended shutdown keeps changed connexions, for the next start
    // to offer.
    std::string keptConnexionsPath() const;

    // The first steps of start-up, for the command-line program: the settings, then the caller's choices
    // of port and frame form over the saved ones, then the port so chosen opened (and no other); then the
    // assignment.
    void readSettingsAndOpenPort(const std::function<void(Link&)>& overrideSettings = {});
    void loadAssignment();

    // File commands of the main window.
    void openConnexionFile();
    void saveConnexionFile();
    void saveConnexionFileAs();
    // After its question.
    bool saveWorkspace(const WorkspaceLayout& layout);
    // The windows put a tool window elsewhere than its kept place (it had none, or it was out of sight):
    // that place is kept from now on, and is no move of the operator's to ask about at shutdown.
    void toolWindowPlaced(WindowPlace Settings::*window, WindowPlace place);
    // The current destination changed by a click on row `row` of the sheet.
    void rowClicked(int row);

    // Where the models behind the windows ask their questions and send their notices.
    Prompt& prompt() { return prompt_; }
    EngineListener& listener() { return listener_; }

    const std::string& programFolder() const { return folder_; }
    const std::string& matrixLabel() const { return matrixLabel_; }
    const std::string& title() const { return title_; }
    // The connexion file path as the title shows it: without the program folder in front.
    std::string shortConnexionPath() const;

    // The objects it owns. The settings, the assignment and the routing table are the values the models
    // share; the models behind the windows change only through their own commands.
    MessageTable& messages() { return messages_; }
    const Settings& settings() const { return settings_; }
    Settings& settings() { return settings_; }
    const Assignments& assignments() const { return assignments_; }
    Assignments& assignments() { return assignments_; }
    const RoutingTable& routing() const { return routing_; }
    RoutingTable& routing() { return routing_; }
    const Link& link() const { return link_; }
    Link& link() { return link_; }
    const StoreButton& storeButton() const { return storeButton_; }
    SwitchingSheet& sheet() { return sheet_; }
    StatusReader& statusReader() { return statusReader_; }
    RoutingCommands& routingCommands() { return routingCommands_; }
    MatrixSetups& setups() { return setups_; }
    ConnexionFile& connexionFile() { return connexionFile_; }
    VcaPanel& vca() { return vca_; }
    ConfigDialogModel& config() { return config_; }
    PortMapModel& portMap() { return portMap_; }
    AssignmentEditor& editor() { return editor_; }
    SwitcherModel& switcher() { return switcher_; }
    HistoryModel& history() { return history_; }
    const DebugModel& debug() const { return debug_; }
    DebugModel& debug() { return debug_; }

    // True while the assignment editor is open: the main window's commands are refused meanwhile. The
    // editor's closing clears it.
    bool assignmentEditorOpen() const { return assignmentEditorOpen_; }
    void assignmentEditorOpened() { assignmentEditorOpen_ = true; }

    // True while a long operation holds the link (see LongOperation): commands that send are refused and
    // the program's close waits.
    bool busy() const { return longOperation_.running(); }
    [[nodiscard]] LongOperation::Guard holdLink() { return LongOperation::Guard(longOperation_); }
    // The assignment editor's "Upload EEPROM", after its ask-to-save; refused while the link is held.
    UploadOutcome uploadEeprom();
    EepromUploader& eeprom() { return eeprom_; }

    // What the operator reads about a lost line: why it went (in the language in force), and why a command
    // was refused meanwhile.
    std::string lineLostText();
    std::string commandRefusedText();

private:
    void refreshRouting() override;
    void editorClosed() override;
    void refillSheet() override;
    void readSettings();
    void keepChangedConnexions();
    void reportSearch(const SearchOutcome& outcome);
    void offerKeptConnexions();
    void assignmentChanged();
    void setTitle();
    void askWorkspaceIfMoved(const std::optional<WindowPlace>& now, const WindowPlace& saved,
                             const WorkspaceLayout& layout);
    void takeLayout(const WorkspaceLayout& layout);
    void writeSettings();
    // The line came back: the matrix is asked on line and its status read before anything else, so that
    // the sheet shows what it holds; nothing the sheet wanted before is sent on its own.
    void lineRestored();

    MessageTable messages_;
    Settings settings_;
    Assignments assignments_;
    RoutingTable routing_;
    Link link_;
    StoreButton storeButton_;
    SwitchingSheet sheet_;
    StatusReader statusReader_;
    ReplyDecoder decoder_;
    RoutingCommands routingCommands_;
    MatrixSetups setups_;
    ConnexionFile connexionFile_;
    VcaPanel vca_;
    ConfigDialogModel config_;
    AssignmentEditor editor_;
    bool assignmentEditorOpen_ = false;
    std::string folder_;
    Prompt& prompt_;
    EngineListener& listener_;
    std::string matrixLabel_;
    std::string title_;
    // The settings as they stand in the file, with the places the windows gave the tool windows, to tell
    // at shutdown whether the operator moved one.
    Settings saved_;
    SettingsPlace switcherPlace_{*this, &Settings::switcherWindow};
    SettingsPlace historyPlace_{*this, &Settings::historyWindow};
    SwitcherModel switcher_;
    HistoryModel history_;
    EepromUploader eeprom_;
    DebugModel debug_;
    LongOperation longOperation_;
    PortMapModel portMap_{folder_, messages_};
};

} // namespace rl4

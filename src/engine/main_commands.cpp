#include "engine/main_commands.h"

#include "engine/main_menu.h"
#include "text/number_text.h"

namespace rl4 {

namespace {

constexpr int kMessageCloseEditor = 21;

constexpr int kSwitcherWindow = 206;
constexpr int kHistoryWindow = 205;

// The on-screen display refresh exists only in the 4-byte form.
constexpr int kOsdCode = 57;
constexpr int kOsdMachine = 2;

} // namespace

MainCommands::MainCommands(Engine& engine, std::function<MainWindowGeometry()> mainWindowGeometry)
    : engine_(engine), mainWindowGeometry_(std::move(mainWindowGeometry)) {}

void MainCommands::frm1_MenuEvent(int id) {
    if (engine_.assignmentEditorOpen()) {
        engine_.prompt().messageBox(engine_.messages().text(kMessageCloseEditor), PromptButtons::Ok, "",
                                    PromptIcon::None);
        return;
    }
    switch (id) {
    case 101: // Open connexion file
        engine_.openConnexionFile();
        break;
    case 102: // Save connexion file
        engine_.saveConnexionFile();
        break;
    case 103: // Save connexion file as
        engine_.saveConnexionFileAs();
        break;
    case 104: // Read the current status of the matrix
        engine_.sheet().HighlightCurrentRow();
        engine_.statusReader().ReadMatrixStatus();
        break;
    case 105: // Disable all destinations (toolbar only)
        engine_.routingCommands().DisconnectAll();
        break;
    case 106: // Quit
        engine_.listener().quitRequested();
        break;
    case 107: // SetUp
        engine_.config().frmconfig_Load();
        requestWindow(id);
        break;
    case 108: // Save workspace
        engine_.saveWorkspace(workspaceLayout());
        break;
    case 109: // Store the current status in the matrix
        engine_.setups().StoreStatus();
        break;
    case 110: // Store the status to a setup
        engine_.setups().storeToSetup();
        break;
    case 111: // Recall a setup
        engine_.setups().recallFromSetup();
        break;
    case 201: // Show all
    case 202: // Show selected
        engine_.sheet().setShowAll(id == 201);
        engine_.listener().menuChecksChanged();
        break;
    case 203: // Select all
    case 204: // Deselect all
        engine_.sheet().SelectAllRows(id == 203);
        break;
    // A window already open is not loaded a second time, only brought to the front.
    case kHistoryWindow:
        if (engine_.history().isOpen())
            requestWindow(id);
        else
            openHistory();
        break;
    case kSwitcherWindow:
        if (engine_.switcher().isOpen())
            requestWindow(id);
        else
            openSwitcher();
        break;
    case 207: // OSD screen refresh
        refreshOsd();
        break;
    case 305: // All VCAs to minimum
        engine_.vca().SetAllVca(kVcaMinimum);
        break;
    case 306: // All VCAs to maximum
        engine_.vca().SetAllVca(kVcaMaximum);
        break;
    case 307: // Debug
    case 308: // Special functions
        requestWindow(id);
        break;
    case 401: // Assignment editor
        engine_.assignmentEditorOpened();
        requestWindow(id);
        break;
    case 502: // Matrix info
        matrixInfo_ = frmmatrixinfo_Load(engine_.messages(), engine_.link(), engine_.matrixLabel(),
                                         engine_.assignments(), engine_.settings().connexionPath);
        requestWindow(id);
        break;
    default: // 501 "Help" among them: there is no help file to call
        break;
    }
}

void MainCommands::tb1_ButtonClick(int index) {
    const int id = toolbarMenuId(index);
    if (id != 0)
        frm1_MenuEvent(id);
}

void MainCommands::lvcom_DblClick() {
    frm1_MenuEvent(kSwitcherWindow);
}

void MainCommands::frm1_KeyPress(int charCode) {
    engine_.prompt().messageBox(numberText(charCode), PromptButtons::Ok, "", PromptIcon::None);
}

std::string MainCommands::frm1_MenuOver(int id) const {
    return rl4::frm1_MenuOver(id, engine_.messages().language(), engine_.settings().connexionPath);
}

bool MainCommands::menuChecked(int id) const {
    switch (id) {
    case 201:
        return engine_.sheet().showAllChecked();
    case 202:
        return engine_.sheet().showSelectedChecked();
    case kHistoryWindow:
        return engine_.history().isOpen();
    case kSwitcherWindow:
        return engine_.switcher().isOpen();
    default:
        return false;
    }
}

void MainCommands::openSavedWindows() {
    if (engine_.settings().switcherOpen && !engine_.switcher().isOpen())
        openSwitcher();
    if (engine_.settings().historyOpen && !engine_.history().isOpen())
        openHistory();
}

void MainCommands::frm1_Close() {
    engine_.frm1_Close(workspaceLayout());
    if (engine_.switcher().isOpen())
        engine_.switcher().frmcommutation_Close();
    if (engine_.history().isOpen())
        engine_.history().frmhisto_Close();
}

WorkspaceLayout MainCommands::workspaceLayout() const {
    const MainWindowGeometry main = mainWindowGeometry_();
    WorkspaceLayout layout;
    layout.mainWindow = main.place;
    layout.mainHeight = main.height;
    layout.mainWidth = main.width;
    if (engine_.switcher().isOpen())
        layout.switcherWindow = engine_.switcher().place();
    if (engine_.history().isOpen())
        layout.historyWindow = engine_.history().place();
    return layout;
}

void MainCommands::openSwitcher() {
    engine_.switcher().frmcommutation_Load();
    requestWindow(kSwitcherWindow);
}

void MainCommands::openHistory() {
    engine_.history().frmhisto_Load();
    requestWindow(kHistoryWindow);
}

void MainCommands::requestWindow(int id) {
    engine_.listener().windowRequested(id);
}

void MainCommands::refreshOsd() {
    Link& link = engine_.link();
    if (link.protocolLength() != 4)
        return;
    // The 4-byte form only: the letter of the instruction before stays, as it was never the refresh's.
    link.SendCommand({link.commandParams().cmdLetter, kOsdCode, kOsdMachine, 0, 0});
}

} // namespace rl4

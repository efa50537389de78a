#include "engine/main_commands.h"

#include "engine/main_menu.h"
#include "engine/menu_ids.h"
#include "text/number_text.h"

namespace rl4 {

namespace {

constexpr int kMessageCloseEditor = 21;

// The on-screen display refresh exists only in the 4-byte form.
constexpr int kOsdCode = 57;
constexpr int kOsdMachine = 2;

} // namespace

MainCommands::MainCommands(Engine& engine, std::function<MainWindowGeometry()> mainWindowGeometry)
    : engine_(engine), mainWindowGeometry_(std::move(mainWindowGeometry)) {}

void MainCommands::frm1_MenuEvent(int id) {
    // A long operation lets the windows paint while it runs; no command may cut in.
    if (engine_.busy())
        return;
    if (engine_.assignmentEditorOpen()) {
        engine_.prompt().messageBox(engine_.messages().text(kMessageCloseEditor), PromptButtons::Ok, "",
                                    PromptIcon::None);
        return;
    }
    switch (id) {
    case menu_id::kOpenConnexionFile:
        engine_.openConnexionFile();
        break;
    case menu_id::kSaveConnexionFile:
        engine_.saveConnexionFile();
        break;
    case menu_id::kSaveConnexionFileAs:
        engine_.saveConnexionFileAs();
        break;
    case menu_id::kReadStatus:
        engine_.sheet().HighlightCurrentRow();
        engine_.statusReader().ReadMatrixStatus();
        break;
    case menu_id::kDisconnectAll:
        engine_.routingCommands().DisconnectAll();
        break;
    case menu_id::kQuit:
        engine_.listener().quitRequested();
        break;
    case menu_id::kSetUp:
        engine_.config().frmconfig_Load();
        requestWindow(id);
        break;
    case menu_id::kSaveWorkspace:
        engine_.saveWorkspace(workspaceLayout());
        break;
    case menu_id::kStoreStatus:
        engine_.setups().StoreStatus();
        break;
    case menu_id::kStoreToSetup:
        engine_.setups().storeToSetup();
        break;
    case menu_id::kRecallSetup:
        engine_.setups().recallFromSetup();
        break;
    case menu_id::kShowAll:
    case menu_id::kShowSelected:
        engine_.sheet().setShowAll(id == menu_id::kShowAll);
        engine_.listener().menuChecksChanged();
        break;
    case menu_id::kSelectAll:
    case menu_id::kDeselectAll:
        engine_.sheet().SelectAllRows(id == menu_id::kSelectAll);
        break;
    // A window already open is not loaded a second time, only brought to the front.
    case menu_id::kHistory:
        if (engine_.history().isOpen())
            requestWindow(id);
        else
            openHistory();
        break;
    case menu_id::kSwitcherControl:
        if (engine_.switcher().isOpen())
            requestWindow(id);
        else
            openSwitcher();
        break;
    case menu_id::kOsdRefresh:
        refreshOsd();
        break;
    case menu_id::kAllVcaMinimum:
        engine_.vca().SetAllVca(kVcaMinimum);
        break;
    case menu_id::kAllVcaMaximum:
        engine_.vca().SetAllVca(kVcaMaximum);
        break;
    case menu_id::kDebug:
        if (!engine_.debug().isOpen())
            engine_.debug().frmdebug_Load();
        requestWindow(id);
        break;
    case menu_id::kSpecialFunctions:
        requestWindow(id);
        break;
    case menu_id::kAssignmentEditor:
        engine_.assignmentEditorOpened();
        requestWindow(id);
        break;
    case menu_id::kMatrixInfo:
        matrixInfo_ = frmmatrixinfo_Load(engine_.messages(), engine_.link(), engine_.matrixLabel(),
                                         engine_.assignments(), engine_.settings().connexionPath);
        requestWindow(id);
        break;
    default: // "Help" among them: there is no help file to call
        break;
    }
}

void MainCommands::tb1_ButtonClick(int index) {
    const int id = toolbarMenuId(index);
    if (id != 0)
        frm1_MenuEvent(id);
}

void MainCommands::lvcom_DblClick() {
    frm1_MenuEvent(menu_id::kSwitcherControl);
}

void MainCommands::frm1_KeyPress(int charCode) {
    engine_.prompt().messageBox(numberText(charCode), PromptButtons::Ok, "", PromptIcon::None);
}

std::string MainCommands::frm1_MenuOver(int id) const {
    return rl4::frm1_MenuOver(id, engine_.messages().language(), engine_.settings().connexionPath);
}

bool MainCommands::menuChecked(int id) const {
    switch (id) {
    case menu_id::kShowAll:
        return engine_.sheet().showAllChecked();
    case menu_id::kShowSelected:
        return engine_.sheet().showSelectedChecked();
    case menu_id::kHistory:
        return engine_.history().isOpen();
    case menu_id::kSwitcherControl:
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
    requestWindow(menu_id::kSwitcherControl);
}

void MainCommands::openHistory() {
    engine_.history().frmhisto_Load();
    requestWindow(menu_id::kHistory);
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

#include "engine/engine.h"

#include "assign/assignment_file.h"
#include "link/matrix_search.h"
#include "platform/text_file.h"

#include <filesystem>

namespace rl4 {

namespace {

constexpr const char* kTitleStart = "Brevant Electronics - Routelane6.03 (";
constexpr const char* kConnexionFilter = "Connexions.cnx|*.cnx";
constexpr const char* kConnexionExtension = "cnx";

constexpr int kMessageMatrix = 1;
constexpr int kMessageNoMatrix = 2;
constexpr int kMessageConnexionSheet = 3;
constexpr int kMessageNoPort = 11;
constexpr int kMessageOpenSheet = 12;
constexpr int kMessageSaveSheet = 13;
constexpr int kMessageSaveWorkspace = 18;
constexpr int kMessageConnexionsChanged = 30;

constexpr const char* kChangeTitle = "Routelane Change";
// Still a connexion file, so that the operator can open it like any other.
constexpr const char* kKeptEnding = ".recovered.cnx";

bool isConnexionFileName(const std::string& path) {
    return path.ends_with(".cnx");
}

} // namespace

Engine::Engine(std::string programFolder, Clock& clock, PortOpener& opener, Prompt& prompt,
               EngineListener& listener)
    : settings(startSettings(programFolder)), link(clock, opener), storeButton(listener),
      sheet(assignments.activeTable, routing, assignments.layerUsed, assignments.assignmentsChanged,
            listener),
      statusReader(link, routing, assignments.sizes, sheet.connexionsChanged, messages, listener),
      decoder(assignments.activeTable, routing, sheet, storeButton, settings.vcaSetup, listener),
      routingCommands(link, assignments.activeTable, routing, assignments.sizes, sheet.connexionsChanged,
                      storeButton, statusReader, messages, prompt),
      setups(link, storeButton, statusReader, messages, prompt),
      connexionFile(routing, assignments, sheet.connexionsChanged, messages, prompt), vca(link, assignments),
      config(link, settings, messages, [this] { setups.StoreStatus(); }),
      editor(assignments, messages, prompt, link, *this, programFolder), folder_(std::move(programFolder)),
      prompt_(prompt), listener_(listener) {
    link.setRules(&decoder);
    link.setListener(&listener);
    decoder.showVcaLevel = [this](int level) { vca.levelReported(level); };
    decoder.showInputGain = [this](int level) { editor.levels.gainReported(level); };
    decoder.showInputMode = [this](bool balanced) { editor.levels.modeReported(balanced); };
    vca.setListener(&listener);
    config.setListener(&listener);
    assignments.rebuildSheet = [this] { assignmentChanged(); };
    assignments.activeFileName = settings.assignmentPath;
    saved_ = settings;
}

WindowPlace SettingsPlace::keptPlace() const {
    return engine_.settings.*place_;
}

void SettingsPlace::placed(WindowPlace place) {
    engine_.toolWindowPlaced(place_, place);
}

// Start-up and shutdown ------------------------------------------------------------------------------------

void Engine::startUp() {
    startUpSettings();
    startUpMatrix();
}

void Engine::startUpSettings() {
    readSettings();
}

void Engine::startUpMatrix() {
    link.OpenPort();

    const SearchOutcome outcome = identifyMatrix(link, &listener_);
    if (outcome.noPortAvailable)
        prompt_.messageBox(messages.text(kMessageNoPort), PromptButtons::Ok, "", PromptIcon::Exclamation);
    matrixLabel_ = outcome.found ? messages.text(kMessageMatrix) + " N°" + link.matrixIdentity()
                                 : messages.text(kMessageNoMatrix);

    loadAssignment();
    if (link.portNumber() == 0) {
        prompt_.messageBox(matrixLabel_, PromptButtons::Ok, "", PromptIcon::Information);
        const bool read = connexionFile.ReadConnexionFile(settings.connexionPath);
        sheet.FillSheet();
        if (read) {
            routingCommands.DownloadRouting();
            sheet.connexionsChanged = false;
        }
    } else {
        statusReader.ReadMatrixStatus();
        sheet.FillSheet();
    }
    offerKeptConnexions();

    sheet.currentDestination = 1;
    vca.SelectVcaDestination(sheet.currentDestination);
    setTitle();
}

void Engine::readSettingsAndOpenPort(const std::function<void(Link&)>& overrideSettings) {
    readSettings();
    if (overrideSettings)
        overrideSettings(link);
    link.OpenPort();
}

void Engine::mainLoopPass() {
    // Only a read that will not block: the windows must stay responsive between frames.
    if (link.portNumber() != 0 && link.bytesWaiting() > 0)
        link.ProcessReply();
    if (sheet.sheetClicked)
        sheet.SyncChecks();
    if (sheet.sheetResized)
        sheet.FillSheet();
}

void Engine::frm1_Close(const WorkspaceLayout& layout) {
    setups.StoreStatus();
    if (sheet.connexionsChanged && !prompt_.unattended() &&
        prompt_.messageBox(messages.text(kMessageConnexionsChanged), PromptButtons::YesNo, kChangeTitle,
                           PromptIcon::Question) == kAnswerYes)
        saveConnexionFileAs();
    // The question, or the file dialog after it, may have been closed because the program was told to end.
    if (sheet.connexionsChanged && prompt_.unattended())
        keepChangedConnexions();
    if (assignments.assignmentsChanged && assignments.mayWriteUnasked())
        WriteAssignmentFile(assignments, messages, prompt_);
    takeLayout(layout);
    writeSettings();
    link.closePort();
    askWorkspaceIfMoved(layout.switcherWindow, saved_.switcherWindow, layout);
    askWorkspaceIfMoved(layout.historyWindow, saved_.historyWindow, layout);
}

std::string Engine::keptConnexionsPath() const {
    const std::string& path = settings.connexionPath;
    const std::string stem = isConnexionFileName(path) ? path.substr(0, path.size() - 4) : path;
    return stem + kKeptEnding;
}

void Engine::keepChangedConnexions() {
    const std::string path = keptConnexionsPath();
    if (connexionFile.WriteConnexionFile(path))
        prompt_.messageBox(messages.text(kMessageConnexionsKept) + path, PromptButtons::Ok, kChangeTitle,
                           PromptIcon::Information);
}

// Loaded, the kept connexions stand against the operator's file as unsaved changes; declined, they go.
// A question nobody answered leaves them for the next start.
void Engine::offerKeptConnexions() {
    const std::string path = keptConnexionsPath();
    if (!fileExists(path))
        return;
    messages.MessageText(kMessageLoadKeptConnexions);
    const std::string question = messages.part(TextPart::A) + path + messages.part(TextPart::B);
    const int answer = prompt_.messageBox(question, PromptButtons::YesNo, kChangeTitle, PromptIcon::Question);
    if (prompt_.unattended())
        return;
    if (answer == kAnswerYes) {
        // A kept file that cannot be read stays for another try; ReadConnexionFile has said why.
        if (!connexionFile.ReadConnexionFile(path))
            return;
        sheet.FillSheet();
        routingCommands.DownloadRouting();
        sheet.connexionsChanged = true;
    }
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

void Engine::readSettings() {
    ReadSettings(settingsFilePath(folder_), settings, prompt_);
    messages.setLanguage(settings.language);
    link.setProtocolLength(settings.protocolLength);
    link.setPortNumber(settings.port);
    sheet.showAll = settings.showAll;
    assignments.activeFileName = settings.assignmentPath;
    saved_ = settings;
}

void Engine::loadAssignment() {
    assignments.editFileName = assignments.activeFileName;
    ReadAssignmentFile(assignments, messages, prompt_);
    assignments.ApplyEditTable();
}

// Every window that shows names or connectors follows the new active table.
void Engine::assignmentChanged() {
    sheet.BuildSheetColumns();
    sheet.FillSheet();
    listener_.switcherChanged();
    vca.assignmentChanged();
}

void Engine::takeLayout(const WorkspaceLayout& layout) {
    settings.mainWindow = layout.mainWindow;
    settings.mainHeight = layout.mainHeight;
    settings.mainWidth = layout.mainWidth;
    settings.switcherOpen = layout.switcherWindow.has_value();
    if (layout.switcherWindow)
        settings.switcherWindow = *layout.switcherWindow;
    settings.historyOpen = layout.historyWindow.has_value();
    if (layout.historyWindow)
        settings.historyWindow = *layout.historyWindow;
}

void Engine::writeSettings() {
    settings.showAll = sheet.showAll;
    settings.language = messages.language();
    settings.assignmentPath = assignments.activeFileName;
    const std::string failure = WriteSettings(settingsFilePath(folder_), settings, link);
    if (!failure.empty())
        prompt_.messageBox(messages.fileProblem(kMessageCannotWrite, settingsFilePath(folder_), failure),
                           PromptButtons::Ok, "", PromptIcon::Critical);
}

void Engine::askWorkspaceIfMoved(const std::optional<WindowPlace>& now, const WindowPlace& saved,
                                 const WorkspaceLayout& layout) {
    if (now && (now->left != saved.left || now->top != saved.top))
        saveWorkspace(layout);
}

bool Engine::saveWorkspace(const WorkspaceLayout& layout) {
    if (prompt_.messageBox(messages.text(kMessageSaveWorkspace), PromptButtons::YesNo, "Routelane Workspace",
                           PromptIcon::Question) != kAnswerYes)
        return false;
    takeLayout(layout);
    writeSettings();
    saved_ = settings;
    return true;
}

void Engine::toolWindowPlaced(WindowPlace Settings::*window, WindowPlace place) {
    settings.*window = place;
    saved_.*window = place;
}

// Main window commands -------------------------------------------------------------------------------------

void Engine::openConnexionFile() {
    const std::string path = prompt_.openFileDialog(messages.text(kMessageOpenSheet), kConnexionFilter,
                                                    kConnexionExtension, settings.connexionPath);
    // A file that cannot be read leaves everything as it was, so that changed routing is still offered for
    // saving.
    if (!isConnexionFileName(path) || !connexionFile.ReadConnexionFile(path))
        return;
    settings.connexionPath = path;
    // Rows whose new entry sends nothing (no source, no connector) would otherwise keep the old names.
    sheet.FillSheet();
    routingCommands.DownloadRouting();
    sheet.connexionsChanged = false;
    setTitle();
}

void Engine::saveConnexionFile() {
    if (isConnexionFileName(settings.connexionPath))
        connexionFile.WriteConnexionFile(settings.connexionPath);
    else
        saveConnexionFileAs();
}

void Engine::saveConnexionFileAs() {
    const std::string path = prompt_.saveFileDialog(messages.text(kMessageSaveSheet), kConnexionFilter,
                                                    kConnexionExtension, settings.connexionPath);
    if (isConnexionFileName(path) && connexionFile.WriteConnexionFile(path))
        settings.connexionPath = path;
}

void Engine::rowClicked(int row) {
    if (!sheet.lvcom_ItemClick(row))
        return;
    listener_.switcherChanged();
    vca.SelectVcaDestination(sheet.currentDestination);
}

// The assignment editor ----------------------------------------------------------------------------------

void Engine::refreshRouting() {
    if (link.portNumber() != 0)
        statusReader.ReadMatrixStatus();
    else
        routingCommands.DownloadRouting();
}

void Engine::editorClosed() {
    assignmentEditorOpen = false;
    refreshRouting();
    // Without a matrix the download only replayed what the sheet already held.
    if (link.portNumber() == 0)
        sheet.connexionsChanged = false;
}

void Engine::refillSheet() {
    sheet.FillSheet();
}

// Title ----------------------------------------------------------------------------------------------------

std::string Engine::shortConnexionPath() const {
    const std::string& path = settings.connexionPath;
    // A file outside the program folder is shown whole rather than cut at the folder's length; so is one in
    // a sibling folder whose name only begins like the program folder's ("routelane4-old").
    const bool inside = path.size() > folder_.size() && path.starts_with(folder_) &&
                        (path[folder_.size()] == '/' || path[folder_.size()] == '\\');
    return inside ? path.substr(folder_.size()) : path;
}

void Engine::setTitle() {
    title_ = kTitleStart + matrixLabel_ + messages.text(kMessageConnexionSheet) + shortConnexionPath();
    listener_.titleChanged(title_);
}

} // namespace rl4

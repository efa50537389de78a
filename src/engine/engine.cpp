#include "engine/engine.h"

#include "assign/assignment_file.h"
#include "link/matrix_search.h"
#include "platform/text_file.h"
#include "text/fault_texts.h"

#include <filesystem>

namespace rl4 {

namespace {

constexpr const char* kTitleStart = "Brevant Electronics - Routelane6.03 (";
constexpr const char* kConnexionFilter = "Connexions.cnx|*.cnx";
constexpr const char* kConnexionExtension = "cnx";

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
    : settings_(startSettings(programFolder)), link_(clock, opener), storeButton_(listener),
      sheet_(assignments_, routing_, listener),
      statusReader_(link_, routing_, assignments_.sizes, messages_, listener),
      decoder_(assignments_.activeTable, routing_, sheet_, storeButton_, settings_.vcaSetup, listener),
      routingCommands_(link_, assignments_.activeTable, routing_, assignments_.sizes, storeButton_,
                       statusReader_, messages_, prompt),
      setups_(link_, storeButton_, statusReader_, messages_, prompt),
      connexionFile_(routing_, assignments_, messages_, prompt), vca_(link_, assignments_),
      config_(link_, settings_, messages_, [this] { setups_.StoreStatus(); }),
      editor_(assignments_, messages_, prompt, link_, *this, programFolder),
      folder_(std::move(programFolder)), prompt_(prompt), listener_(listener),
      switcher_(sheet_, assignments_.activeTable, routing_, routingCommands_, messages_, switcherPlace_,
                listener),
      history_(link_, messages_, historyPlace_, listener),
      eeprom_(assignments_, link_, messages_, prompt, history_, listener),
      debug_(link_, routing_, routingCommands_, statusReader_, assignments_, prompt, clock, listener) {
    link_.setRules(&decoder_);
    editor_.setUploadEeprom([this] { uploadEeprom(); });
    link_.setListener(&listener);
    debug_.setLinkHolder([this](const std::function<void()>& sending) {
        if (busy())
            return false;
        const LongOperation::Guard held = holdLink();
        sending();
        return true;
    });
    decoder_.showVcaLevel = [this](int level) { vca_.levelReported(level); };
    decoder_.showInputGain = [this](int level) { editor_.levels().gainReported(level); };
    decoder_.showInputMode = [this](bool balanced) { editor_.levels().modeReported(balanced); };
    vca_.setListener(&listener);
    config_.setListener(&listener);
    portMap_.setListener(&listener);
    portMap_.setMapped([this, &opener](int number, const std::string& target) {
        opener.portMapped(number, target);
        // The port in use now leads elsewhere: the operator means the new target, at once.
        if (link_.portNumber() == number && !busy()) {
            link_.closePort();
            link_.OpenPort();
        }
    });
    config_.setPortMap(&portMap_);
    assignments_.rebuildSheet = [this] { assignmentChanged(); };
    assignments_.activeFileName = settings_.assignmentPath;
    saved_ = settings_;
}

WindowPlace SettingsPlace::keptPlace() const {
    return engine_.settings().*place_;
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
    link_.OpenPort();

    const SearchOutcome outcome = identifyMatrix(link_, &listener_);
    reportSearch(outcome);
    matrixLabel_ = outcome.found ? messages_.text(kMessageMatrix) + " N°" + link_.matrixIdentity()
                                 : messages_.text(kMessageNoMatrix);

    loadAssignment();
    if (link_.portNumber() == 0) {
        prompt_.messageBox(matrixLabel_, PromptButtons::Ok, "", PromptIcon::Information);
        const bool read = connexionFile_.ReadConnexionFile(settings_.connexionPath);
        sheet_.FillSheet();
        if (read) {
            routingCommands_.DownloadRouting();
            routing_.setConnexionsChanged(false);
        }
    } else {
        statusReader_.ReadMatrixStatus();
        sheet_.FillSheet();
    }
    offerKeptConnexions();

    sheet_.setCurrentDestination(1);
    vca_.SelectVcaDestination(sheet_.currentDestination());
    setTitle();
}

// A port another program holds is named even when the matrix was found elsewhere: the operator may be
// looking for it there.
void Engine::reportSearch(const SearchOutcome& outcome) {
    std::string report = outcome.noPortAvailable ? messages_.text(kMessageNoPort) : "";
    for (const PortHolder& held : outcome.portsInUse)
        report += (report.empty() ? "" : "\n") + portInUseText(messages_, held.port, held.holder);
    if (!report.empty())
        prompt_.messageBox(report, PromptButtons::Ok, "", PromptIcon::Exclamation);
}

void Engine::readSettingsAndOpenPort(const std::function<void(Link&)>& overrideSettings) {
    readSettings();
    if (overrideSettings)
        overrideSettings(link_);
    link_.OpenPort();
}

void Engine::mainLoopPass() {
    if (link_.retryLostLine())
        lineRestored();
    // Only a read that will not block: the windows must stay responsive between frames.
    if (link_.portNumber() != 0 && link_.bytesWaiting() > 0)
        link_.ProcessReply();
    if (sheet_.sheetClicked())
        sheet_.SyncChecks();
    if (sheet_.sheetResized())
        sheet_.FillSheet();
}

void Engine::frm1_Close(const WorkspaceLayout& layout) {
    if (!link_.lineLost())
        setups_.StoreStatus();
    if (routing_.connexionsChanged() && !prompt_.unattended() &&
        prompt_.messageBox(messages_.text(kMessageConnexionsChanged), PromptButtons::YesNo, kChangeTitle,
                           PromptIcon::Question) == kAnswerYes)
        saveConnexionFileAs();
    // The question, or the file dialog after it, may have been closed because the program was told to end.
    if (routing_.connexionsChanged() && prompt_.unattended())
        keepChangedConnexions();
    if (assignments_.assignmentsChanged() && assignments_.mayWriteUnasked())
        WriteAssignmentFile(assignments_, messages_, prompt_);
    takeLayout(layout);
    writeSettings();
    link_.closePort();
    askWorkspaceIfMoved(layout.switcherWindow, saved_.switcherWindow, layout);
    askWorkspaceIfMoved(layout.historyWindow, saved_.historyWindow, layout);
}

std::string Engine::keptConnexionsPath() const {
    const std::string& path = settings_.connexionPath;
    const std::string stem = isConnexionFileName(path) ? path.substr(0, path.size() - 4) : path;
    return stem + kKeptEnding;
}

void Engine::keepChangedConnexions() {
    const std::string path = keptConnexionsPath();
    if (connexionFile_.WriteConnexionFile(path))
        prompt_.messageBox(messages_.text(kMessageConnexionsKept) + path, PromptButtons::Ok, kChangeTitle,
                           PromptIcon::Information);
}

// Loaded, the kept connexions stand against the operator's file as unsaved changes; declined, they go.
// A question nobody answered leaves them for the next start.
void Engine::offerKeptConnexions() {
    const std::string path = keptConnexionsPath();
    if (!fileExists(path))
        return;
    messages_.MessageText(kMessageLoadKeptConnexions);
    const std::string question = messages_.part(TextPart::A) + path + messages_.part(TextPart::B);
    const int answer = prompt_.messageBox(question, PromptButtons::YesNo, kChangeTitle, PromptIcon::Question);
    if (prompt_.unattended())
        return;
    if (answer == kAnswerYes) {
        // A kept file that cannot be read stays for another try; ReadConnexionFile has said why.
        if (!connexionFile_.ReadConnexionFile(path))
            return;
        sheet_.FillSheet();
        routingCommands_.DownloadRouting();
        routing_.setConnexionsChanged(true);
    }
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

void Engine::readSettings() {
    const std::uintmax_t skipped = ReadSettings(settingsFilePath(folder_), settings_, prompt_);
    messages_.setLanguage(settings_.language);
    if (skipped > 0)
        prompt_.messageBox(fileCutText(messages_, settingsFilePath(folder_), skipped), PromptButtons::Ok, "",
                           PromptIcon::Exclamation);
    link_.setProtocolLength(settings_.protocolLength);
    link_.setPortNumber(settings_.port);
    sheet_.restoreShowAll(settings_.showAll);
    assignments_.activeFileName = settings_.assignmentPath;
    saved_ = settings_;
}

void Engine::loadAssignment() {
    assignments_.editFileName = assignments_.activeFileName;
    ReadAssignmentFile(assignments_, messages_, prompt_);
    assignments_.ApplyEditTable();
}

// Every window that shows names or connectors follows the new active table.
void Engine::assignmentChanged() {
    sheet_.BuildSheetColumns();
    sheet_.FillSheet();
    listener_.switcherChanged();
    vca_.assignmentChanged();
}

void Engine::takeLayout(const WorkspaceLayout& layout) {
    settings_.mainWindow = layout.mainWindow;
    settings_.mainHeight = layout.mainHeight;
    settings_.mainWidth = layout.mainWidth;
    settings_.switcherOpen = layout.switcherWindow.has_value();
    if (layout.switcherWindow)
        settings_.switcherWindow = *layout.switcherWindow;
    settings_.historyOpen = layout.historyWindow.has_value();
    if (layout.historyWindow)
        settings_.historyWindow = *layout.historyWindow;
}

void Engine::writeSettings() {
    settings_.showAll = sheet_.showAll();
    settings_.language = messages_.language();
    settings_.assignmentPath = assignments_.activeFileName;
    const std::string failure = WriteSettings(settingsFilePath(folder_), settings_, link_);
    if (!failure.empty())
        prompt_.messageBox(messages_.fileProblem(kMessageCannotWrite, settingsFilePath(folder_), failure),
                           PromptButtons::Ok, "", PromptIcon::Critical);
}

void Engine::askWorkspaceIfMoved(const std::optional<WindowPlace>& now, const WindowPlace& saved,
                                 const WorkspaceLayout& layout) {
    if (now && (now->left != saved.left || now->top != saved.top))
        saveWorkspace(layout);
}

bool Engine::saveWorkspace(const WorkspaceLayout& layout) {
    if (prompt_.messageBox(messages_.text(kMessageSaveWorkspace), PromptButtons::YesNo, "Routelane Workspace",
                           PromptIcon::Question) != kAnswerYes)
        return false;
    takeLayout(layout);
    writeSettings();
    saved_ = settings_;
    return true;
}

void Engine::toolWindowPlaced(WindowPlace Settings::*window, WindowPlace place) {
    settings_.*window = place;
    saved_.*window = place;
}

// Main window commands -------------------------------------------------------------------------------------

void Engine::openConnexionFile() {
    const std::string path = prompt_.openFileDialog(messages_.text(kMessageOpenSheet), kConnexionFilter,
                                                    kConnexionExtension, settings_.connexionPath);
    // A file that cannot be read leaves everything as it was, so that changed routing_ is still offered for
    // saving.
    if (!isConnexionFileName(path) || !connexionFile_.ReadConnexionFile(path))
        return;
    settings_.connexionPath = path;
    // Rows whose new entry sends nothing (no source, no connector) would otherwise keep the old names.
    sheet_.FillSheet();
    routingCommands_.DownloadRouting();
    routing_.setConnexionsChanged(false);
    setTitle();
}

void Engine::saveConnexionFile() {
    if (isConnexionFileName(settings_.connexionPath))
        connexionFile_.WriteConnexionFile(settings_.connexionPath);
    else
        saveConnexionFileAs();
}

void Engine::saveConnexionFileAs() {
    const std::string path = prompt_.saveFileDialog(messages_.text(kMessageSaveSheet), kConnexionFilter,
                                                    kConnexionExtension, settings_.connexionPath);
    if (isConnexionFileName(path) && connexionFile_.WriteConnexionFile(path))
        settings_.connexionPath = path;
}

void Engine::rowClicked(int row) {
    if (!sheet_.lvcom_ItemClick(row))
        return;
    listener_.switcherChanged();
    vca_.SelectVcaDestination(sheet_.currentDestination());
}

// The assignment editor_ ----------------------------------------------------------------------------------

void Engine::refreshRouting() {
    if (link_.portNumber() != 0)
        statusReader_.ReadMatrixStatus();
    else
        routingCommands_.DownloadRouting();
}

void Engine::editorClosed() {
    assignmentEditorOpen_ = false;
    refreshRouting();
    // Without a matrix the download only replayed what the sheet_ already held.
    if (link_.portNumber() == 0)
        routing_.setConnexionsChanged(false);
}

void Engine::refillSheet() {
    sheet_.FillSheet();
}

UploadOutcome Engine::uploadEeprom() {
    if (busy() || link_.refuseWhileLineLost())
        return UploadOutcome::Refused;
    const LongOperation::Guard hold = holdLink();
    return eeprom_.UploadEeprom();
}

// Title ----------------------------------------------------------------------------------------------------

std::string Engine::shortConnexionPath() const {
    const std::string& path = settings_.connexionPath;
    // A file outside the program folder is shown whole rather than cut at the folder's length; so is one in
    // a sibling folder whose name only begins like the program folder's ("routelane4-old").
    const bool inside = path.size() > folder_.size() && path.starts_with(folder_) &&
                        (path[folder_.size()] == '/' || path[folder_.size()] == '\\');
    return inside ? path.substr(folder_.size()) : path;
}

void Engine::setTitle() {
    title_ = kTitleStart + matrixLabel_ + messages_.text(kMessageConnexionSheet) + shortConnexionPath();
    listener_.titleChanged(title_);
}

} // namespace rl4

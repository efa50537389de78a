#include "assign/assignment_editor.h"

#include "assign/assignment_file.h"
#include "platform/text_file.h"

namespace rl4 {

namespace {

constexpr int kMessageQuit = 14;
constexpr int kMessageEditorTitle = 31;
constexpr int kMessageSaveHint = 32;
constexpr int kMessageName = 34;
constexpr int kMessageKey = 35;
constexpr int kMessageAskToSave = 38;
constexpr int kMessageOpenTitle = 39;
constexpr int kMessageSaveTitle = 42;
constexpr int kMessageColumnChoice = 101;
constexpr int kMessageErase = 102;
constexpr int kMessageFill = 103;

constexpr const char* kFilter = "Assignations.agn|*.agn";
constexpr const char* kExtension = "agn";
constexpr const char* kFileEnding = ".agn";

constexpr int kButtonSave = 2;
constexpr int kButtonQuit = 3;
constexpr int kChoiceErase = 1;
constexpr int kChoiceFill = 2;

constexpr int kColumnNumber = 0;
constexpr int kColumnKey = 6;

struct ViewLook {
    const char* english;
    const char* french;
    RgbColour rows;
    RgbColour selected;
};

ViewLook viewLook(int view) {
    switch (view) {
    case kDestinationsView:
        return {"Assignation : Destinations", "Assignation : Destinations", kDestinationRowColour,
                kDestinationSelectedColour};
    case kSpecialsView:
        return {"Functions : Special", "Fonctions : Spéciales", kSpecialRowColour, kSpecialSelectedColour};
    default:
        return {"Assignation : Sources", "Assignation : Sources", kSourceRowColour, kSourceSelectedColour};
    }
}

std::string cellText(int value) {
    return value == NotAssigned ? std::string() : std::to_string(value);
}

// Insert and remove move a record's content but not its selection mark, which stays with its number.
void moveContent(const Source& from, Source& to) {
    to = from;
}

void moveContent(const Destination& from, Destination& to) {
    const int selectionMark = to.Shw;
    to = from;
    to.Shw = selectionMark;
}

template <typename Record>
bool insertRecord(std::array<Record, kMaxObjects + 1>& records, int& count, int position) {
    if (count < 0 || count >= kMaxObjects || position < 1 || position > count + 1)
        return false;
    ++count;
    for (int i = count; i > position; --i)
        moveContent(records[static_cast<std::size_t>(i - 1)], records[static_cast<std::size_t>(i)]);
    moveContent(Record{}, records[static_cast<std::size_t>(position)]);
    return true;
}

template <typename Record>
bool removeRecord(std::array<Record, kMaxObjects + 1>& records, int& count, int position) {
    if (position < 1 || position > count || count > kMaxObjects)
        return false;
    for (int i = position; i < count; ++i)
        moveContent(records[static_cast<std::size_t>(i + 1)], records[static_cast<std::size_t>(i)]);
    --count;
    return true;
}

// The field a column shows, for the column action.
int* sourceField(Source& source, int column) {
    switch (column) {
    case 2:
        return &source.Vin;
    case 3:
        return &source.Ain;
    case 4:
        return &source.Rin;
    case 5:
        return &source.YWi;
    case kColumnKey:
        return &source.Kin;
    default:
        return nullptr;
    }
}

int* destinationField(Destination& destination, int column) {
    switch (column) {
    case 2:
        return &destination.Vou;
    case 3:
        return &destination.Aou;
    case 4:
        return &destination.Rou;
    case 5:
        return &destination.YWo;
    case kColumnKey:
        return &destination.Kou;
    default:
        return nullptr;
    }
}

} // namespace

AssignmentEditor::AssignmentEditor(Assignments& assignments, MessageTable& messages, Prompt& prompt,
                                   Link& link, EditorHost& host, std::string programFolder)
    : assignments_(assignments), messages_(messages), prompt_(prompt), host_(host),
      levels_(link, assignments, messages, prompt, menu_, currentRow_),
      programFolder_(std::move(programFolder)) {}

std::string AssignmentEditor::tbagnHint(int button) const {
    if (button < 1 || button > static_cast<int>(toolbarHints_.size()))
        return {};
    return toolbarHints_[static_cast<std::size_t>(button - 1)];
}

ChangeDialogModel* AssignmentEditor::changeDialog() {
    return changeDialog_ && changeDialog_->isOpen() ? &*changeDialog_ : nullptr;
}

SizeDialogModel* AssignmentEditor::sizeDialog() {
    return sizeDialog_ && sizeDialog_->isOpen() ? &*sizeDialog_ : nullptr;
}

// Opening and closing -------------------------------------------------------------------------------------

void AssignmentEditor::frmagn_Load() {
    if (open_)
        return;
    open_ = true;
    if (listener_)
        listener_->otherWindowsShown(false);
    setTitle(assignments_.activeFileName);

    const int language = messages_.language();
    menuEntries_ = editorMenuEntries(language);
    menu_ = EditorMenu{};
    toolbarHints_ = {"", messages_.text(kMessageSaveHint), messages_.text(kMessageQuit)};
    columns_ = {{language == kLanguageFrench ? "N°" : "Nr", 400},
                {messages_.text(kMessageName), 2000},
                {"Video", 600},
                {"Audio", 600},
                {"RGB", 600},
                {"YC-YUV", 800},
                {messages_.text(kMessageKey), 800}};

    copyActiveToEdit();
    assignments_.setAssignmentsChanged(false);
    levels_.clearAudioMonitor();
    refill();
}

void AssignmentEditor::copyActiveToEdit() {
    assignments_.ClearEditTable();
    const AssignmentTable& active = assignments_.activeTable;
    AssignmentTable& edit = assignments_.editTable;
    edit.sourceCount = usableCount(active.sourceCount);
    edit.destinationCount = usableCount(active.destinationCount);
    for (int s = 1; s <= edit.sourceCount; ++s)
        edit.sources[static_cast<std::size_t>(s)] = active.sources[static_cast<std::size_t>(s)];
    for (int d = 1; d <= edit.destinationCount; ++d)
        edit.destinations[static_cast<std::size_t>(d)] = active.destinations[static_cast<std::size_t>(d)];
    edit.specials = active.specials;
    assignments_.editFileName = assignments_.activeFileName;
}

void AssignmentEditor::frmagn_Close() {
    if (!open_)
        return;
    open_ = false;
    askToSave();
    if (listener_)
        listener_->editorUnloaded();
    host_.editorClosed();
    if (listener_)
        listener_->otherWindowsShown(true);
    host_.refillSheet();
}

void AssignmentEditor::setTitle(const std::string& fileName) {
    title_ = messages_.text(kMessageEditorTitle) + fileName;
}

// The list --------------------------------------------------------------------------------------------------

void AssignmentEditor::refill() {
    levels_.lockAndHide();
    menu_.setEnabled(editor_menu::kSpecialView,
                     assignments_.editTable.destinationCount <= kMostDestinationsWithSpecials);
    rows_.clear();

    const ViewLook look = viewLook(editorView_);
    lbldirection_ = messages_.language() == kLanguageFrench ? look.french : look.english;
    lbldirectionColour_ = look.rows;
    if (editorView_ == kSourcesView)
        fillSources();
    else if (editorView_ == kDestinationsView)
        fillDestinations();
    else
        fillSpecials();

    currentRow_ = 0;
    for (int id = editor_menu::kCut; id <= editor_menu::kChange; ++id)
        menu_.setEnabled(id, false);
}

// An empty view still shows one record to click on, so that there is a row to insert at.
void AssignmentEditor::fillSources() {
    AssignmentTable& edit = assignments_.editTable;
    if (edit.sourceCount <= 0) {
        edit.sourceCount = 1;
        edit.sources[1] = Source{};
    }
    edit.sourceCount = usableCount(edit.sourceCount);
    for (int s = 1; s <= edit.sourceCount; ++s) {
        const Source& source = edit.sources[static_cast<std::size_t>(s)];
        rows_.push_back({s,
                         {std::to_string(s), source.name, cellText(source.Vin), cellText(source.Ain),
                          cellText(source.Rin), cellText(source.YWi), cellText(source.Kin)},
                         kSourceRowColour});
    }
}

void AssignmentEditor::fillDestinations() {
    AssignmentTable& edit = assignments_.editTable;
    if (edit.destinationCount <= 0) {
        edit.destinationCount = 1;
        moveContent(Destination{}, edit.destinations[1]);
    }
    edit.destinationCount = usableCount(edit.destinationCount);
    for (int d = 1; d <= edit.destinationCount; ++d) {
        const Destination& destination = edit.destinations[static_cast<std::size_t>(d)];
        rows_.push_back(
            {d,
             {std::to_string(d), destination.name, cellText(destination.Vou), cellText(destination.Aou),
              cellText(destination.Rou), cellText(destination.YWo), cellText(destination.Kou)},
             kDestinationRowColour});
    }
}

void AssignmentEditor::fillSpecials() {
    for (int f = 1; f <= kSpecialFunctions; ++f) {
        rows_.push_back({f,
                         {std::to_string(f), specialFunctionName(f), "", "", "", "",
                          cellText(assignments_.editTable.specials[static_cast<std::size_t>(f)].Ksp)},
                         kSpecialRowColour});
    }
}

void AssignmentEditor::lvagn_ItemClick(int row) {
    if (!open_ || row < 0 || row >= static_cast<int>(rows_.size()))
        return;
    currentRow_ = rows_[static_cast<std::size_t>(row)].number;
    const ViewLook look = viewLook(editorView_);
    for (EditorRow& each : rows_)
        each.background = each.number == currentRow_ ? look.selected : look.rows;
    for (int id = editor_menu::kCut; id <= editor_menu::kChange; ++id)
        menu_.setEnabled(id, true);
    if (editorView_ == kSourcesView)
        levels_.sourceRowClicked();
    else
        levels_.otherRowClicked(editorView_ == kDestinationsView);
}

void AssignmentEditor::lvagn_DblClick() {
    frmagn_MenuEvent(editor_menu::kChange);
}

void AssignmentEditor::lvagn_KeyUp(int keyCode, int shift) {
    if (shift == kShiftNone) {
        if (keyCode == kKeyEnter)
            frmagn_MenuEvent(editor_menu::kChange);
        else if (keyCode == kKeyInsert)
            frmagn_MenuEvent(editor_menu::kInsertAbove);
        else if (keyCode == kKeyDelete)
            frmagn_MenuEvent(editor_menu::kDelete);
    } else if (shift == kShiftCtrl) {
        if (keyCode == kKeyX)
            frmagn_MenuEvent(editor_menu::kCut);
        else if (keyCode == kKeyV)
            frmagn_MenuEvent(editor_menu::kPaste);
    }
}

void AssignmentEditor::lbldirection_Click() {
    frmagn_MenuEvent(editorView_ == kSourcesView ? editor_menu::kDestinationView : editor_menu::kSourceView);
}

void AssignmentEditor::tbagn_ButtonClick(int button) {
    if (button == kButtonSave)
        frmagn_MenuEvent(editor_menu::kSave);
    else if (button == kButtonQuit)
        frmagn_Close();
}

// Commands ------------------------------------------------------------------------------------------------

void AssignmentEditor::frmagn_MenuOver(int id) {
    sbagn_ = editorMenuHelp(id, messages_.language(), assignments_.activeFileName);
}

void AssignmentEditor::frmagn_MenuEvent(int id) {
    if (!open_ || !menu_.enabled(id))
        return;
    switch (id) {
    case editor_menu::kOpen:
        openFile();
        break;
    case editor_menu::kCreateNew:
        createNew();
        break;
    case editor_menu::kSave:
        save();
        break;
    case editor_menu::kSaveAs:
        saveAs();
        break;
    case editor_menu::kQuit:
        frmagn_Close();
        break;
    case editor_menu::kCut:
        cut();
        break;
    case editor_menu::kPaste:
        paste();
        break;
    case editor_menu::kInsertAbove:
        insertAt(currentRow_);
        break;
    case editor_menu::kInsertBelow:
        insertAt(currentRow_ + 1);
        break;
    case editor_menu::kDelete:
        remove(currentRow_);
        break;
    case editor_menu::kChange:
        changeObject();
        break;
    case editor_menu::kSourceView:
    case editor_menu::kDestinationView:
    case editor_menu::kSpecialView:
        editorView_ = id - editor_menu::kView;
        refill();
        break;
    case editor_menu::kAdjustmentsEnable:
        levels_.toggleAdjustments();
        break;
    case editor_menu::kBalanced:
    case editor_menu::kUnbalanced:
        levels_.setMode(id == editor_menu::kBalanced);
        break;
    case editor_menu::kAllBalanced:
    case editor_menu::kAllUnbalanced:
        levels_.setAllModes(id == editor_menu::kAllBalanced);
        break;
    case editor_menu::kAdjustAll:
        levels_.adjustAll();
        break;
    case editor_menu::kAudioMonitor:
        levels_.selectAudioMonitor();
        break;
    case editor_menu::kUploadEeprom:
        uploadToEeprom();
        break;
    default:
        break;
    }
}

void AssignmentEditor::changed() {
    assignments_.setAssignmentsChanged(true);
}

bool AssignmentEditor::rowSelected() const {
    return ChangeDialogModel::canEdit(assignments_.editTable, editorView_, currentRow_);
}

void AssignmentEditor::cut() {
    if (rowSelected()) {
        const auto row = static_cast<std::size_t>(currentRow_);
        if (editorView_ == kSourcesView)
            sourceClip_ = assignments_.editTable.sources[row];
        else if (editorView_ == kDestinationsView)
            destinationClip_ = assignments_.editTable.destinations[row];
    }
    remove(currentRow_);
}

void AssignmentEditor::paste() {
    AssignmentTable& edit = assignments_.editTable;
    const auto row = static_cast<std::size_t>(currentRow_);
    if (refusedAsFull()) {
        refill();
        return;
    }
    if (editorView_ == kSourcesView && rowSelected() &&
        insertRecord(edit.sources, edit.sourceCount, currentRow_)) {
        moveContent(sourceClip_, edit.sources[row]);
        changed();
    } else if (editorView_ == kDestinationsView && rowSelected() &&
               insertRecord(edit.destinations, edit.destinationCount, currentRow_)) {
        moveContent(destinationClip_, edit.destinations[row]);
        changed();
    }
    refill();
}

// Below the last record is a valid place too.
void AssignmentEditor::insertAt(int position) {
    AssignmentTable& edit = assignments_.editTable;
    if (refusedAsFull()) {
        refill();
        return;
    }
    bool inserted = false;
    if (rowSelected() && editorView_ == kSourcesView)
        inserted = insertRecord(edit.sources, edit.sourceCount, position);
    else if (rowSelected() && editorView_ == kDestinationsView)
        inserted = insertRecord(edit.destinations, edit.destinationCount, position);
    if (inserted)
        changed();
    refill();
}

bool AssignmentEditor::refusedAsFull() {
    const AssignmentTable& edit = assignments_.editTable;
    const int count = editorView_ == kSourcesView        ? edit.sourceCount
                      : editorView_ == kDestinationsView ? edit.destinationCount
                                                         : 0;
    if (!rowSelected() || count < kMaxObjects)
        return false;
    prompt_.messageBox(messages_.text(kMessageTableFull), PromptButtons::Ok, kEditorTitle,
                       PromptIcon::Exclamation);
    return true;
}

void AssignmentEditor::remove(int position) {
    AssignmentTable& edit = assignments_.editTable;
    bool removed = false;
    if (rowSelected() && editorView_ == kSourcesView)
        removed = removeRecord(edit.sources, edit.sourceCount, position);
    else if (rowSelected() && editorView_ == kDestinationsView)
        removed = removeRecord(edit.destinations, edit.destinationCount, position);
    if (removed)
        changed();
    refill();
}

void AssignmentEditor::lvagn_ColumnClick(int column) {
    if (open_ && column > kColumnNumber && column < kEditorColumns)
        columnAction(column);
}

// Erasing and filling ignore conflicts: filling numbers every record's connector after the record. The name
// column has no field to erase or fill.
void AssignmentEditor::columnAction(int column) {
    const int choice = prompt_.choiceBox(columns_[static_cast<std::size_t>(column)].header + "|" +
                                             messages_.text(kMessageColumnChoice),
                                         kEditorTitle, kChoiceErase, PromptIcon::Question);
    if (choice != kChoiceErase && choice != kChoiceFill)
        return;
    const bool erase = choice == kChoiceErase;
    if (prompt_.messageBox(messages_.text(erase ? kMessageErase : kMessageFill), PromptButtons::YesNo,
                           kEditorTitle, PromptIcon::Question) != kAnswerYes)
        return;

    AssignmentTable& edit = assignments_.editTable;
    if (editorView_ == kSourcesView) {
        for (int s = 1; s <= usableCount(edit.sourceCount); ++s) {
            if (int* field = sourceField(edit.sources[static_cast<std::size_t>(s)], column))
                *field = erase ? NotAssigned : s;
        }
    } else if (editorView_ == kDestinationsView) {
        for (int d = 1; d <= usableCount(edit.destinationCount); ++d) {
            if (int* field = destinationField(edit.destinations[static_cast<std::size_t>(d)], column))
                *field = erase ? NotAssigned : d;
        }
    } else if (column == kColumnKey) {
        for (int f = 1; f <= kSpecialFunctions; ++f)
            edit.specials[static_cast<std::size_t>(f)].Ksp = erase ? NotAssigned : f;
    }
    refill();
    changed();
}

void AssignmentEditor::changeObject() {
    if (!rowSelected())
        return;
    changeDialog_.emplace(assignments_, messages_, prompt_, editorView_, currentRow_,
                          [this](bool accepted) { changeDialogClosed(accepted); });
    if (listener_)
        listener_->changeDialogShown(true);
}

void AssignmentEditor::changeDialogClosed(bool accepted) {
    if (listener_)
        listener_->changeDialogShown(false);
    if (!accepted)
        return;
    refill();
    changed();
}

// Files -----------------------------------------------------------------------------------------------------

void AssignmentEditor::askToSave() {
    if (assignments_.assignmentsChanged() &&
        prompt_.messageBox(messages_.text(kMessageAskToSave), PromptButtons::YesNo, kEditorTitle,
                           PromptIcon::Question) == kAnswerYes)
        saveAs();
}

void AssignmentEditor::openFile() {
    askToSave();
    const std::string path = prompt_.openFileDialog(messages_.text(kMessageOpenTitle), kFilter, kExtension,
                                                    assignments_.editFileName);
    if (!path.ends_with(kFileEnding))
        return;
    assignments_.editFileName = path;
    ReadAssignmentFile(assignments_, messages_, prompt_);
    refill();
    assignments_.ApplyEditTable();
    setTitle(assignments_.editFileName);
}

void AssignmentEditor::save() {
    if (!fileExists(assignments_.editFileName)) {
        saveAs();
        return;
    }
    assignments_.ApplyEditTable();
    WriteAssignmentFile(assignments_, messages_, prompt_);
}

void AssignmentEditor::saveAs() {
    const std::string path = prompt_.saveFileDialog(messages_.text(kMessageSaveTitle), kFilter, kExtension,
                                                    assignments_.editFileName);
    if (!path.ends_with(kFileEnding))
        return;
    assignments_.editFileName = path;
    assignments_.ApplyEditTable();
    WriteAssignmentFile(assignments_, messages_, prompt_);
    setTitle(assignments_.editFileName);
}

// The new assignment starts from nothing: unsaved changes are dropped without a question, and the output
// sizes are what the matrix reports now.
void AssignmentEditor::createNew() {
    assignments_.ClearEditTable();
    for (Layer layer : kLayers)
        assignments_.sizes.out(layer) = 0;
    host_.refreshRouting();
    sizeDialog_.emplace(assignments_, messages_, prompt_, programFolder_,
                        [this](bool created) { sizeDialogClosed(created); });
    if (listener_)
        listener_->sizeDialogShown(true);
}

void AssignmentEditor::sizeDialogClosed(bool created) {
    if (listener_)
        listener_->sizeDialogShown(false);
    if (!created)
        return;
    refill();
    setTitle(assignments_.editFileName);
}

void AssignmentEditor::uploadToEeprom() {
    askToSave();
    if (!uploadEeprom_)
        return;
    uploading_ = true;
    uploadEeprom_();
    uploading_ = false;
}

} // namespace rl4

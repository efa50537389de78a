#include "gui/gui_upload_shots.h"

#include "engine/menu_ids.h"
#include "gui/assignment_editor_window.h"
#include "gui/change_dialog.h"
#include "gui/gui_window_shot.h"
#include "gui/main_window.h"
#include "gui/size_dialog.h"

#include <iostream>

namespace rl4 {

namespace {

// A destination record in the 80-object layout: the list then holds every source line, and the percentage
// has moved well away from its start.
constexpr int kRunningLine = 82;
constexpr int kFourByte = 4;
constexpr int kMessageUploadSuccessful = 82;
constexpr int kQuitButton = 1;
// A loaded machine may answer one message of thousands too late for the link's wait: the run then ends
// with the failure report, and the picture wanted is that of a run that succeeded.
constexpr int kAttempts = 3;

// Saves the progress window the first time the run reaches kRunningLine. The window drew the change
// before this is told (it joined the hub first), and the run waits meanwhile.
class RunningShot : public EngineListener {
public:
    RunningShot(const EepromUploader& uploader, QWidget* window, QString folder, QString suffix)
        : uploader_(uploader), window_(window), folder_(std::move(folder)), suffix_(std::move(suffix)) {}

    void eepromWindowChanged() override {
        if (taken_ || uploader_.window().proeeprom < kRunningLine)
            return;
        taken_ = true;
        saved_ = saveWindow(window_, folder_, "upload_running", suffix_);
    }

    bool saved() const { return saved_; }

private:
    const EepromUploader& uploader_;
    QWidget* window_;
    QString folder_;
    QString suffix_;
    bool taken_ = false;
    bool saved_ = false;
};

} // namespace

bool saveUploadScreenshots(const QString& folder, const QString& suffix, GuiSession& session,
                           ScriptPrompt& prompt) {
    auto* window = session.mainWindow().findChild<QWidget*>("frmloadeeprom");
    session.commands().frm1_MenuEvent(menu_id::kAssignmentEditor);
    auto* editor =
        qobject_cast<AssignmentEditorWindow*>(session.toolWindows().window(menu_id::kAssignmentEditor));
    QAction* upload = editor != nullptr ? editor->menuAction(editor_menu::kUploadEeprom) : nullptr;
    if (window == nullptr || upload == nullptr) {
        std::cerr << "the assignment editor or the upload's window did not open\n";
        return false;
    }

    Link& link = session.engine().link();
    const int protocolLength = link.protocolLength();
    link.setProtocolLength(kFourByte);
    RunningShot running(session.engine().eeprom(), window, folder, suffix);
    session.hub().join(&running);
    const std::string success = session.engine().messages().text(kMessageUploadSuccessful);
    bool succeeded = false;
    for (int attempt = 1; attempt <= kAttempts && !succeeded; ++attempt) {
        const std::size_t notices = prompt.notices().size();
        const int unscripted = prompt.unscriptedQuestions();
        // Both questions, and the failure report's button should an answer come too late.
        prompt.script(kAnswerYes);
        prompt.script(kAnswerYes);
        prompt.script(kQuitButton);
        upload->trigger();
        succeeded = prompt.unusedAnswers() == 1 && prompt.unscriptedQuestions() == unscripted &&
                    prompt.notices().size() == notices + 1 && prompt.notices().back() == success;
        prompt.clearScript();
        if (!succeeded)
            std::cerr << "upload " << attempt << " did not run to its success report\n";
    }
    session.hub().leave(&running);
    link.setProtocolLength(protocolLength);
    const bool saved = saveWindow(window, folder, "upload_done", suffix);
    window->close();
    if (QAction* quit = editor->menuAction(editor_menu::kQuit))
        quit->trigger();
    return succeeded && running.saved() && saved;
}

} // namespace rl4

#include "gui/gui_session.h"

#include "control/control_socket.h"
#include "gui/eeprom_window.h"
#include "gui/gui_control.h"
#include "gui/gui_editor_factory.h"
#include "gui/gui_tool_window_factories.h"
#include "gui/main_window.h"
#include "gui/progress_window.h"

#include <QApplication>
#include <QCloseEvent>

namespace rl4 {

GuiSession::GuiSession(const std::string& programFolder, Prompt& prompt)
    : prompt_(prompt), opener_(PortMap::load(programFolder)),
      engine_(programFolder, clock_, opener_, prompt_, hub_), translation_(engine_.messages()),
      commands_(engine_, [this] { return mainWindow_->geometryTwips(); }),
      mainWindow_(std::make_unique<MainWindow>(engine_, commands_)),
      progress_(new ProgressWindow(mainWindow_.get())), eeprom_(new EepromWindow(engine_, mainWindow_.get())),
      tools_(hub_) {
    // The tool windows register their makers with tools_ by menu id (see ToolWindows) here, beside the
    // main window that asks for them.
    addEditorWindow(tools_, engine_, *mainWindow_);
    addToolWindows(tools_, engine_, commands_, *mainWindow_);
    hub_.join(&translation_);
    hub_.join(mainWindow_.get());
    hub_.join(progress_);
    hub_.join(eeprom_);
    hub_.join(&tools_);
    lineNotices_ = std::make_unique<LineNotices>(engine_, prompt, *mainWindow_);
    hub_.join(lineNotices_.get());
    mainWindow_->installEventFilter(this);
    connect(mainWindow_.get(), &MainWindow::closed, this, &GuiSession::shutDown);
    loop_.setInterval(kMainLoopMillis);
    connect(&loop_, &QTimer::timeout, this, &GuiSession::mainLoopPass);
}

GuiSession::~GuiSession() {
    if (control_)
        hub_.leave(&control_->server().listener());
    hub_.leave(lineNotices_.get());
    hub_.leave(&tools_);
    hub_.leave(eeprom_);
    hub_.leave(progress_);
    hub_.leave(mainWindow_.get());
    hub_.leave(&translation_);
}

std::string GuiSession::listenForControl() {
    control_ = std::make_unique<GuiControl>(engine_, prompt_, clock_,
                                            [this] { return quitPending_ || engineBusy(); });
    const std::string error = control_->listen(controlSocketPath(engine_.programFolder()));
    if (error.empty())
        hub_.join(&control_->server().listener());
    else
        control_.reset();
    return error;
}

std::string GuiSession::listenForControlOverTcp(const std::string& hostAndPort) {
    if (!control_)
        return "the control socket is not open";
    const TokenFile token = readTokenFile(engine_.programFolder() + "/routelane4.token");
    if (!token.error.empty())
        return token.error;
    return control_->server().listenTcp(hostAndPort, token.token);
}

void GuiSession::start() {
    engine_.startUpSettings();
    translation_.follow();
    mainWindow_->useLanguage(engine_.settings().language);
    mainWindow_->placeAt(engine_.settings());
    mainWindow_->show();
    QTimer::singleShot(0, this, &GuiSession::startUp);
}

void GuiSession::startUp() {
    engine_.startUpMatrix();
    commands_.openSavedWindows();
    startedUp_ = true;
    loop_.start();
    emit ready();
    if (quitPending_)
        quitWhenFree();
}

bool GuiSession::engineBusy() const {
    return !startedUp_ || progress_->busy() || engine_.busy() || QApplication::activeModalWidget() != nullptr;
}

void GuiSession::mainLoopPass() {
    if (quitPending_) {
        quitWhenFree();
        return;
    }
    if (!engineBusy())
        engine_.mainLoopPass();
}

void GuiSession::requestQuit() {
    prompt_.leaveUnattended();
    quitPending_ = true;
    loop_.start();
    quitWhenFree();
}

// Nobody may be there to answer: a question on the screen is closed as its window's close button would,
// a long operation (the EEPROM upload) runs to its end, an open assignment editor closes first (its own close
// asks about its changes and reads the matrix again, which needs the engine still running), and the main
// window closes once the engine is free.
void GuiSession::quitWhenFree() {
    if (QWidget* question = QApplication::activeModalWidget()) {
        question->close();
        return;
    }
    // A debug loop ends after its step; a later pass finds the engine free.
    if (engine_.debug().looping())
        engine_.debug().requestStop();
    if (engine_.busy())
        return;
    if (QWidget* editor = shownEditorWindow(tools_)) {
        editor->close();
        return;
    }
    if (startedUp_ && !progress_->busy())
        mainWindow_->close();
}

// The window system may ask the main window to close before the start-up or while an engine call holds
// the event loop: the shutdown then waits until the engine is free.
bool GuiSession::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mainWindow_.get() && event->type() == QEvent::Close &&
        (!startedUp_ || progress_->busy() || engine_.busy())) {
        quitPending_ = true;
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void GuiSession::shutDown() {
    loop_.stop();
    // The port is closed: clients learn it from the socket's end rather than from commands that fail.
    if (control_) {
        hub_.leave(&control_->server().listener());
        control_.reset();
    }
    tools_.closeAll();
    progress_->hide();
    eeprom_->hide();
    emit finished();
}

} // namespace rl4

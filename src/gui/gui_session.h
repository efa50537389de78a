#pragma once

#include "control/divertable_prompt.h"
#include "engine/engine.h"
#include "engine/main_commands.h"
#include "gui/gui_listener_hub.h"
#include "gui/gui_tool_windows.h"
#include "gui/gui_translation.h"
#include "gui/line_notices.h"
#include "platform/mapped_port_opener.h"
#include "platform/system_clock.h"

#include <QObject>
#include <QTimer>
#include <memory>

namespace rl4 {

class EepromWindow;
class GuiControl;
class MainWindow;
class ProgressWindow;

// One run of the window program on a program folder: the engine, the main window and the windows around
// it, the start-up after the main window shows, the main loop and the shutdown.
//
// The main loop is a timer: every pass lets the engine read what the matrix sent unasked and run the
// sheet's deferred work, then the event loop sleeps until the next pass or the operator's next move.
// Nothing enters the engine from the loop while a long operation holds it (the port search, the status
// reading, the EEPROM upload) or while a dialog waits for the operator.
class GuiSession : public QObject {
    Q_OBJECT

public:
    static constexpr int kMainLoopMillis = 20;

    GuiSession(const std::string& programFolder, Prompt& prompt);
    ~GuiSession() override;

    // Shows the main window; the start-up follows as soon as the event loop runs.
    void start();
    // The system tells the program to end (a signal): nobody is there to answer any more. Closes the main
    // window (and so runs the shutdown) as soon as nothing holds the engine; questions on the screen
    // meanwhile are closed unanswered, and later ones are not shown.
    void requestQuit();

    bool startedUp() const { return startedUp_; }
    Engine& engine() { return engine_; }
    MainCommands& commands() { return commands_; }
    MainWindow& mainWindow() { return *mainWindow_; }
    ToolWindows& toolWindows() { return tools_; }
    ListenerHub& hub() { return hub_; }

    // Listens for commands from other programs (routelane4ctl, scripts) on the control socket of the
    // program folder; the error text when it cannot. The socket goes with the session.
    std::string listenForControl();
    // Listens on TCP too, for clients that present the token of routelane4.token in the program folder.
    std::string listenForControlOverTcp(const std::string& hostAndPort);
    const GuiControl* control() const { return control_.get(); }

signals:
    // The start-up is over and the main loop runs.
    void ready();
    // The shutdown has run: the program may end.
    void finished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startUp();
    void mainLoopPass();
    bool engineBusy() const;
    void quitWhenFree();
    void shutDown();

    // The control socket's commands take it over while they run.
    DivertablePrompt prompt_;
    SystemClock clock_;
    MappedPortOpener opener_;
    ListenerHub hub_;
    Engine engine_;
    QtTranslation translation_;
    MainCommands commands_;
    std::unique_ptr<MainWindow> mainWindow_;
    ProgressWindow* progress_;
    EepromWindow* eeprom_;
    ToolWindows tools_;
    std::unique_ptr<LineNotices> lineNotices_;
    QTimer loop_;
    bool startedUp_ = false;
    bool quitPending_ = false;
    std::unique_ptr<GuiControl> control_;
};

} // namespace rl4

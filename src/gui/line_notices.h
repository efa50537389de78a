#pragma once

#include "engine/engine.h"

#include <QObject>

namespace rl4 {

class MainWindow;

// What the operator is told when the line to the matrix goes and comes back: the reason in the status bar
// for as long as the line is lost, and one message for each command refused meanwhile. A command that sends
// many frames (a status reading, a download) is refused at each of them; the message waits until the
// command has returned to the event loop, so that it is said once.
class LineNotices : public QObject, public EngineListener {
    Q_OBJECT

public:
    LineNotices(Engine& engine, Prompt& prompt, MainWindow& mainWindow);

    void lineLost(const std::string& reason) override;
    void lineBack() override;
    void commandRefused() override;

private:
    void showRefusal();

    Engine& engine_;
    Prompt& prompt_;
    MainWindow& mainWindow_;
    bool refusalPending_ = false;
};

} // namespace rl4

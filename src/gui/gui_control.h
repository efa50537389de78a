#pragma once

#include "control/control_server.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <string>

class QSocketNotifier;

namespace rl4 {

// The control socket in the window program's event loop: a client's bytes are served as soon as they come,
// and commands that wait for a busy program are looked at again every few passes.
class GuiControl : public QObject {
public:
    static constexpr int kWaitingCheckMillis = 50;

    GuiControl(Engine& engine, DivertablePrompt& prompt, Clock& clock, std::function<bool()> busy);
    ~GuiControl() override;

    // The error text when it cannot listen on `path`.
    std::string listen(const std::string& path);
    ControlServer& server() { return server_; }

private:
    ControlServer server_;
    QSocketNotifier* notifier_ = nullptr;
    QTimer waiting_;
};

} // namespace rl4

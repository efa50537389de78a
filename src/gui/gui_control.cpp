#include "gui/gui_control.h"

#include <QSocketNotifier>

namespace rl4 {

GuiControl::GuiControl(Engine& engine, DivertablePrompt& prompt, Clock& clock, std::function<bool()> busy)
    : server_(engine, prompt, clock, std::move(busy)) {
    waiting_.setInterval(kWaitingCheckMillis);
    connect(&waiting_, &QTimer::timeout, this, [this] { server_.service(); });
}

GuiControl::~GuiControl() {
    delete notifier_;
}

std::string GuiControl::listen(const std::string& path) {
    std::string error = server_.listen(path);
    if (!error.empty())
        return error;
    notifier_ = new QSocketNotifier(server_.pollFd(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { server_.service(); });
    waiting_.start();
    return "";
}

} // namespace rl4

#include "gui/line_notices.h"

#include "gui/main_window.h"

#include <QTimer>

namespace rl4 {

LineNotices::LineNotices(Engine& engine, Prompt& prompt, MainWindow& mainWindow)
    : engine_(engine), prompt_(prompt), mainWindow_(mainWindow) {}

void LineNotices::lineLost(const std::string&) {
    mainWindow_.showStatusHelp(engine_.lineLostText() + engine_.messages().text(kMessageLineRetrying));
}

void LineNotices::lineBack() {
    mainWindow_.showStatusHelp("");
}

void LineNotices::commandRefused() {
    if (refusalPending_)
        return;
    refusalPending_ = true;
    QTimer::singleShot(0, this, &LineNotices::showRefusal);
}

void LineNotices::showRefusal() {
    prompt_.messageBox(engine_.commandRefusedText(), PromptButtons::Ok, "", PromptIcon::Exclamation);
    refusalPending_ = false;
}

} // namespace rl4

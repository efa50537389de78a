#include "control/console_prompt.h"

#include <ostream>

namespace rl4 {

int ConsolePrompt::messageBox(const std::string& text, PromptButtons buttons, const std::string& title,
                              PromptIcon) {
    out_ << (title.empty() ? "" : title + ": ") << text << '\n';
    switch (buttons) {
    case PromptButtons::Ok:
        return kAnswerOk;
    case PromptButtons::OkCancel:
        return kAnswerCancel;
    case PromptButtons::YesNo:
        return yesNoAnswer;
    case PromptButtons::YesNoCancel:
        break;
    }
    return kAnswerCancel;
}

int ConsolePrompt::choiceBox(const std::string&, const std::string&, int defaultButton, PromptIcon) {
    return defaultButton;
}

std::string ConsolePrompt::openFileDialog(const std::string&, const std::string&, const std::string&,
                                          const std::string&) {
    return "";
}

std::string ConsolePrompt::saveFileDialog(const std::string&, const std::string&, const std::string&,
                                          const std::string&) {
    return "";
}

} // namespace rl4

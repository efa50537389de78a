#include "gui/script_prompt.h"

#include <iostream>

namespace rl4 {

int ScriptPrompt::next(const std::string& text, int unanswered) {
    if (answers_.empty() || unattended()) {
        ++unscripted_;
        std::cerr << "unscripted question: " << text << '\n';
        return unanswered;
    }
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

int ScriptPrompt::messageBox(const std::string& text, PromptButtons buttons, const std::string& /*title*/,
                             PromptIcon /*icon*/) {
    if (buttons == PromptButtons::Ok) {
        notices_.push_back(text);
        return kAnswerOk;
    }
    return next(text, closedAnswer(buttons));
}

int ScriptPrompt::choiceBox(const std::string& promptAndButtons, const std::string& /*title*/,
                            int /*defaultButton*/, PromptIcon /*icon*/) {
    return next(promptAndButtons, kChoiceDismissed);
}

std::string ScriptPrompt::openFileDialog(const std::string& title, const std::string& /*filter*/,
                                         const std::string& /*defaultExtension*/,
                                         const std::string& /*initialPath*/) {
    ++unscripted_;
    std::cerr << "unscripted file dialog: " << title << '\n';
    return "";
}

std::string ScriptPrompt::saveFileDialog(const std::string& title, const std::string& /*filter*/,
                                         const std::string& /*defaultExtension*/,
                                         const std::string& /*initialPath*/) {
    ++unscripted_;
    std::cerr << "unscripted file dialog: " << title << '\n';
    return "";
}

} // namespace rl4

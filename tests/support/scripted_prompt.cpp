#include "support/scripted_prompt.h"

#include <gtest/gtest.h>

namespace rl4::test {

int ScriptedPrompt::nextNumber(int fallback) {
    if (answers_.empty() || !std::holds_alternative<int>(answers_.front())) {
        ADD_FAILURE() << "unscripted question: " << questions.back().text;
        return fallback;
    }
    const int answer = std::get<int>(answers_.front());
    answers_.pop_front();
    return answer;
}

std::string ScriptedPrompt::nextPath() {
    if (answers_.empty() || !std::holds_alternative<std::string>(answers_.front())) {
        ADD_FAILURE() << "unscripted file dialog: " << questions.back().title;
        return "";
    }
    std::string path = std::get<std::string>(answers_.front());
    answers_.pop_front();
    return path;
}

int ScriptedPrompt::messageBox(const std::string& text, PromptButtons buttons, const std::string& title,
                               PromptIcon icon) {
    questions.push_back({AskedQuestion::Kind::MessageBox, text, title, buttons, icon, 0, "", "", ""});
    if (buttons == PromptButtons::Ok || unattended())
        return closedAnswer(buttons);
    return nextNumber(buttons == PromptButtons::YesNo ? kAnswerNo : kAnswerCancel);
}

int ScriptedPrompt::choiceBox(const std::string& promptAndButtons, const std::string& title,
                              int defaultButton, PromptIcon icon) {
    questions.push_back({AskedQuestion::Kind::ChoiceBox, promptAndButtons, title, PromptButtons::Ok, icon,
                         defaultButton, "", "", ""});
    return unattended() ? kChoiceDismissed : nextNumber(defaultButton);
}

std::string ScriptedPrompt::openFileDialog(const std::string& title, const std::string& filter,
                                           const std::string& defaultExtension,
                                           const std::string& initialPath) {
    questions.push_back({AskedQuestion::Kind::OpenFile, "", title, PromptButtons::Ok, PromptIcon::None, 0,
                         filter, defaultExtension, initialPath});
    return unattended() ? "" : nextPath();
}

std::string ScriptedPrompt::saveFileDialog(const std::string& title, const std::string& filter,
                                           const std::string& defaultExtension,
                                           const std::string& initialPath) {
    questions.push_back({AskedQuestion::Kind::SaveFile, "", title, PromptButtons::Ok, PromptIcon::None, 0,
                         filter, defaultExtension, initialPath});
    return unattended() ? "" : nextPath();
}

} // namespace rl4::test

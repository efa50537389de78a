#include "support/scripted_prompt.h"

#include <gtest/gtest.h>

namespace rl4::test {

template <typename T>
T ScriptedPrompt::next(T fallback, const std::string& asked) {
    if (answers_.empty() || !std::holds_alternative<T>(answers_.front())) {
        ADD_FAILURE() << "unscripted question: " << asked;
        return fallback;
    }
    T answer = std::get<T>(std::move(answers_.front()));
    answers_.pop_front();
    return answer;
}

int ScriptedPrompt::messageBox(const std::string& text, PromptButtons buttons, const std::string& title,
                               PromptIcon icon) {
    questions.push_back({AskedQuestion::Kind::MessageBox, text, title, buttons, icon, 0, ""});
    if (buttons == PromptButtons::Ok || unattended())
        return closedAnswer(buttons);
    return next(buttons == PromptButtons::YesNo ? kAnswerNo : kAnswerCancel, text);
}

int ScriptedPrompt::choiceBox(const std::string& promptAndButtons, const std::string& title,
                              int defaultButton, PromptIcon icon) {
    questions.push_back({AskedQuestion::Kind::ChoiceBox, promptAndButtons, title, PromptButtons::Ok, icon,
                         defaultButton, ""});
    return unattended() ? kChoiceDismissed : next(defaultButton, promptAndButtons);
}

std::string ScriptedPrompt::fileDialog(AskedQuestion::Kind kind, const std::string& title,
                                       const std::string& initialPath) {
    questions.push_back({kind, "", title, PromptButtons::Ok, PromptIcon::None, 0, initialPath});
    return unattended() ? "" : next<std::string>("", title);
}

} // namespace rl4::test

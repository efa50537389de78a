#pragma once

#include "text/prompt.h"

#include <deque>
#include <string>
#include <vector>

namespace rl4 {

// Answers the program's questions from a script, for runs that nobody watches (the screenshots): each
// question with a choice takes the next scripted answer; a notice with the single button OK is answered OK
// and kept. A question the script did not foresee is answered as a box closed unanswered would be, and
// counted, so that the run can tell it went another way than planned; so is a file dialog, cancelled.
class ScriptPrompt : public Prompt {
public:
    // The answer to the next question that offers a choice (kAnswerYes ... or a choice box's button).
    void script(int answer) { answers_.push_back(answer); }
    // Drops the answers not used: they were for questions that did not come.
    void clearScript() { answers_.clear(); }
    // Scripted answers not used yet, and questions that came without one.
    std::size_t unusedAnswers() const { return answers_.size(); }
    int unscriptedQuestions() const { return unscripted_; }
    // The texts of the notices shown, in order.
    const std::vector<std::string>& notices() const { return notices_; }

    int messageBox(const std::string& text, PromptButtons buttons, const std::string& title,
                   PromptIcon icon) override;
    int choiceBox(const std::string& promptAndButtons, const std::string& title, int defaultButton,
                  PromptIcon icon) override;
    std::string openFileDialog(const std::string& title, const std::string& filter,
                               const std::string& defaultExtension, const std::string& initialPath) override;
    std::string saveFileDialog(const std::string& title, const std::string& filter,
                               const std::string& defaultExtension, const std::string& initialPath) override;

private:
    int next(const std::string& text, int unanswered);

    std::deque<int> answers_;
    std::vector<std::string> notices_;
    int unscripted_ = 0;
};

} // namespace rl4

#pragma once

#include "text/prompt.h"

#include <iosfwd>

namespace rl4 {

// The prompt of the command-line program: nobody is there to answer, so every message is written to the
// error stream and every question takes the answer chosen beforehand.
class ConsolePrompt : public Prompt {
public:
    explicit ConsolePrompt(std::ostream& out) : out_(out) {}

    int messageBox(const std::string& text, PromptButtons buttons, const std::string& title,
                   PromptIcon icon) override;
    int choiceBox(const std::string& promptAndButtons, const std::string& title, int defaultButton,
                  PromptIcon icon) override;
    std::string openFileDialog(const std::string& title, const std::string& filter,
                               const std::string& defaultExtension, const std::string& initialPath) override;
    std::string saveFileDialog(const std::string& title, const std::string& filter,
                               const std::string& defaultExtension, const std::string& initialPath) override;

    // The answer to Yes/No questions (for example the question before disconnecting everything).
    int yesNoAnswer = kAnswerNo;

private:
    std::ostream& out_;
};

} // namespace rl4

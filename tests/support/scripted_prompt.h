#pragma once

#include "text/prompt.h"

#include <deque>
#include <string>
#include <variant>
#include <vector>

namespace rl4::test {

// One question the program asked, with everything it showed.
struct AskedQuestion {
    enum class Kind { MessageBox, ChoiceBox, OpenFile, SaveFile };

    Kind kind = Kind::MessageBox;
    std::string text; // the message, the "prompt|button|..." text, or empty for file dialogs
    std::string title;
    PromptButtons buttons = PromptButtons::Ok; // message boxes
    PromptIcon icon = PromptIcon::None;
    int defaultButton = 0;   // choice boxes
    std::string initialPath; // file dialogs
};

// A prompt that answers from a script, in order, and writes down every question. Message and choice boxes
// take numbers (kAnswerYes, a button number), file dialogs take paths ("" is a cancel). A message box with
// only an OK button has one possible answer and takes nothing from the script, nor does any question once
// the prompt is unattended (it gets the answer of a closed box); any other question asked with the script
// empty, or with an entry of the wrong kind next, fails the test.
class ScriptedPrompt : public Prompt {
public:
    void answer(int answer) { answers_.emplace_back(answer); }
    void answerPath(std::string path) { answers_.emplace_back(std::move(path)); }
    std::size_t unusedAnswers() const { return answers_.size(); }

    int messageBox(const std::string& text, PromptButtons buttons, const std::string& title,
                   PromptIcon icon) override;
    int choiceBox(const std::string& promptAndButtons, const std::string& title, int defaultButton,
                  PromptIcon icon) override;
    std::string openFileDialog(const std::string& title, const std::string&, const std::string&,
                               const std::string& initialPath) override {
        return fileDialog(AskedQuestion::Kind::OpenFile, title, initialPath);
    }
    std::string saveFileDialog(const std::string& title, const std::string&, const std::string&,
                               const std::string& initialPath) override {
        return fileDialog(AskedQuestion::Kind::SaveFile, title, initialPath);
    }

    std::vector<AskedQuestion> questions;
    // The texts of the questions asked so far, in order.
    std::vector<std::string> texts() const {
        std::vector<std::string> texts;
        for (const AskedQuestion& question : questions)
            texts.push_back(question.text);
        return texts;
    }

private:
    // The next answer when it is of the question's kind; else a failure, and `fallback`.
    template <typename T>
    T next(T fallback, const std::string& asked);
    std::string fileDialog(AskedQuestion::Kind kind, const std::string& title,
                           const std::string& initialPath);

    std::deque<std::variant<int, std::string>> answers_;
};

} // namespace rl4::test

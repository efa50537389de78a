#pragma once

#include <string>

namespace rl4 {

// The title of the program's own message boxes.
inline constexpr const char* kProgramTitle = "Routelane4";

// Answers of a message box, as the program has always numbered them.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;
// A choice box closed without a button (Escape, its close box, a question nobody was there to answer).
inline constexpr int kChoiceDismissed = 0;

enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptIcon { None, Information, Question, Exclamation, Critical };

// What a message box closed without a button answers: Cancel, or No where it has no Cancel.
inline int closedAnswer(PromptButtons buttons) {
    switch (buttons) {
    case PromptButtons::Ok:
        return kAnswerOk;
    case PromptButtons::YesNo:
        return kAnswerNo;
    case PromptButtons::OkCancel:
    case PromptButtons::YesNoCancel:
        break;
    }
    return kAnswerCancel;
}

// Every question to the operator goes through here: the windows answer with real dialogs, tests from a
// script, the command-line program from its options. The engine never opens a dialog itself.
class Prompt {
public:
    virtual ~Prompt() = default;

    // From now on nobody is there to answer (the system told the program to end): every question gets at
    // once the answer of a box closed unanswered, and notices go where a log would find them. The engine
    // then keeps aside what a question would have saved.
    void leaveUnattended() { unattended_ = true; }
    bool unattended() const { return unattended_; }

    // A message box with a fixed set of buttons; returns kAnswerOk, kAnswerCancel, kAnswerYes or kAnswerNo.
    // Closing the box without a button answers Cancel, or No where the box has no Cancel.
    virtual int messageBox(const std::string& text, PromptButtons buttons, const std::string& title,
                           PromptIcon icon) = 0;
    // A choice box built from "prompt|button 1|button 2|...": returns the number (from 1) of the button
    // pressed, or kChoiceDismissed when the box was closed without one.
    virtual int choiceBox(const std::string& promptAndButtons, const std::string& title, int defaultButton,
                          PromptIcon icon) = 0;
    // File dialogs with a filter such as "Connexions.cnx|*.cnx": the chosen path, or "" when cancelled.
    virtual std::string openFileDialog(const std::string& title, const std::string& filter,
                                       const std::string& defaultExtension,
                                       const std::string& initialPath) = 0;
    virtual std::string saveFileDialog(const std::string& title, const std::string& filter,
                                       const std::string& defaultExtension,
                                       const std::string& initialPath) = 0;

private:
    bool unattended_ = false;
};

// For a program that has nobody to ask (the demo's set-up, a measurement): every message box answers Ok,
// every choice its default, every file dialog nothing; the last message is kept for a report.
class SilentPrompt : public Prompt {
public:
    int messageBox(const std::string& text, PromptButtons, const std::string&, PromptIcon) override {
        lastMessage = text;
        return kAnswerOk;
    }
    int choiceBox(const std::string&, const std::string&, int defaultButton, PromptIcon) override {
        return defaultButton;
    }
    std::string openFileDialog(const std::string&, const std::string&, const std::string&,
                               const std::string&) override {
        return "";
    }
    std::string saveFileDialog(const std::string&, const std::string&, const std::string&,
                               const std::string&) override {
        return "";
    }

    std::string lastMessage;
};

} // namespace rl4

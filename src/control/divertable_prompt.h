#pragma once

#include "text/prompt.h"

namespace rl4 {

// The window program's prompt, which a command from the control socket takes over while it runs: the
// client, not the operator, gets that command's messages, and its questions are answered as
// routelane4ctl answers them, so that no dialog waits on the operator's screen for someone at another
// machine.
class DivertablePrompt : public Prompt {
public:
    explicit DivertablePrompt(Prompt& own) : own_(own) {}

    // nullptr: back to the program's own prompt.
    void divert(Prompt* to) { diverted_ = to; }

    int messageBox(const std::string& text, PromptButtons buttons, const std::string& title,
                   PromptIcon icon) override {
        return current().messageBox(text, buttons, title, icon);
    }
    int choiceBox(const std::string& promptAndButtons, const std::string& title, int defaultButton,
                  PromptIcon icon) override {
        return current().choiceBox(promptAndButtons, title, defaultButton, icon);
    }
    std::string openFileDialog(const std::string& title, const std::string& filter,
                               const std::string& defaultExtension, const std::string& initialPath) override {
        return current().openFileDialog(title, filter, defaultExtension, initialPath);
    }
    std::string saveFileDialog(const std::string& title, const std::string& filter,
                               const std::string& defaultExtension, const std::string& initialPath) override {
        return current().saveFileDialog(title, filter, defaultExtension, initialPath);
    }

private:
    // The program told to end leaves this prompt unattended; the one behind it must know too.
    Prompt& current() {
        if (unattended() && !own_.unattended())
            own_.leaveUnattended();
        return diverted_ != nullptr ? *diverted_ : own_;
    }

    Prompt& own_;
    Prompt* diverted_ = nullptr;
};

} // namespace rl4

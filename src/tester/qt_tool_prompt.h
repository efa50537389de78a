#pragma once

#include "tester/tool_prompt.h"

#include <vector>

class QDialog;
class QWidget;

namespace rl4::tester {

// The tool's message box and choice box as Qt dialogs over the window.
class QtToolPrompt : public ToolPrompt {
public:
    explicit QtToolPrompt(QWidget* parent = nullptr) : parent_(parent) {}

    void setParent(QWidget* parent) { parent_ = parent; }

    void messageBox(const std::string& text) override;
    // The box is named "choicebox" and its buttons carry their captions as names.
    int choiceBox(const std::string& promptAndButtons, int defaultButton) override;

    // When the system ends the program nobody is there to answer: the open boxes are closed as if cancelled,
    // later messages go to standard error and later choices are cancelled.
    void stopAsking();

private:
    int show(QDialog& box);

    QWidget* parent_;
    std::vector<QDialog*> open_;
    bool stopped_ = false;
};

} // namespace rl4::tester

#pragma once

#include "tester/tool_prompt.h"

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

private:
    QWidget* parent_;
};

} // namespace rl4::tester

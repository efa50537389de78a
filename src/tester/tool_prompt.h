#pragma once

#include <string>

namespace rl4::tester {

// The questions and messages of the tool: the window answers them with dialogs, tests from a script.
class ToolPrompt {
public:
    virtual ~ToolPrompt() = default;

    // A message box with the single button OK.
    virtual void messageBox(const std::string& text) = 0;
    // A choice box: its prompt and buttons in one "|"-separated text ("Select port:|Com1|...|Cancel").
    // Returns the number of the button pressed, counted from 1; closing the box counts as the last.
    virtual int choiceBox(const std::string& promptAndButtons, int defaultButton) = 0;
};

} // namespace rl4::tester

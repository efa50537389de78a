#pragma once

#include "text/prompt.h"

#include <QString>

namespace rl4 {

// A file filter as the program writes it, "Connexions.cnx|*.cnx" (description and pattern pairs joined by
// "|"), in Qt's form "Connexions.cnx (*.cnx)", pairs joined by ";;".
QString qtFileFilter(const std::string& filter);

// The operator's answers through real dialogs, centred over the window that is active when asked.
class QtPrompt : public Prompt {
public:
    int messageBox(const std::string& text, PromptButtons buttons, const std::string& title,
                   PromptIcon icon) override;
    int choiceBox(const std::string& promptAndButtons, const std::string& title, int defaultButton,
                  PromptIcon icon) override;
    std::string openFileDialog(const std::string& title, const std::string& filter,
                               const std::string& defaultExtension, const std::string& initialPath) override;
    std::string saveFileDialog(const std::string& title, const std::string& filter,
                               const std::string& defaultExtension, const std::string& initialPath) override;
};

} // namespace rl4

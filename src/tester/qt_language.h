#pragma once

#include "tester/tool_texts.h"

#include <QString>
#include <QTranslator>

namespace rl4::tester {

// Qt's own texts (the buttons of its dialogs, its context menus) in the tool's language: for French, Qt's
// translation from the system's Qt translations folder is installed in the application.
class QtLanguage {
public:
    explicit QtLanguage(Language language);

    // False when French was asked for and Qt's French texts could not be loaded.
    bool loaded() const { return loaded_; }
    static QString translationsFolder();

private:
    QTranslator translator_;
    bool loaded_ = true;
};

} // namespace rl4::tester

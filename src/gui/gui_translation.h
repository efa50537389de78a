#pragma once

#include "engine/engine_listener.h"
#include "text/message_table.h"

#include <QTranslator>
#include <memory>

namespace rl4 {

// Qt's own texts (the Yes, No and Cancel buttons, the file dialogs) in the language of the program's
// messages: Qt's translations as the system installs them, switched when the configuration dialog changes
// the language. Without them on the system, those texts stay English.
class QtTranslation : public EngineListener {
public:
    explicit QtTranslation(const MessageTable& messages) : messages_(messages) {}

    // Takes the messages' language now.
    void follow();
    void configDialogChanged() override { follow(); }

private:
    const MessageTable& messages_;
    std::unique_ptr<QTranslator> translator_;
    int language_ = kLanguageEnglish;
};

} // namespace rl4

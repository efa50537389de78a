#include "gui/gui_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace rl4 {

void QtTranslation::follow() {
    const int language = messages_.language() == kLanguageFrench ? kLanguageFrench : kLanguageEnglish;
    if (language == language_)
        return;
    language_ = language;
    // Its destructor takes it out of the application.
    translator_.reset();
    if (language != kLanguageFrench)
        return;
    auto french = std::make_unique<QTranslator>();
    if (french->load("qtbase_fr", QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(french.get()))
        translator_ = std::move(french);
}

} // namespace rl4

#include "tester/qt_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace rl4::tester {

QtLanguage::QtLanguage(Language language) {
    if (language != Language::French)
        return;
    loaded_ = translator_.load("qtbase_fr", translationsFolder()) &&
              QCoreApplication::installTranslator(&translator_);
}

QString QtLanguage::translationsFolder() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

} // namespace rl4::tester

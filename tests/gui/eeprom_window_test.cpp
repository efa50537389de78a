// The upload's progress window over the program's engine and the software matrix.

#include "gui/eeprom_window.h"
#include "window_rig.h"

#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace rl4::test {
namespace {

// The longest entries, the table lines, fit the list: the bytes read without scrolling sideways. The
// window's own texts follow the language, the end report included.
TEST(EepromWindow, AWholeRunFitsTheListAndSpeaksTheOperatorsLanguage) {
    const struct {
        int language;
        const char* state;
        const char* closeCode;
    } cases[] = {
        {kLanguageEnglish, "Load Complete", "for EEPROM close code"},
        {kLanguageFrench, "Téléchargement terminé", "pour le code de fermeture de l'EEPROM"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        RigOptions options;
        options.protocol = 4;
        WindowRig rig(options);
        rig.setting(12, std::to_string(c.language));
        EepromWindow window(rig.engine, &rig.mainWindow);
        rig.hub.join(&window);
        rig.start();
        rig.rig.prompt.answer(kAnswerYes);
        rig.rig.prompt.answer(kAnswerYes);
        ASSERT_EQ(rig.engine.uploadEeprom(), UploadOutcome::Succeeded);

        ASSERT_TRUE(window.isVisible());
        auto* list = window.findChild<QListWidget*>("lbloadeeprom");
        ASSERT_NE(list, nullptr);
        // The header, lines 0..177 of the objects and 256..327 of the tables.
        ASSERT_EQ(list->count(), 1 + 178 + 72);
        EXPECT_EQ(list->item(250)->text().left(9), "327 28E0 ");
        EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0);
        EXPECT_EQ(rig.control<QLabel>(&window, "lblloadeeprom").text().toStdString(), c.state);
        EXPECT_EQ(rig.control<QLabel>(&window, "lblproeeprom").text().toStdString(), c.closeCode);
        rig.hub.leave(&window);
    }
}

} // namespace
} // namespace rl4::test

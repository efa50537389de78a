// The upload's progress window on a program without a matrix, whose echo answers every message.

#include "gui/main_window.h"
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
        WindowRig rig(c.language, videoAudioAssignment());
        ASSERT_TRUE(rig.startUp());
        rig.engine().link().setProtocolLength(4);
        rig.prompt.answer(kAnswerYes);
        rig.prompt.answer(kAnswerYes);
        ASSERT_EQ(rig.engine().uploadEeprom(), UploadOutcome::Succeeded);

        auto* window = rig.window().findChild<QWidget*>("frmloadeeprom");
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(window->isVisible());
        WindowRig::pump(50);
        auto* list = window->findChild<QListWidget*>("lbloadeeprom");
        // The header, lines 0..177 of the objects and 256..327 of the tables.
        ASSERT_EQ(list->count(), 1 + 178 + 72);
        EXPECT_EQ(list->item(250)->text().left(9), "327 28E0 ");
        EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0);
        EXPECT_EQ(window->findChild<QLabel*>("lblloadeeprom")->text().toStdString(), c.state);
        EXPECT_EQ(window->findChild<QLabel*>("lblproeeprom")->text().toStdString(), c.closeCode);
    }
}

} // namespace
} // namespace rl4::test

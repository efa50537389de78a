#include "app/qt_prompt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

namespace rl4::test {
namespace {

// Presses the button with `text` of the message box that will be open once the event loop runs.
void pressWhenShown(const QString& text, QStringList* seen) {
    QTimer::singleShot(0, [text, seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* button : box->buttons())
            seen->append(button->text());
        for (QAbstractButton* button : box->buttons()) {
            if (button->text().remove('&') == text) {
                button->click();
                return;
            }
        }
        box->reject();
    });
}

TEST(QtPrompt, FileFiltersTakeQtsForm) {
    EXPECT_EQ(qtFileFilter("Connexions.cnx|*.cnx"), "Connexions.cnx (*.cnx)");
    EXPECT_EQ(qtFileFilter("Assignments|*.agn|All|*.agn;*.cnx"), "Assignments (*.agn);;All (*.agn *.cnx)");
}

TEST(QtPrompt, AnswersAreTheProgramsNumbers) {
    QtPrompt prompt;
    QStringList seen;
    pressWhenShown("Yes", &seen);
    EXPECT_EQ(prompt.messageBox("Save?", PromptButtons::YesNo, "Routelane Change", PromptIcon::Question),
              kAnswerYes);
    pressWhenShown("No", &seen);
    EXPECT_EQ(prompt.messageBox("Save?", PromptButtons::YesNo, "", PromptIcon::Question), kAnswerNo);
    pressWhenShown("Cancel", &seen);
    EXPECT_EQ(prompt.messageBox("Go?", PromptButtons::OkCancel, "", PromptIcon::None), kAnswerCancel);
    pressWhenShown("OK", &seen);
    EXPECT_EQ(prompt.messageBox("Done", PromptButtons::Ok, "", PromptIcon::Information), kAnswerOk);

    seen.clear();
    pressWhenShown("Setup#2", &seen);
    EXPECT_EQ(prompt.choiceBox("Recall status from:|Setup#1|Setup#2|Cancel", "", 1, PromptIcon::None), 2);
    EXPECT_EQ(seen, (QStringList{"Setup#1", "Setup#2", "Cancel"}));
    pressWhenShown("Cancel", &seen);
    EXPECT_EQ(prompt.choiceBox("Recall status from:|Setup#1|Setup#2|Cancel", "", 1, PromptIcon::None), 3);
}

} // namespace
} // namespace rl4::test

#include "gui/qt_prompt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
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

// A box closed without a button: its last button is no answer the operator gave (the language question's
// is French). Escape, the close box, and a signal (the program closes the box) are the same.
TEST(QtPrompt, AChoiceBoxClosedWithoutAButtonIsDismissed) {
    QtPrompt prompt;
    for (const bool escape : {true, false}) {
        QTimer::singleShot(0, [escape] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            if (escape)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->close();
        });
        EXPECT_EQ(prompt.choiceBox("Select your language:|English|Français", "", 1, PromptIcon::Exclamation),
                  kChoiceDismissed)
            << (escape ? "Escape" : "closed");
    }
    QStringList seen;
    pressWhenShown("Français", &seen);
    EXPECT_EQ(prompt.choiceBox("Select your language:|English|Français", "", 1, PromptIcon::Exclamation), 2);

    // Once nobody is there, nothing is shown and every question gets the answer of a closed box.
    prompt.leaveUnattended();
    EXPECT_EQ(prompt.choiceBox("Select your language:|English|Français", "", 1, PromptIcon::Exclamation),
              kChoiceDismissed);
    EXPECT_EQ(prompt.messageBox("Save?", PromptButtons::YesNo, "", PromptIcon::Question), kAnswerNo);
    EXPECT_EQ(prompt.saveFileDialog("Save", "Connexions.cnx|*.cnx", "cnx", ""), "");
}

} // namespace
} // namespace rl4::test

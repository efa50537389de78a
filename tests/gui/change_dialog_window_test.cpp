#include "editor_window_rig.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace rl4::test {
namespace {

template <typename Control>
Control& control(ChangeDialog& dialog, const char* name) {
    auto* found = dialog.findChild<Control*>(name);
    EXPECT_NE(found, nullptr) << name;
    return *found;
}

std::string shown(ChangeDialog& dialog, const char* name) {
    if (auto* label = dialog.findChild<QLabel*>(name))
        return label->text().toStdString();
    return control<QComboBox>(dialog, name).currentText().toStdString();
}

std::vector<std::string> entries(ChangeDialog& dialog, const char* name) {
    auto& box = control<QComboBox>(dialog, name);
    std::vector<std::string> all;
    for (int i = 0; i < box.count(); ++i)
        all.push_back(box.itemText(i).toStdString());
    return all;
}

QPushButton& key(ChangeDialog& dialog, int touch) {
    for (QPushButton* button : dialog.findChildren<QPushButton*>("key")) {
        if (button->property("touch").toInt() == touch)
            return *button;
    }
    ADD_FAILURE() << "no key " << touch;
    return control<QPushButton>(dialog, "validchangeagn");
}

// The change dialog of record `row` (from 1) of a view, as a double click opens it.
ChangeDialog& openChange(EditorWindowRig& rig, int view, int row) {
    rig.choose(300 + view);
    rig.clickRow(row - 1);
    rig.choose(206);
    ChangeDialog* dialog = rig.editorWindow()->changeDialogWindow();
    EXPECT_NE(dialog, nullptr);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog));
    return *dialog;
}

void replaceText(QComboBox& box, const QString& typed) {
    box.lineEdit()->selectAll();
    QTest::keyClicks(box.lineEdit(), typed);
}

TEST(ChangeDialogWindow, DrawsTheSourceItsListsAndTheTouchMapFromTheModel) {
    EditorWindowRig rig;
    rig.objects(3, 2);
    rig.engine.assignments().activeTable.specials[1].Ksp = 40;
    rig.openEditor();
    ChangeDialog& dialog = openChange(rig, kSourcesView, 2);
    const ChangeDialogModel& model = *rig.engine.editor().changeDialog();

    EXPECT_TRUE(dialog.isModal());
    EXPECT_EQ(dialog.objectName(), "frmchangeagn");
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Changing a Source assignment");
    EXPECT_EQ(shown(dialog, "lblobjet"), "Object N°2");
    EXPECT_EQ(shown(dialog, "lblnomagn"), "Source Name:");
    EXPECT_EQ(control<QGroupBox>(dialog, "frchangeagn").title().toStdString(), "Input Connector Number");
    EXPECT_EQ(shown(dialog, "cbnomagn"), "Camera 2");
    EXPECT_EQ(entries(dialog, "cbnomagn"), (std::vector<std::string>{"Camera", "Monitor"}));
    EXPECT_EQ(shown(dialog, "cbvideoagn"), "  2");
    EXPECT_EQ(shown(dialog, "cbrgbagn"), "");
    EXPECT_EQ(shown(dialog, "cbkeyagn"), "  2");
    for (const char* box : {"cbvideoagn", "cbaudioagn", "cbrgbagn", "cbycagn"})
        EXPECT_EQ(entries(dialog, box).size(), 4u) << box << ": 0 to the source count";
    EXPECT_EQ(entries(dialog, "cbvideoagn")[1], model.cbvideoagn.entries[1]);
    EXPECT_EQ(entries(dialog, "cbvideoagn")[1], "  1          used by Camera 1");
    EXPECT_EQ(entries(dialog, "cbkeyagn").size(), 64u);
    EXPECT_EQ(entries(dialog, "cbkeyagn")[20], " 21          used by Monitor 1 as destination");
    EXPECT_FALSE(control<QGroupBox>(dialog, "frinputadmittance").isVisible());

    ASSERT_EQ(dialog.findChildren<QPushButton*>("key").size(), 64);
    EXPECT_EQ(shownColour(key(dialog, 1)), (std::array<int, 3>{0, 224, 224}));
    EXPECT_EQ(key(dialog, 1).toolTip().toStdString(), "Camera 1 (as Input)");
    EXPECT_EQ(shownColour(key(dialog, 21)), (std::array<int, 3>{255, 48, 48}));
    EXPECT_EQ(key(dialog, 21).toolTip().toStdString(), "Monitor 1 (as Output)");
    EXPECT_EQ(shownColour(key(dialog, 40)), (std::array<int, 3>{255, 128, 255}));
    EXPECT_EQ(key(dialog, 40).toolTip().toStdString(), "Take (as special function)");
    EXPECT_EQ(shownColour(key(dialog, 64)), (std::array<int, 3>{0, 255, 0}));
    EXPECT_EQ(key(dialog, 64).toolTip().toStdString(), "available key");

    // Taking video input 1 from Camera 1 and touch 21 from Monitor 1: both lists and the map follow.
    rig.prompt.answer(kAnswerYes);
    emit control<QComboBox>(dialog, "cbvideoagn").activated(1);
    EXPECT_EQ(rig.prompt.questions.back().title, "Input video connector N°1");
    EXPECT_EQ(shown(dialog, "cbvideoagn"), "  1");
    EXPECT_EQ(entries(dialog, "cbvideoagn")[1], "  1");
    rig.prompt.answer(kAnswerOk);
    QTest::mouseClick(&key(dialog, 21), Qt::LeftButton);
    EXPECT_EQ(rig.prompt.questions.back().title, "Keyboard touch N°21");
    EXPECT_EQ(shown(dialog, "cbkeyagn"), " 21");
    EXPECT_EQ(shownColour(key(dialog, 21)), (std::array<int, 3>{0, 224, 224}));
    EXPECT_EQ(key(dialog, 21).toolTip().toStdString(), "Camera 2 (as Input)");
    EXPECT_EQ(shownColour(key(dialog, 2)), (std::array<int, 3>{0, 255, 0}));

    // OK: the typed name and the taken connector and touch reach the edit table.
    replaceText(control<QComboBox>(dialog, "cbnomagn"), "Studio cam");
    QTest::mouseClick(&control<QPushButton>(dialog, "validchangeagn"), Qt::LeftButton);
    EXPECT_EQ(rig.editorWindow()->changeDialogWindow(), nullptr);
    EXPECT_EQ(rig.engine.editor().changeDialog(), nullptr);
    const AssignmentTable& edit = rig.engine.assignments().editTable;
    EXPECT_EQ(edit.sources[2].name, "Studio cam");
    EXPECT_EQ(edit.sources[2].Vin, 1);
    EXPECT_EQ(edit.sources[1].Vin, NotAssigned);
    EXPECT_EQ(edit.sources[2].Kin, 21);
    EXPECT_EQ(edit.destinations[1].Kou, NotAssigned);
    EXPECT_EQ(rig.list().item(1, 1)->text().toStdString(), "Studio cam");
    EXPECT_TRUE(rig.engine.assignments().assignmentsChanged());
}

TEST(ChangeDialogWindow, CancelForgetsEverythingAndReturnIsOk) {
    EditorWindowRig rig;
    rig.objects(2, 2);
    rig.openEditor();
    ChangeDialog& dialog = openChange(rig, kSourcesView, 1);
    rig.prompt.answer(kAnswerOk);
    QTest::mouseClick(&key(dialog, 2), Qt::LeftButton);
    replaceText(control<QComboBox>(dialog, "cbnomagn"), "Lost");
    QTest::mouseClick(&control<QPushButton>(dialog, "cancelchangeagn"), Qt::LeftButton);
    EXPECT_EQ(rig.engine.editor().changeDialog(), nullptr);
    const AssignmentTable& edit = rig.engine.assignments().editTable;
    EXPECT_EQ(edit.sources[1].name, "Camera 1");
    EXPECT_EQ(edit.sources[2].Kin, 2) << "the touch taken in the dialog stays with its holder";
    EXPECT_FALSE(rig.engine.assignments().assignmentsChanged());

    ChangeDialog& again = openChange(rig, kSourcesView, 1);
    replaceText(control<QComboBox>(again, "cbaudioagn"), "  7");
    QTest::keyClick(control<QComboBox>(again, "cbaudioagn").lineEdit(), Qt::Key_Return);
    EXPECT_EQ(rig.engine.editor().changeDialog(), nullptr) << "Enter in a box is OK";
    EXPECT_EQ(edit.sources[1].Ain, 7);
    EXPECT_EQ(rig.list().item(0, 3)->text().toStdString(), "7");

    ChangeDialog& third = openChange(rig, kSourcesView, 2);
    replaceText(control<QComboBox>(third, "cbnomagn"), "Crane");
    QTest::keyClick(&key(third, 5), Qt::Key_Return);
    EXPECT_EQ(rig.engine.editor().changeDialog(), nullptr) << "Return outside the boxes is OK too";
    EXPECT_EQ(edit.sources[2].name, "Crane");
    EXPECT_EQ(edit.sources[2].Kin, 2) << "the touch key under the focus was not pressed";
}

TEST(ChangeDialogWindow, ADestinationShowsItsAdmittanceAndOkStoresTheMasks) {
    EditorWindowRig rig(kLanguageFrench);
    rig.objects(10, 2);
    rig.openEditor();
    ChangeDialog& dialog = openChange(rig, kDestinationsView, 1);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Modifier l'assignation d'une destination");
    EXPECT_EQ(control<QPushButton>(dialog, "cancelchangeagn").text().toStdString(), "Annuler");
    EXPECT_EQ(entries(dialog, "cbvideoagn").size(), 3u) << "0 to the destination count";
    auto& frame = control<QGroupBox>(dialog, "frinputadmittance");
    EXPECT_TRUE(frame.isVisible());
    auto& admitted = control<QTableWidget>(dialog, "lvinputadmittance");
    ASSERT_EQ(admitted.rowCount(), 10);
    EXPECT_EQ(admitted.horizontalHeaderItem(0)->text().toStdString(), "Admittance des entrées");
    EXPECT_EQ(admitted.item(9, 0)->text().toStdString(), "Camera 10");
    for (int row = 0; row < 10; ++row)
        EXPECT_EQ(admitted.item(row, 0)->checkState(), Qt::Checked) << row;
    EXPECT_EQ(paletteColour(admitted, QPalette::Base), (std::array<int, 3>{192, 220, 192}));

    QTest::mouseClick(&control<QPushButton>(dialog, "cmddisadmit"), Qt::LeftButton);
    for (int row = 0; row < 10; ++row)
        EXPECT_EQ(admitted.item(row, 0)->checkState(), Qt::Unchecked) << row;
    admitted.item(0, 0)->setCheckState(Qt::Checked);
    QTest::mouseClick(&control<QPushButton>(dialog, "validchangeagn"), Qt::LeftButton);
    EXPECT_EQ(rig.engine.assignments().editTable.destinations[1].ad,
              (std::array<int, 6>{64, 15, 127, 127, 127, 127}));
}

TEST(ChangeDialogWindow, ASpecialFunctionHasATouchOnly) {
    EditorWindowRig rig;
    rig.objects(2, 2);
    rig.openEditor();
    ChangeDialog& dialog = openChange(rig, kSpecialsView, 2);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Changing a Special Function");
    EXPECT_EQ(shown(dialog, "cbnomagn"), "Recall setup 1");
    EXPECT_FALSE(control<QComboBox>(dialog, "cbnomagn").isEnabled());
    EXPECT_FALSE(control<QGroupBox>(dialog, "frchangeagn").isVisible());
    EXPECT_FALSE(control<QGroupBox>(dialog, "frinputadmittance").isVisible());

    QTest::mouseClick(&key(dialog, 50), Qt::LeftButton);
    QTest::mouseClick(&control<QPushButton>(dialog, "validchangeagn"), Qt::LeftButton);
    EXPECT_EQ(rig.engine.assignments().editTable.specials[2].Ksp, 50);
    EXPECT_EQ(rig.list().item(1, 6)->text().toStdString(), "50");
}

} // namespace
} // namespace rl4::test

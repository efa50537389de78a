#include "editor_window_rig.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace rl4::test {
namespace {

template <typename Control>
Control& control(SizeDialog& dialog, const char* name) {
    auto* found = dialog.findChild<Control*>(name);
    EXPECT_NE(found, nullptr) << name;
    return *found;
}

std::string field(SizeDialog& dialog, const char* name) {
    return control<QLineEdit>(dialog, name).text().toStdString();
}

std::array<int, 3> labelColour(SizeDialog& dialog, const char* name) {
    return paletteColour(control<QLabel>(dialog, name), QPalette::Window);
}

void type(SizeDialog& dialog, const char* name, const QString& typed) {
    auto& edit = control<QLineEdit>(dialog, name);
    edit.selectAll();
    QTest::keyClicks(&edit, typed);
}

// "Create new assignment" on a matrix that reports four video outputs and nothing else.
SizeDialog& openSize(EditorWindowRig& rig) {
    rig.matrix = [](const Frame& frame) -> std::optional<Frame> {
        const bool reported =
            frame[1] != 'a' && frame[1] != 'r' && frame[1] != 'y' && (frame[1] != 'v' || frame[2] <= 4);
        return reported ? std::optional<Frame>(frame) : std::nullopt;
    };
    rig.choose(104);
    SizeDialog* dialog = rig.editorWindow()->sizeDialogWindow();
    EXPECT_NE(dialog, nullptr);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog));
    return *dialog;
}

constexpr std::array<const char*, 4> kLayerLabels{"lblsizevideo", "lblsizeaudio", "lblsizergb", "lblsizeyc"};
constexpr std::array<const char*, 8> kLayerPrefixes{"edsizeinvradix",  "edsizeinaradix",  "edsizeinrradix",
                                                    "edsizeinyradix",  "edsizeoutvradix", "edsizeoutaradix",
                                                    "edsizeoutrradix", "edsizeoutyradix"};

TEST(SizeDialogWindow, NamingModesSwitchFieldsAndLabelColours) {
    EditorWindowRig rig;
    rig.objects(3, 3);
    rig.openEditor();
    SizeDialog& dialog = openSize(rig);
    EXPECT_TRUE(dialog.isModal());
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Matrix size");
    EXPECT_EQ(field(dialog, "edsizeinvideonumber"), "0");
    EXPECT_EQ(field(dialog, "edsizeoutvideonumber"), "4") << "the outputs the matrix reports";
    EXPECT_EQ(field(dialog, "edsizeoutaudionumber"), "0");
    EXPECT_EQ(field(dialog, "edsizeinyradix"), "YC-YUV in");
    EXPECT_EQ(field(dialog, "edsizeoutglobal"), "Dest");

    auto drawn = [&dialog] {
        std::string marks;
        marks += control<QRadioButton>(dialog, "optradixglobal").isChecked() ? "global" : "";
        marks += control<QRadioButton>(dialog, "optradixseparate").isChecked() ? "separate" : "";
        for (const char* prefix : kLayerPrefixes)
            marks += control<QLineEdit>(dialog, prefix).isEnabled() ? " L" : " -";
        marks += control<QLineEdit>(dialog, "edsizeinglobal").isEnabled() ? " G" : " -";
        marks += control<QLineEdit>(dialog, "edsizeoutglobal").isEnabled() ? "G" : "-";
        return marks;
    };
    EXPECT_EQ(drawn(), "global - - - - - - - - GG");
    EXPECT_EQ(labelColour(dialog, "lblsizevideo"), (std::array<int, 3>{192, 255, 192}));
    EXPECT_EQ(labelColour(dialog, "lblsizeyc"), (std::array<int, 3>{192, 255, 255}));
    EXPECT_EQ(labelColour(dialog, "lblsizeglobal"), (std::array<int, 3>{0, 128, 255}));

    QTest::mouseClick(&control<QRadioButton>(dialog, "optradixseparate"), Qt::LeftButton);
    EXPECT_EQ(drawn(), "separate L L L L L L L L --");
    EXPECT_EQ(labelColour(dialog, "lblsizevideo"), (std::array<int, 3>{0, 255, 0}));
    EXPECT_EQ(labelColour(dialog, "lblsizergb"), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(labelColour(dialog, "lblsizeglobal"), (std::array<int, 3>{192, 192, 192}));

    QTest::mouseClick(&control<QLabel>(dialog, "lblsizeglobal"), Qt::LeftButton);
    EXPECT_EQ(drawn(), "global - - - - - - - - GG");
    for (const char* label : kLayerLabels) {
        QTest::mouseClick(&control<QRadioButton>(dialog, "optradixglobal"), Qt::LeftButton);
        QTest::mouseClick(&control<QLabel>(dialog, label), Qt::LeftButton);
        EXPECT_EQ(drawn(), "separate L L L L L L L L --") << label;
    }

    // Escape is Cancel: the edit table stays as the opening left it, and the list is not refilled.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(rig.editorWindow()->sizeDialogWindow(), nullptr);
    EXPECT_EQ(rig.engine.editor().sizeDialog(), nullptr);
    EXPECT_EQ(rig.engine.assignments().editTable.sources[1].name, "");
    EXPECT_EQ(rig.list().item(0, 1)->text().toStdString(), "Camera 1");
}

TEST(SizeDialogWindow, CreateBuildsWhatTheFieldsAsk) {
    EditorWindowRig rig(kLanguageFrench);
    rig.objects(3, 3);
    AssignmentEditorWindow& editor = rig.openEditor();
    SizeDialog& dialog = openSize(rig);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Dimensions de la matrice");
    EXPECT_EQ(control<QPushButton>(dialog, "cmdsizecancel").text().toStdString(), "Annuler");
    EXPECT_EQ(control<QLineEdit>(dialog, "edsizeinaudionumber").toolTip().toStdString(),
              "Indiquez le nombre d'entrées Audio");

    type(dialog, "edsizeinvideonumber", "3");
    type(dialog, "edsizeinglobal", "Cam");
    type(dialog, "edsizeoutvideonumber", "2");
    QTest::mouseClick(&control<QCheckBox>(dialog, "chkdisconnect"), Qt::LeftButton);
    QTest::mouseClick(&control<QCheckBox>(dialog, "chkalldest"), Qt::LeftButton);
    QTest::mouseClick(&control<QCheckBox>(dialog, "chkclavier"), Qt::LeftButton);
    EXPECT_FALSE(control<QCheckBox>(dialog, "chkdisconnect").isChecked());
    EXPECT_TRUE(control<QCheckBox>(dialog, "chkclavier").isChecked());
    QTest::mouseClick(&control<QPushButton>(dialog, "cmdsizecreate"), Qt::LeftButton);

    EXPECT_EQ(editor.sizeDialogWindow(), nullptr);
    QTableWidget& list = rig.list();
    ASSERT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.item(2, 1)->text().toStdString(), "Cam 3");
    EXPECT_EQ(list.item(2, 2)->text().toStdString(), "3");
    EXPECT_EQ(list.item(2, 6)->text().toStdString(), "3");
    const std::string path = rig.folder.path("newassign.agn");
    EXPECT_EQ(editor.windowTitle().toStdString(), "Editeur d'assignations pour " + path);
    const AssignmentTable& edit = rig.engine.assignments().editTable;
    EXPECT_EQ(edit.destinationCount, 2);
    EXPECT_EQ(edit.destinations[1].Kou, 9) << "destinations start on the next keyboard row";
}

} // namespace
} // namespace rl4::test

#include "tool_rig.h"

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

namespace rl4::test {
namespace {

constexpr int kSetUp = 107;

struct Shown {
    int port;
    std::string frame;
    std::string checked; // the option buttons set, by name
    int slope;
    std::string slopeText;

    bool operator==(const Shown&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Shown& shown) {
    return out << shown.port << " [" << shown.frame << "] " << shown.checked << " " << shown.slope << " ["
               << shown.slopeText << "]";
}

Shown shown(ToolRig& rig) {
    Shown drawn;
    drawn.port = rig.control<QListWidget>(kSetUp, "lbcom")->currentRow();
    drawn.frame = rig.control<QGroupBox>(kSetUp, "frcom")->title().toStdString();
    for (const char* name :
         {"opt4oct", "opt5oct", "optenglish", "optfrancais", "optvcamin", "optvcamax", "optvcamem"}) {
        if (rig.control<QRadioButton>(kSetUp, name)->isChecked())
            drawn.checked += std::string(drawn.checked.empty() ? "" : " ") + name;
    }
    drawn.slope = rig.control<QSlider>(kSetUp, "slislope")->value();
    drawn.slopeText = rig.control<QLabel>(kSetUp, "lblslope")->text().toStdString();
    return drawn;
}

void click(ToolRig& rig, const char* name) {
    QWidget* control = rig.control(kSetUp, name);
    ASSERT_NE(control, nullptr) << name;
    QTest::mouseClick(control, Qt::LeftButton);
}

void clickPort(ToolRig& rig, int row) {
    auto* ports = rig.control<QListWidget>(kSetUp, "lbcom");
    QTest::mouseClick(ports->viewport(), Qt::LeftButton, Qt::NoModifier,
                      ports->visualItemRect(ports->item(row)).center());
}

TEST(ConfigDialog, ShowsThePortsProtocolLanguageAndTheMatrixVcaSetup) {
    ToolRig rig;
    rig.connect(5);
    rig.vcaSetup = 16 + 7; // VCAs at minimum, slope 7
    rig.commands.frm1_MenuEvent(kSetUp);
    auto* dialog = qobject_cast<QDialog*>(rig.tools.window(kSetUp));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->objectName(), "frmconfig");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->isModal());
    EXPECT_EQ(dialog->windowTitle(), "SetUp");
    // The matrix was asked for its VCA setup; the port was not opened again.
    EXPECT_EQ(rig.takeWritten(), (std::vector<Frame>{{0x02, 'p', 0x01, 0x00, 0x03}}));
    EXPECT_EQ(rig.opener.requests, (std::vector<int>{1}));

    auto* ports = rig.control<QListWidget>(kSetUp, "lbcom");
    ASSERT_NE(ports, nullptr);
    std::vector<std::string> expectedPorts;
    for (int port = 1; port <= 16; ++port)
        expectedPorts.push_back("COM " + std::to_string(port));
    std::vector<std::string> listed;
    for (int i = 0; i < ports->count(); ++i)
        listed.push_back(ports->item(i)->text().toStdString());
    EXPECT_EQ(listed, expectedPorts);
    EXPECT_EQ(shown(rig),
              (Shown{0, "port  1 is selected", "opt5oct optenglish optvcamin", 7, "VCA slope =  1.4 Sec"}));
    EXPECT_EQ(rig.control<QPushButton>(kSetUp, "confok")->text(), "OK");
    EXPECT_EQ(rig.control<QPushButton>(kSetUp, "confcncl")->text(), "Cancel");
    rig.control<QPushButton>(kSetUp, "confcncl")->click();
    EXPECT_FALSE(dialog->isVisible());

    // The same dialog again, drawn anew: a matrix that starts its VCAs at maximum, French chosen before.
    rig.engine.settings().language = kLanguageFrench;
    rig.vcaSetup = 5;
    rig.commands.frm1_MenuEvent(kSetUp);
    EXPECT_EQ(rig.tools.window(kSetUp), dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(shown(rig),
              (Shown{0, "port  1 is selected", "opt5oct optfrancais optvcamax", 5, "VCA slope =  1 Sec"}));
}

TEST(ConfigDialog, ProtocolAndMemoryModeWithFourByteFrames) {
    ToolRig rig;
    rig.connect(4);
    rig.engine.settings().vcaSetup = 32 + 8;
    rig.echo = false; // the 4-byte matrix is silent: the setup the program holds stays
    rig.commands.frm1_MenuEvent(kSetUp);
    EXPECT_EQ(shown(rig),
              (Shown{0, "port  1 is selected", "opt4oct optenglish optvcamem", 8, "VCA slope =  1.6 Sec"}));
}

TEST(ConfigDialog, OkTakesTheOperatorsChoices) {
    ToolRig rig;
    rig.connect(5);
    rig.vcaSetup = 0;
    rig.commands.frm1_MenuEvent(kSetUp);
    rig.takeWritten();

    auto* slope = rig.control<QSlider>(kSetUp, "slislope");
    slope->setFocus();
    for (int step = 0; step < 7; ++step)
        QTest::keyClick(slope, Qt::Key_Right);
    EXPECT_EQ(rig.control<QLabel>(kSetUp, "lblslope")->text(), "VCA slope =  1.4 Sec");
    click(rig, "optvcamem");
    click(rig, "optfrancais");
    EXPECT_EQ(shown(rig),
              (Shown{0, "port  1 is selected", "opt5oct optfrancais optvcamem", 7, "VCA slope =  1.4 Sec"}));
    // Nothing is taken before OK.
    EXPECT_EQ(rig.engine.settings().language, kLanguageEnglish);
    EXPECT_TRUE(rig.takeWritten().empty());

    click(rig, "confok");
    EXPECT_FALSE(rig.tools.window(kSetUp)->isVisible());
    EXPECT_EQ(rig.engine.settings().vcaSetup, 32 + 7);
    EXPECT_EQ(rig.engine.settings().language, kLanguageFrench);
    EXPECT_EQ(rig.engine.messages().language(), kLanguageFrench);
    EXPECT_EQ(rig.engine.link().protocolLength(), 5);
    const std::vector<Frame> sent = rig.takeWritten();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front(), (Frame{0x02, 'P', 0x00, 32 + 7, 0x03}));

    // Opened again, in the language chosen.
    rig.commands.frm1_MenuEvent(kSetUp);
    EXPECT_EQ(rig.tools.window(kSetUp)->windowTitle(), "Paramètres");
    EXPECT_EQ(rig.control<QPushButton>(kSetUp, "confcncl")->text(), "Annuler");
    EXPECT_EQ(rig.control<QGroupBox>(kSetUp, "frcom")->title(), "Le port  1 est sélectionné");
    click(rig, "opt4oct");
    click(rig, "confok");
    EXPECT_EQ(rig.engine.link().protocolLength(), 4);
}

TEST(ConfigDialog, APortPickedOpensAtOnceAndCancelKeepsTheRest) {
    ToolRig rig;
    rig.connect(5);
    rig.commands.frm1_MenuEvent(kSetUp);
    QWidget* dialog = rig.tools.window(kSetUp);
    ASSERT_NE(dialog, nullptr);
    click(rig, "opt4oct");
    click(rig, "optfrancais");
    click(rig, "optvcamin");

    clickPort(rig, 2);
    EXPECT_EQ(rig.engine.link().portNumber(), 3);
    EXPECT_EQ(rig.opener.requests, (std::vector<int>{1, 3}));
    EXPECT_EQ(rig.control<QGroupBox>(kSetUp, "frcom")->title(), "port  3 is selected");

    const int vcaSetup = rig.engine.settings().vcaSetup;
    QTest::keyClick(dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(rig.engine.link().portNumber(), 3);
    EXPECT_EQ(rig.engine.link().protocolLength(), 5);
    EXPECT_EQ(rig.engine.settings().language, kLanguageEnglish);
    EXPECT_EQ(rig.engine.settings().vcaSetup, vcaSetup);

    rig.commands.frm1_MenuEvent(kSetUp);
    EXPECT_EQ(rig.control<QListWidget>(kSetUp, "lbcom")->currentRow(), 2);
    EXPECT_TRUE(rig.control<QRadioButton>(kSetUp, "opt5oct")->isChecked());
    // The close box cancels too.
    dialog->close();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(rig.engine.config().visible());
}

} // namespace
} // namespace rl4::test

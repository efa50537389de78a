#include "tool_rig.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace rl4::test {
namespace {

constexpr int kMatrixInfo = 502;

std::string label(ToolRig& rig, const char* name) {
    const auto* shown = rig.control<QLabel>(kMatrixInfo, name);
    return shown ? shown->text().toStdString() : "<no label>";
}

TEST(MatrixInfoWindow, WithoutAMatrixTheWindowSaysSo) {
    ToolRig rig;
    rig.prompt.answer(kLanguageEnglish); // no settings file yet
    rig.engine.startUp();
    ASSERT_EQ(rig.engine.link().portNumber(), 0);
    rig.engine.assignments().sizes = {
        .videoIn = 16, .videoOut = 16, .audioIn = 8, .audioOut = 8, .ycIn = 4, .ycOut = 2};
    rig.engine.assignments().layerUsed = {true, true, false, true};

    rig.commands.frm1_MenuEvent(kMatrixInfo);
    QWidget* window = rig.tools.window(kMatrixInfo);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->objectName(), "frmmatrixinfo");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Matrix Info");
    EXPECT_EQ(label(rig, "lblinfoserial"), "no matrix found");
    EXPECT_EQ(label(rig, "lblinfoport"), "No port open");
    EXPECT_EQ(label(rig, "lblinfolink"), "The line from PC to Matrix is broken");
    EXPECT_EQ(label(rig, "lblinfoprotocol"),
              "protocol is  " + std::to_string(rig.engine.link().protocolLength()) + " bytes long");
    EXPECT_EQ(label(rig, "lblinfoplan"), "Used layers: Video  Audio  Y/C      Unused layers: RGB  ");
    EXPECT_EQ(label(rig, "lblinfosize"), "Size: (V: 16x 16) (A: 8x 8) (R: 0x 0) (Y: 4x 2)");
    EXPECT_EQ(label(rig, "lblinfoagn"), "assignment file: " + rig.engine.assignments().activeFileName);
    EXPECT_EQ(label(rig, "lblinfocnx"), "connexion file: " + rig.engine.settings().connexionPath);
    EXPECT_EQ(label(rig, "lblinfoupdate"), "Last Update: 03/03/2006");
}

TEST(MatrixInfoWindow, ShowsTheStateOfItsOpeningInEitherLanguage) {
    ToolRig rig;
    Link& link = rig.engine.link();
    // The matrix on port 1 echoes the identity request: its answer names identity 4711.
    rig.connect(5);
    link.SendCommand({'x', 0, 0, 0x47, 0x11});
    link.setPortNumber(3);
    rig.commands.frm1_MenuEvent(kMatrixInfo);
    QWidget* window = rig.tools.window(kMatrixInfo);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(label(rig, "lblinfoserial"), "Serial number: 4711");
    EXPECT_EQ(label(rig, "lblinfoport"), "The port 3 is open");
    EXPECT_EQ(label(rig, "lblinfolink"), "The line from PC to Matrix is established");
    EXPECT_EQ(label(rig, "lblinfoprotocol"), "protocol is  5 bytes long");

    // Not refreshed while open, whatever the engine says meanwhile.
    link.setProtocolLength(4);
    rig.hub.onLineChanged(true);
    rig.hub.sheetFilled();
    EXPECT_EQ(label(rig, "lblinfoprotocol"), "protocol is  5 bytes long");

    // Asked for again: the state of now, in the language of now, every label whole however long.
    rig.engine.messages().setLanguage(kLanguageFrench);
    rig.engine.settings().connexionPath = "/srv/regie/" + std::string(90, 'x') + "/soir.cnx";
    rig.commands.frm1_MenuEvent(kMatrixInfo);
    QApplication::processEvents();
    for (const QLabel* shown : window->findChildren<QLabel*>())
        EXPECT_GE(shown->width(), shown->sizeHint().width()) << shown->objectName().toStdString();
    EXPECT_EQ(rig.tools.window(kMatrixInfo), window);
    EXPECT_EQ(window->windowTitle(), "Information Matrice");
    EXPECT_EQ(label(rig, "lblinfoserial"), "Numéro de série: 4711");
    EXPECT_EQ(label(rig, "lblinfoport"), "Le port 3 est ouvert");
    EXPECT_EQ(label(rig, "lblinfoprotocol"), "Le protocole a une longueur de  4 octets");
    EXPECT_EQ(rig.control<QPushButton>(kMatrixInfo, "cmdinfoclose")->text(), "Fermer");

    rig.control<QPushButton>(kMatrixInfo, "cmdinfoclose")->click();
    EXPECT_FALSE(window->isVisible());
    rig.commands.frm1_MenuEvent(kMatrixInfo);
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}

} // namespace
} // namespace rl4::test

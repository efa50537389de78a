#include "diag/matrix_info.h"
#include "support/window_models_rig.h"

#include <gtest/gtest.h>

namespace rl4::test {
namespace {

MatrixInfo load(WindowRig& rig) {
    Engine& engine = rig.engine;
    return frmmatrixinfo_Load(engine.messages(), engine.link(), engine.matrixLabel(), engine.assignments(),
                              engine.settings().connexionPath);
}

TEST(MatrixInfo, WithoutAMatrixTheWindowSaysSo) {
    WindowRig rig;
    rig.prompt.answer(kLanguageEnglish); // no settings file yet
    rig.engine.startUp();
    ASSERT_EQ(rig.engine.link().portNumber(), 0);
    rig.engine.assignments().sizes = {
        .videoIn = 16, .videoOut = 16, .audioIn = 8, .audioOut = 8, .ycIn = 4, .ycOut = 2};
    rig.engine.assignments().layerUsed = {true, true, false, true}; // no RGB connector

    rig.commands.frm1_MenuEvent(502);
    const MatrixInfo& info = rig.commands.matrixInfo();
    EXPECT_EQ(info.lblinfoprotocol, "protocol is  4 bytes long");
    EXPECT_EQ(info.lblinfoserial, "no matrix found");
    EXPECT_EQ(info.lblinfoport, "No port open");
    EXPECT_EQ(info.lblinfolink, "The line from PC to Matrix is broken");
    EXPECT_EQ(info.lblinfoplan, "Used layers: Video  Audio  Y/C      Unused layers: RGB  ");
    EXPECT_EQ(info.lblinfosize, "Size: (V: 16x 16) (A: 8x 8) (R: 0x 0) (Y: 4x 2)");
    EXPECT_EQ(info.lblinfoagn, "assignment file: " + rig.engine.assignments().activeFileName);
    EXPECT_EQ(info.lblinfocnx, "connexion file: " + rig.engine.settings().connexionPath);
    EXPECT_EQ(info.lblinfoupdate, "Last Update: 03/03/2006");

    // The window keeps what it showed when it opened.
    rig.engine.link().setProtocolLength(5);
    EXPECT_EQ(rig.commands.matrixInfo().lblinfoprotocol, "protocol is  4 bytes long");
}

TEST(MatrixInfo, WithAMatrixInEitherLanguage) {
    WindowRig rig;
    Link& link = rig.engine.link();
    // The matrix on port 1 echoes the identity request: its answer names identity 4711.
    rig.connect(5);
    link.SendCommand({'x', 0, 0, 0x47, 0x11});
    link.setPortNumber(3);
    rig.engine.assignments().layerUsed = {true, true, false, false};

    MatrixInfo info = load(rig);
    EXPECT_EQ(info.lblinfoserial, "Serial number: 4711");
    EXPECT_EQ(info.lblinfoport, "The port 3 is open");
    EXPECT_EQ(info.lblinfolink, "The line from PC to Matrix is established");
    EXPECT_EQ(info.lblinfoprotocol, "protocol is  5 bytes long");

    rig.engine.messages().setLanguage(kLanguageFrench);
    info = load(rig);
    EXPECT_EQ(info.lblinfoserial, "Numéro de série: 4711");
    EXPECT_EQ(info.lblinfoport, "Le port 3 est ouvert");
    EXPECT_EQ(info.lblinfolink, "La liaison PC / Matrice est établie");
    EXPECT_EQ(info.lblinfoprotocol, "Le protocole a une longueur de  5 octets");
    EXPECT_EQ(info.lblinfoplan, "Plans utilisés: Video  Audio        non utilisés: RGB  Y/C");
    EXPECT_EQ(info.lblinfosize, "Dimensions: (V: 0x 0) (A: 0x 0) (R: 0x 0) (Y: 0x 0)");
}

} // namespace
} // namespace rl4::test

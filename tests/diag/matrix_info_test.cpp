#include "diag/matrix_info.h"
#include "support/engine_rig.h"

#include <gtest/gtest.h>

namespace rl4::test {
namespace {

TEST(MatrixInfo, WithoutAMatrixTheWindowSaysSo) {
    RigOptions options;
    options.matrixPort = 0;
    options.protocol = 0; // no settings file: the language is asked first
    EngineRig rig(options);
    rig.prompt.answer(kLanguageEnglish);
    rig.start();
    Engine& e = rig.engine;
    e.assignments().sizes = {
        .videoIn = 16, .videoOut = 16, .audioIn = 8, .audioOut = 8, .ycIn = 4, .ycOut = 2};
    e.assignments().layerUsed = {true, true, false, true}; // no RGB connector

    rig.commands.frm1_MenuEvent(502);
    const MatrixInfo& info = rig.commands.matrixInfo();
    EXPECT_EQ(info.lblinfoprotocol, "protocol is  4 bytes long");
    EXPECT_EQ(info.lblinfoserial, "no matrix found");
    EXPECT_EQ(info.lblinfoport, "No port open");
    EXPECT_EQ(info.lblinfolink, "The line from PC to Matrix is broken");
    EXPECT_EQ(info.lblinfoplan, "Used layers: Video  Audio  Y/C      Unused layers: RGB  ");
    EXPECT_EQ(info.lblinfosize, "Size: (V: 16x 16) (A: 8x 8) (R: 0x 0) (Y: 4x 2)");
    EXPECT_EQ(info.lblinfoagn, "assignment file: " + e.assignments().activeFileName);
    EXPECT_EQ(info.lblinfocnx, "connexion file: " + e.settings().connexionPath);

    // The window keeps what it showed when it opened.
    e.link().setProtocolLength(5);
    EXPECT_EQ(rig.commands.matrixInfo().lblinfoprotocol, "protocol is  4 bytes long");
}

TEST(MatrixInfo, WithAMatrixInEitherLanguage) {
    RigOptions options;
    options.matrix.identity = {0x47, 0x11};
    options.matrix.sizes = {{{16, 12}, {8, 4}, {0, 0}, {0, 0}}};
    EngineRig rig(options);
    rig.start();
    Engine& e = rig.engine;
    e.assignments().layerUsed = {true, true, false, false};
    e.messages().setLanguage(kLanguageFrench);
    const MatrixInfo info = frmmatrixinfo_Load(e.messages(), e.link(), e.matrixLabel(), e.assignments(),
                                               e.settings().connexionPath);
    EXPECT_EQ(info.lblinfoserial, "Numéro de série: 4711");
    EXPECT_EQ(info.lblinfoport, "Le port 1 est ouvert");
    EXPECT_EQ(info.lblinfolink, "La liaison PC / Matrice est établie");
    EXPECT_EQ(info.lblinfoprotocol, "Le protocole a une longueur de  5 octets");
    EXPECT_EQ(info.lblinfoplan, "Plans utilisés: Video  Audio        non utilisés: RGB  Y/C");
    EXPECT_EQ(info.lblinfosize, "Dimensions: (V: 5x 16) (A: 5x 8) (R: 5x 0) (Y: 5x 0)");
}

} // namespace
} // namespace rl4::test

// The window program in-process against the software matrix on a pseudo-terminal.

#include "gui/main_window.h"
#include "support/sim_process.h"
#include "window_rig.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTableWidget>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

namespace rl4::test {
namespace {

constexpr int kVideoColumn = 2;

TEST(MatrixWindow, FindsTheMatrixAndShowsItsFrontPanelSwitchesWithin100Ms) {
    QTemporaryDir matrixDir;
    const std::string pty = matrixDir.filePath("matrix").toStdString();
    SimProcess sim({"--pty", pty});
    ASSERT_TRUE(sim.waitReady());
    WindowRig rig(kLanguageEnglish, videoAudioAssignment(), pty);
    ASSERT_TRUE(rig.startUp());
    MainWindow& window = rig.window();
    QTableWidget& sheet = rig.sheet();

    EXPECT_NE(rig.engine().title().find("matrix N°"), std::string::npos);
    auto* lblonline = window.findChild<QLabel*>("lblonline");
    ASSERT_TRUE(WindowRig::pumpUntil([&] { return lblonline->text() == "ON LINE"; }, 2000));
    EXPECT_EQ(lblonline->palette().color(QPalette::Window), QColor(0, 255, 0));
    ASSERT_EQ(sheet.rowCount(), 4);
    EXPECT_TRUE(rig.prompt.questions.empty());

    // The matrix's front panel switches camera s to monitor 1: the sheet shows it, in red, on the next
    // passes of the main loop. The fastest of a few must be well within 100 ms; none may be lost.
    std::vector<qint64> delays;
    for (int source : {2, 3, 1}) {
        sim.writeLine("panel V 1 " + std::to_string(source));
        QElapsedTimer clock;
        clock.start();
        const std::string name = "Camera " + std::to_string(source);
        ASSERT_TRUE(WindowRig::pumpUntil([&] { return cellText(sheet, 0, kVideoColumn) == name; }, 2000))
            << name;
        delays.push_back(clock.elapsed());
        EXPECT_EQ(foreground(sheet, 0), (std::array<int, 3>{240, 0, 0}));
    }
    std::cout << "front-panel switch to sheet (ms):";
    for (qint64 delay : delays)
        std::cout << ' ' << delay;
    std::cout << '\n';
    EXPECT_LT(*std::min_element(delays.begin(), delays.end()), 100);

    // The operator takes the matrix off line and back with the indicator; it follows the matrix's answers.
    QTest::mouseClick(lblonline, Qt::LeftButton);
    ASSERT_TRUE(WindowRig::pumpUntil([&] { return lblonline->text() == "OFF LINE"; }, 2000));
    EXPECT_EQ(lblonline->palette().color(QPalette::Window), QColor(255, 0, 0));
    QTest::mouseClick(lblonline, Qt::LeftButton);
    ASSERT_TRUE(WindowRig::pumpUntil([&] { return lblonline->text() == "ON LINE"; }, 2000));
}

} // namespace
} // namespace rl4::test

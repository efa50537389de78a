#include "gui/main_window.h"
#include "window_rig.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace rl4::test {
namespace {

TEST(VcaPanelView, FollowsTheCurrentDestinationAndSendsOnlyTheOperatorsMoves) {
    WindowRig rig(kLanguageEnglish, videoAudioAssignment());
    ASSERT_TRUE(rig.startUp());
    MainWindow& window = rig.window();
    auto* volsrc = window.findChild<QLabel*>("volsrc");
    auto* sli1 = window.findChild<QSlider*>("sli1");
    auto* volpourcent = window.findChild<QLabel*>("volpourcent");
    auto* cmdslimin = window.findChild<QPushButton*>("cmdslimin");
    auto* cmdslimax = window.findChild<QPushButton*>("cmdslimax");
    ASSERT_TRUE(volsrc && sli1 && volpourcent && cmdslimin && cmdslimax);
    EXPECT_EQ(sli1->minimum(), 0);
    EXPECT_EQ(sli1->maximum(), 31);

    EXPECT_EQ(volsrc->text(), "Monitor 1");
    EXPECT_TRUE(sli1->isEnabled());
    EXPECT_TRUE(cmdslimin->isEnabled());
    EXPECT_TRUE(cmdslimax->isEnabled());
    EXPECT_TRUE(volpourcent->isVisible());
    Link& link = rig.engine().link();

    long sent = link.shotCount();
    QTest::mouseClick(cmdslimax, Qt::LeftButton);
    EXPECT_EQ(sli1->value(), 31);
    EXPECT_EQ(volpourcent->text(), " 0 dB"); // the number form: a blank before a number not negative
    EXPECT_EQ(link.shotCount(), sent + 1);

    sent = link.shotCount();
    QTest::keyClick(sli1, Qt::Key_Down); // the operator moves it one step
    EXPECT_EQ(sli1->value(), 30);
    EXPECT_EQ(volpourcent->text(), "-3 dB");
    EXPECT_EQ(link.shotCount(), sent + 1);

    sent = link.shotCount();
    QTest::mouseClick(cmdslimin, Qt::LeftButton);
    EXPECT_EQ(volpourcent->text(), "-oo dB");
    EXPECT_EQ(link.shotCount(), sent + 1);

    // A level the matrix reports moves the slider without sending anything back.
    sent = link.shotCount();
    rig.engine().vca().levelReported(1);
    EXPECT_EQ(sli1->value(), 1);
    EXPECT_EQ(volpourcent->text(), "-90 dB");
    EXPECT_EQ(link.shotCount(), sent);

    // Monitor 4 has no audio output: no level, nothing to move, and no read sent for it.
    sent = link.shotCount();
    QTableWidget& sheet = rig.sheet();
    QTest::mouseClick(sheet.viewport(), Qt::LeftButton, Qt::NoModifier,
                      sheet.visualRect(sheet.model()->index(3, 1)).center());
    EXPECT_EQ(volsrc->text(), "Monitor 4");
    EXPECT_FALSE(sli1->isEnabled());
    EXPECT_FALSE(cmdslimin->isEnabled());
    EXPECT_FALSE(cmdslimax->isEnabled());
    EXPECT_FALSE(volpourcent->isVisible());
    EXPECT_EQ(link.shotCount(), sent);
}

} // namespace
} // namespace rl4::test

#include "sheet/connexion_file.h"
#include "support/scripted_prompt.h"
#include "support/temp_folder.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace rl4 {
namespace {

const std::string kHeader = "Matrix Routing Switcher\r\nSwitching file\r\ndst|nsv|nsa|nsr|nsy|vca\r\n";

class ConnexionFileTest : public testing::Test {
protected:
    ConnexionFileTest() { routing.setConnexionsChanged(true); }

    void route(int d, int video, int audio, int rgb, int yc, int vca) {
        routing.wanted(Layer::Video, d) = video;
        routing.wanted(Layer::Audio, d) = audio;
        routing.wanted(Layer::Rgb, d) = rgb;
        routing.wanted(Layer::Yc, d) = yc;
        routing.vcaLevel[d] = vca;
    }
    void expectRoute(int d, int video, int audio, int rgb, int yc, int vca) {
        EXPECT_EQ(
            (std::vector{routing.wanted(Layer::Video, d), routing.wanted(Layer::Audio, d),
                         routing.wanted(Layer::Rgb, d), routing.wanted(Layer::Yc, d), routing.vcaLevel[d]}),
            (std::vector{video, audio, rgb, yc, vca}))
            << "destination " << d;
    }

    test::TempFolder scratch;
    std::string path = scratch.path("routelane4.cnx");
    RoutingTable routing;
    Assignments assignments;
    MessageTable messages;
    test::ScriptedPrompt prompt;
    ConnexionFile file{routing, assignments, messages, prompt};
};

TEST_F(ConnexionFileTest, WritesThreeCharacterFieldsAndReadsThemBack) {
    assignments.activeTable.destinationCount = 0;
    ASSERT_TRUE(file.WriteConnexionFile(path));
    EXPECT_EQ(test::fileBytes(path), kHeader);

    assignments.activeTable.destinationCount = 4;
    route(1, 3, 3, 0, 0, 31);
    route(2, 10, 99, 100, 999, 0);
    route(3, 257, 1234, 0, 5, 9);
    routing.setConnexionsChanged(true);
    ASSERT_TRUE(file.WriteConnexionFile(path));
    EXPECT_FALSE(routing.connexionsChanged());
    EXPECT_EQ(test::fileBytes(path), kHeader + "  1|  3|  3|  0|  0| 31\r\n"
                                               "  2| 10| 99|100|999|  0\r\n"
                                               "  3|257|234|  0|  5|  9\r\n"
                                               "  4|  0|  0|  0|  0|  0\r\n");

    routing.markAllUnknown();
    file.ReadConnexionFile(path);
    expectRoute(1, 3, 3, 0, 0, 31);
    expectRoute(2, 10, 99, 100, 257, 0); // 999 names no source
    expectRoute(3, 257, 234, 0, 5, 9);
    expectRoute(4, 0, 0, 0, 0, 0);
    expectRoute(5, 0, 0, 0, 0, 0);
    EXPECT_EQ(routing.held(Layer::Video, 1), NotAssigned);
    EXPECT_EQ(routing.matrixVca[1], NotAssigned);
    EXPECT_TRUE(prompt.questions.empty());
}

TEST_F(ConnexionFileTest, ReadsOnlyLinesThatNameADestinationOfTheTable) {
    test::writeBytes(path, "Matrix Routing Switcher\r\n"
                           "  2|  5|  6|  7|  8| 20\r\n"
                           "dst|nsv|nsa|nsr|nsy|vca\r\n"
                           "  3|257\r\n"
                           "300|  1|  1|  1|  1|  1\r\n"
                           "257|  1|  1|  1|  1|  1\r\n"
                           " -5|  1|  1|  1|  1|  1\r\n"
                           "  4| 12|  x| -3| 7\r\n"
                           "  9|  1|  2|  3|  4| 31\r\n"
                           "abc\r\n"
                           "\r\n"
                           "256|  1|  2|  3|  4|  5\n");
    assignments.activeTable.destinationCount = 4;
    route(1, 9, 9, 9, 9, 9);
    file.ReadConnexionFile(path);
    expectRoute(1, 0, 0, 0, 0, 0);
    expectRoute(2, 5, 6, 7, 8, 20);
    expectRoute(3, 257, 0, 0, 0, 0);
    expectRoute(4, 12, 0, 257, 7, 0);
    expectRoute(9, 1, 2, 3, 4, 31);
    expectRoute(256, 1, 2, 3, 4, 5);
    expectRoute(0, 0, 0, 0, 0, 0);
    EXPECT_EQ(assignments.activeTable.destinationCount, 4);

    // A file that is there but cannot be read leaves the table as it was.
    route(2, 5, 6, 7, 8, 20);
    const std::string locked = scratch.path("locked.cnx");
    std::filesystem::create_symlink("/proc/self/mem", locked);
    EXPECT_FALSE(file.ReadConnexionFile(locked));
    expectRoute(2, 5, 6, 7, 8, 20);
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0].text, "Cannot read the file " + locked);
}

TEST_F(ConnexionFileTest, MissingFileIsReportedAndMadeWithEightDestinations) {
    route(1, 2, 0, 0, 0, 31);
    EXPECT_TRUE(file.ReadConnexionFile(path));
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0].text, "The connexion file: " + path + " don't exist.");
    EXPECT_EQ(assignments.activeTable.destinationCount, 8);
    for (Layer layer : kLayers)
        EXPECT_EQ(assignments.sizes.out(layer), 8);
    EXPECT_EQ(assignments.sizes.videoIn, 0);
    EXPECT_FALSE(routing.connexionsChanged());
    std::string lines = kHeader + "  1|  2|  0|  0|  0| 31\r\n";
    for (int d = 2; d <= 8; ++d)
        lines += "  " + std::to_string(d) + "|  0|  0|  0|  0|  0\r\n";
    EXPECT_EQ(test::fileBytes(path), lines);

    messages.setLanguage(kLanguageFrench);
    EXPECT_FALSE(file.ReadConnexionFile(scratch.path("missing/autre.cnx"))) << "cannot be made";
    EXPECT_EQ(prompt.questions.size(), 3u);
    file.ReadConnexionFile(scratch.path("autre.cnx"));
    EXPECT_EQ(prompt.questions.back().text,
              "Le fichier de commutation :" + scratch.path("autre.cnx") + " n'existe pas.");
}

TEST_F(ConnexionFileTest, FailedWriteKeepsTheOldFileAndTheFlag) {
    test::writeBytes(path, "old\r\n");
    assignments.activeTable.destinationCount = 4;
    // A file size limit stands in for a full disk.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written = file.WriteConnexionFile(path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_TRUE(routing.connexionsChanged());
    EXPECT_EQ(test::fileBytes(path), "old\r\n");
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_NE(prompt.questions[0].text.find(path), std::string::npos);
    EXPECT_EQ(prompt.questions[0].icon, PromptIcon::Critical);

    EXPECT_FALSE(file.WriteConnexionFile(scratch.path("missing/routelane4.cnx")));
    EXPECT_EQ(prompt.questions.size(), 2u);
    EXPECT_TRUE(routing.connexionsChanged());
}

} // namespace
} // namespace rl4

// routelane4ctl debug against matrixsim on a pseudo-terminal that refuses every third instruction: ended by
// its cycle count or by Ctrl-C, always with the counters as the last line.

#include "ctl/ctl_debug.h"
#include "support/engine_rig.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

#include <csignal>
#include <gtest/gtest.h>

namespace rl4::test {
namespace {

Lines rest(SimProcess& process) {
    Lines lines;
    while (auto line = process.readLine())
        lines.push_back(*line);
    return lines;
}

TEST(DebugLoopTest, CyclesOrCtrlCEndWithTheCounters) {
    TempFolder dir;
    writeCrLf(dir.path("routelane4.agn"), sampleAssignmentLines());
    Lines ports; // no port of the search may reach a real device
    for (int p = 1; p <= 8; ++p)
        ports.push_back(std::to_string(p) + "=" + dir.path("absent-tty"));
    writeCrLf(dir.path("routelane4.ports"), ports);
    SimProcess matrix({"--pty", dir.path("matrix"), "--baud", "0", "--refuse-every", "3"});
    ASSERT_TRUE(matrix.waitReady());
    const auto ctl = [&dir](const Lines& words) {
        Lines args{"--data", dir.folder(), "--target", dir.path("matrix"), "debug"};
        args.insert(args.end(), words.begin(), words.end());
        return std::make_unique<SimProcess>(RL4_CTL, args);
    };

    auto cycles = ctl({"read-v12", "--cycles", "2"});
    EXPECT_EQ(rest(*cycles), (Lines{"read 1\terrors 0\tcommands 1", "read 2\terrors 0\tcommands 2",
                                    "read 1\terrors 1\tcommands 3", "read 2\terrors 1\tcommands 4",
                                    "errors 1\tcommands 4"}));
    EXPECT_EQ(cycles->wait(), 2) << "an answer was refused";

    auto interrupted =
        ctl({"write", "--sources", "1-2", "--destinations", "1-2", "--layers", "vay", "--pause", "20"});
    ASSERT_EQ(interrupted->readLine(), "in:1 to out:1\terrors 1\tcommands 3");
    interrupted->signal(SIGINT);
    const Lines lines = rest(*interrupted);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines.back().starts_with("errors ")) << lines.back();
    EXPECT_LE(lines.size(), 3u) << "the loop ends within one step";
    EXPECT_EQ(interrupted->wait(), 2);
}

TEST(DebugLoopTest, WrongWordsAreRefusedWithTheirReason) {
    const std::pair<Lines, std::string> cases[] = {
        {{}, "debug takes write, read"},         {{"scan"}, "not 'scan'"},
        {{"read", "--sources", "3-1"}, "range"}, {{"read", "--layers", "vx"}, "letters"},
        {{"read", "--layers", "vv"}, "letters"}, {{"read", "--pause"}, "needs a value"},
        {{"read", "--cycles", "0"}, "--cycles"}, {{"read", "--speed", "1"}, "unknown"},
    };
    for (const auto& [args, error] : cases)
        EXPECT_NE(parseDebugCommand(args).error.find(error), std::string::npos) << error;
    const DebugCommand good = parseDebugCommand({"write", "--sources", "2-4", "--layers", "ry"}).command;
    EXPECT_EQ(good.sources, (std::pair{2, 4}));
    EXPECT_EQ(good.layers, (std::array<bool, 4>{false, false, true, true}));
}

} // namespace
} // namespace rl4::test

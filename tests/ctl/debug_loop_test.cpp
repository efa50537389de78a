// routelane4ctl debug as a technician runs it: against matrixsim on a pseudo-terminal that refuses every
// third instruction, ended by its cycle count or by Ctrl-C, always with the counters as the last line.

#include "ctl/ctl_debug.h"
#include "support/sample_assignment.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace rl4::test {
namespace {

using Lines = std::vector<std::string>;

class DebugLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeCrLf("routelane4.agn", sampleAssignmentLines());
        // No port of the search may reach a real device.
        Lines ports;
        for (int p = 1; p <= 8; ++p)
            ports.push_back(std::to_string(p) + "=" + dir.path("absent-tty" + std::to_string(p)));
        writeCrLf("routelane4.ports", ports);
        matrix = std::make_unique<SimProcess>(
            Lines{"--pty", dir.path("matrix"), "--baud", "0", "--refuse-every", "3"});
        ASSERT_TRUE(matrix->waitReady());
    }

    void writeCrLf(const std::string& name, const Lines& lines) {
        std::ofstream out(dir.path(name), std::ios::binary);
        for (const std::string& line : lines)
            out << line << "\r\n";
    }

    std::unique_ptr<SimProcess> ctl(const Lines& debugArgs) {
        Lines args{"--data", dir.folder(), "--target", dir.path("matrix"), "debug"};
        args.insert(args.end(), debugArgs.begin(), debugArgs.end());
        return std::make_unique<SimProcess>(RL4_CTL, args);
    }

    // The lines up to the end of the output.
    static Lines rest(SimProcess& process) {
        Lines lines;
        while (auto line = process.readLine())
            lines.push_back(*line);
        return lines;
    }

    TempFolder dir;
    std::unique_ptr<SimProcess> matrix;
};

TEST_F(DebugLoopTest, CyclesEndWithTheCounters) {
    auto run = ctl({"read-v12", "--cycles", "2"});
    const Lines expected{"read 1\terrors 0\tcommands 1", "read 2\terrors 0\tcommands 2",
                         "read 1\terrors 1\tcommands 3", "read 2\terrors 1\tcommands 4",
                         "errors 1\tcommands 4"};
    EXPECT_EQ(rest(*run), expected);
    EXPECT_EQ(run->wait(), 2) << "an answer was refused";
}

TEST_F(DebugLoopTest, CtrlCEndsWithTheCounters) {
    auto run =
        ctl({"write", "--sources", "1-2", "--destinations", "1-2", "--layers", "vay", "--pause", "20"});
    ASSERT_EQ(run->readLine(), "in:1 to out:1\terrors 1\tcommands 3");
    run->signal(SIGINT);
    const Lines lines = rest(*run);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines.back().starts_with("errors ")) << lines.back();
    EXPECT_LE(lines.size(), 3u) << "the loop ends within one step";
    EXPECT_EQ(run->wait(), 2);
}

TEST(DebugCommandWords, WrongWordsAreRefusedWithTheirReason) {
    struct Case {
        Lines args;
        std::string error;
    };
    const Case cases[] = {
        {{}, "debug takes write, read, read-v1 or read-v12"},
        {{"scan"}, "not 'scan'"},
        {{"read", "--sources", "3-1"}, "--sources takes a range"},
        {{"read", "--destinations", "0-2"}, "--destinations takes a range"},
        {{"read", "--layers", "vx"}, "--layers takes letters"},
        {{"read", "--layers", "vv"}, "--layers takes letters"},
        {{"read", "--pause"}, "needs a value"},
        {{"read", "--cycles", "0"}, "--cycles takes"},
        {{"read", "--speed", "1"}, "unknown debug option"},
    };
    for (const Case& c : cases)
        EXPECT_NE(parseDebugCommand(c.args).error.find(c.error), std::string::npos) << c.error;
    const DebugParse good =
        parseDebugCommand({"write", "--sources", "2-4", "--layers", "ry", "--cycles", "3"});
    EXPECT_EQ(good.error, "");
    EXPECT_EQ(good.command.sources, (std::pair{2, 4}));
    EXPECT_EQ(good.command.layers, (std::array<bool, 4>{false, false, true, true}));
    EXPECT_EQ(good.command.cycles, 3);
}

} // namespace
} // namespace rl4::test

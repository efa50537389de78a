#include "support/engine_rig.h"

#include <gtest/gtest.h>

namespace rl4::test {
namespace {

// The status reading of one layer: outputs 0, 1, ... up to the first output past the layer's size.
void appendReading(std::vector<Frame>& frames, int letter, int outputs) {
    for (int output = 0; output <= outputs + 1; ++output)
        frames.push_back(five(letter, output, 0));
}

TEST(EngineRigTest, StartUpOnTheSavedPortAsksInOrderOnTheFakeClock) {
    EngineRig rig;
    rig.start();

    std::vector<Frame> expected{five('x', 120, 120), five('D', 1, 0), five('p', 1, 0)};
    appendReading(expected, 'v', 16);
    appendReading(expected, 'a', 16);
    appendReading(expected, 'r', 8);
    appendReading(expected, 'y', 8);
    expected.push_back(five('n', 1, 0));
    EXPECT_EQ(rig.takeReceived(), expected);
    EXPECT_TRUE(rig.prompt.questions.empty());
    EXPECT_TRUE(rig.engine.link().matrixOnLine());
    EXPECT_EQ(rig.engine.matrixLabel(), "matrix N°1234");
    EXPECT_TRUE(rig.listener.take("search").empty());
}

} // namespace
} // namespace rl4::test

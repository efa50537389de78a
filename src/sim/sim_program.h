#pragma once

#include <string>
#include <vector>

namespace rl4::sim {

// The whole matrixsim program: options, port, loop and shutdown. Returns the exit status.
int runMatrixSim(const std::vector<std::string>& args);

} // namespace rl4::sim

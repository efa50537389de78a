#include "sim/sim_program.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    return rl4::sim::runMatrixSim(std::vector<std::string>(argv + 1, argv + argc));
}

// routelane4ctl: the engine driven from a shell.

#include "ctl/ctl_program.h"

int main(int argc, char** argv) {
    return rl4::runRoutelane4ctl(std::vector<std::string>(argv + 1, argv + argc));
}

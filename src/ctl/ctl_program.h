#pragma once

#include <string>
#include <vector>

namespace rl4 {

// routelane4ctl: the engine driven from a shell. `args` are the words after the program's name; returns the
// exit status (0 done, 1 no matrix found or no such object, 2 the matrix refused or did not answer, 64 wrong
// usage, 66 a file or folder cannot be used).
int runRoutelane4ctl(const std::vector<std::string>& args);

} // namespace rl4

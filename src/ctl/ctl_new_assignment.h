#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace rl4 {

// routelane4ctl new-assignment: writes the assignment file that "Create new assignment" builds in the
// assignment editor and "Save" then writes, for the sizes, naming and numbering given as options.
// `args` are the words after the command; returns the exit status: 0 done, 64 wrong usage, 66 the file
// cannot be written.
int runNewAssignment(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The command's own help text, printed by --help.
std::string_view newAssignmentUsage();

} // namespace rl4

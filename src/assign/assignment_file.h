#pragma once

#include "assign/assignments.h"
#include "text/message_table.h"
#include "text/prompt.h"

namespace rl4 {

// Reads the file named by editFileName into the edit table and recomputes the matrix sizes from the
// connectors it uses. A missing file gives four sources and four destinations with default names and the
// welcome message; sections longer than the tables are cut, and connectors the wire cannot carry read as not
// assigned, with a warning. A file that cannot be read, or that has no section line (a binary file, UTF-16
// text, any other file), gives the same default table with a message, and becomes the protected file that
// only an explicit save writes over. A UTF-8 file is read as such, with a notice.
void ReadAssignmentFile(Assignments& assignments, MessageTable& messages, Prompt& prompt);

// Whether a name, as the file would hold it, reads like the start of a separator line, blanks aside: such a
// line ends its section, and every later object of the section would be lost. The editor refuses these
// names; one that comes from elsewhere is written with an underscore for its first hyphen.
bool nameEndsSection(const std::string& name);

// Writes the active table to the file named by activeFileName and clears assignmentsChanged. The old file
// stays whole until the new one is complete; a failure is shown to the operator, leaves assignmentsChanged
// set and returns false.
bool WriteAssignmentFile(Assignments& assignments, MessageTable& messages, Prompt& prompt);

} // namespace rl4

#pragma once

#include "assign/assignments.h"
#include "text/message_table.h"
#include "text/prompt.h"

namespace rl4 {

// Reads the file named by editFileName into the edit table and recomputes the matrix sizes from the
// connectors it uses. A missing file gives four sources and four destinations with default names and the
// welcome message; sections longer than the tables are cut, with a warning.
void ReadAssignmentFile(Assignments& assignments, MessageTable& messages, Prompt& prompt);

// Writes the active table to the file named by activeFileName and clears assignmentsChanged. The old file
// stays whole until the new one is complete; a failure is shown to the operator, leaves assignmentsChanged
// set and returns false.
bool WriteAssignmentFile(Assignments& assignments, MessageTable& messages, Prompt& prompt);

} // namespace rl4

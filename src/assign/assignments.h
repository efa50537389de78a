#pragma once

#include "assign/assignment_model.h"

#include <array>
#include <functional>
#include <string>

namespace rl4 {

// The title of the assignment editor's message boxes.
inline constexpr const char* kEditorTitle = "Routelane Assignments";

// Names of the special functions by position: 1 "Take", 2..16 "Recall setup 1".."Recall setup 15",
// 17 "VCA-", 18 "VCA+".
std::string specialFunctionName(int index);

// The special-function names by position, index 0 not used.
std::array<std::string, kSpecialFunctions + 1> fixedSpecialNames();

// Names a new object gets: "Source 1", "Dest 1".
std::string defaultSourceName(int number);
std::string defaultDestinationName(int number);

// The objects wired to the matrix, kept three times: the active table drives the sheet, the commands, the
// file and the EEPROM; the edit table is what the file reader fills and the editor changes, and it reaches
// the rest of the program only through ApplyEditTable; the dialog table is the change dialog's scratch copy.
class Assignments {
public:
    AssignmentTable activeTable;
    AssignmentTable editTable;
    AssignmentTable dialogTable;
    MatrixSizes sizes;
    // Whether some object of the active table has a connector on the layer, indexed by layerIndex.
    std::array<bool, 4> layerUsed{};
    // Shared by the three tables; index 0 is not used. Fixed from the start, so that a first file written
    // before any was read names them as every later one does.
    std::array<std::string, kSpecialFunctions + 1> specialNames = fixedSpecialNames();
    std::string editFileName;
    std::string activeFileName;
    // A path whose file was there but could not be taken as an assignment: the operator's file, which only
    // an explicit save may write over.
    std::string protectedFileName;
    // Called once the active table has changed, so that the sheet is rebuilt from it.
    std::function<void()> rebuildSheet;

    // Every connector and touch not assigned, every mask open, every destination selected and every name
    // empty, over the whole edit table; the counts stay.
    void ClearEditTable();
    void ApplyEditTable();
    void setFixedSpecialNames();
    // Whether the active table may be written to its file without the operator asking for it.
    bool mayWriteUnasked() const { return protectedFileName.empty() || activeFileName != protectedFileName; }

    // Some table changed since the assignment was last read or written.
    bool assignmentsChanged() const { return assignmentsChanged_; }
    void setAssignmentsChanged(bool changed) { assignmentsChanged_ = changed; }

private:
    bool assignmentsChanged_ = false;
};

// A record count that is safe to walk the tables with.
int usableCount(int count);

} // namespace rl4

#pragma once

#include "assign/assignment_model.h"

#include <array>
#include <string>

namespace rl4 {

// One object per number for all layers (global), or one object per number and layer (separate).
enum class NamingMode { Global, Separate };

// What the matrix size dialog asks for a new assignment.
struct NewAssignmentRequest {
    MatrixSizes sizes;
    NamingMode naming = NamingMode::Global;
    std::string sourcePrefix = "Source";
    std::string destinationPrefix = "Dest";
    // By layer index: Video, Audio, RGB, YC.
    std::array<std::string, 4> inputPrefixes{"Video in", "Audio in", "RGB in", "YC-YUV in"};
    std::array<std::string, 4> outputPrefixes{"Video out", "Audio out", "RGB out", "YC-YUV out"};
    bool numberFromOne = true; // chkorigin
    bool addDisconnect = true; // chkdisconnect
    bool addAllDest = true;    // chkalldest
    bool giveTouches = false;  // chkclavier
};

// What building found worth telling the operator.
struct NewAssignmentNotes {
    // The sizes built for: a layer stops at connector 255, the largest a frame carries, so numbered from 1
    // it has at most 255 inputs or outputs, numbered from 0 at most 256.
    MatrixSizes sizes;
    bool sizesCut = false;
    // Numbered from 0, "Disconnect" or "All Dest" shares connector 0 with the first numbered object, and
    // the matrix status cannot tell the two apart.
    bool connectorZeroShared = false;
};

// Builds the sources and destinations of a new assignment into a cleared table: one object per input and
// output number, named prefix, blank and number, with the connector of that number; at most 256 of each
// kind. Selection marks, admittance masks and special-function touches are left as they are.
NewAssignmentNotes buildNewAssignment(const NewAssignmentRequest& request, AssignmentTable& table);

// The first keyboard touch of the destinations when the sources' touches end at `lastSourceTouch`: the
// start of the next keyboard row, so that sources and destinations sit on rows of their own.
int firstDestinationTouch(int lastSourceTouch, bool numberFromOne);

} // namespace rl4

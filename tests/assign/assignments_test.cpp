#include "assign/assignments.h"

#include <gtest/gtest.h>

namespace rl4 {
namespace {

TEST(Assignments, ApplyMakesTheEditTableActive) {
    Assignments assignments;
    int rebuilds = 0;
    assignments.rebuildSheet = [&rebuilds] { ++rebuilds; };
    assignments.activeTable.sources[3].name = "stale";
    assignments.layerUsed = {true, true, true, true};
    assignments.ClearEditTable();
    AssignmentTable& edit = assignments.editTable;
    edit.sourceCount = 2;
    edit.destinationCount = 1;
    // Connector 0 is the matrix's no-source input: it uses the layer. Records beyond the counts do not.
    edit.sources[1] = {"Cam", 4, 0, NotAssigned, NotAssigned, NotAssigned};
    edit.destinations[1] = {"Mon", 7, NotAssigned, NotAssigned, NotAssigned, 5, 0, {1, 2, 3, 4, 5, 6}};
    edit.sources[3].Ain = 1;
    edit.destinations[2].Rou = 1;
    assignments.ApplyEditTable();

    const AssignmentTable& active = assignments.activeTable;
    EXPECT_EQ(assignments.layerUsed, (std::array{true, false, false, true}));
    EXPECT_EQ(rebuilds, 1);
    EXPECT_EQ(active.destinations[1], edit.destinations[1]);
    // The edit table's unused records select every destination; the active table's select none.
    EXPECT_EQ(edit.destinations[2].Shw, -1);
    EXPECT_EQ(active.destinations[2], Destination{});
    EXPECT_EQ(active.sources[3], Source{});
}

} // namespace
} // namespace rl4

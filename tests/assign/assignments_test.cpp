#include "assign/assignments.h"

#include <gtest/gtest.h>

namespace rl4 {
namespace {

TEST(Assignments, ApplyMakesTheEditTableActive) {
    Assignments assignments;
    int rebuilds = 0;
    assignments.rebuildSheet = [&rebuilds] { ++rebuilds; };
    assignments.activeTable.sources[3].name = "stale";
    assignments.activeTable.destinations[2].Shw = -1;
    assignments.layerUsed = {true, true, true, true};

    assignments.ClearEditTable();
    AssignmentTable& edit = assignments.editTable;
    edit.sourceCount = 2;
    edit.destinationCount = 1;
    // Connector 0 is the matrix's no-source input: it uses the layer.
    edit.sources[1] = {"Cam", 4, 0, NotAssigned, NotAssigned, NotAssigned};
    edit.destinations[1] = {"Mon", 7, NotAssigned, NotAssigned, NotAssigned, 5, 0, {1, 2, 3, 4, 5, 6}};
    // Beyond the counts: must not count as used.
    edit.sources[3].Ain = 1;
    edit.destinations[2].Rou = 1;
    edit.specials[18].Ksp = 12;
    assignments.editFileName = "other.agn";
    assignments.ApplyEditTable();

    const AssignmentTable& active = assignments.activeTable;
    EXPECT_EQ(assignments.layerUsed, (std::array{true, false, false, true}));
    EXPECT_EQ(rebuilds, 1);
    EXPECT_EQ(assignments.activeFileName, "other.agn");
    EXPECT_EQ(active.sourceCount, 2);
    EXPECT_EQ(active.destinationCount, 1);
    EXPECT_EQ(active.sources[1], edit.sources[1]);
    EXPECT_EQ(active.destinations[1], edit.destinations[1]);
    EXPECT_EQ(active.specials[18].Ksp, 12);
    // The edit table's unused records select every destination; the active table's select none.
    EXPECT_EQ(edit.destinations[2].Shw, -1);
    EXPECT_EQ(active.destinations[2], Destination{});
    EXPECT_EQ(active.sources[3], Source{});
}

} // namespace
} // namespace rl4

#include "assign/assignments.h"

#include <algorithm>

namespace rl4 {

std::string specialFunctionName(int index) {
    if (index == 1)
        return "Take";
    if (index == kSpecialFunctions - 1)
        return "VCA-";
    if (index == kSpecialFunctions)
        return "VCA+";
    return "Recall setup " + std::to_string(index - 1);
}

std::array<std::string, kSpecialFunctions + 1> fixedSpecialNames() {
    std::array<std::string, kSpecialFunctions + 1> names{};
    for (int i = 1; i <= kSpecialFunctions; ++i)
        names[static_cast<std::size_t>(i)] = specialFunctionName(i);
    return names;
}

std::string defaultSourceName(int number) {
    return "Source " + std::to_string(number);
}

std::string defaultDestinationName(int number) {
    return "Dest " + std::to_string(number);
}

int usableCount(int count) {
    return std::clamp(count, 0, kMaxObjects);
}

namespace {
// The counts are left to the caller: clearing a table never says how much of it is in use.
void clearRecords(AssignmentTable& table, int selectionMark) {
    const int sourceCount = table.sourceCount;
    const int destinationCount = table.destinationCount;
    table = AssignmentTable{};
    for (Destination& destination : table.destinations)
        destination.Shw = selectionMark;
    table.sourceCount = sourceCount;
    table.destinationCount = destinationCount;
}
} // namespace

void Assignments::ClearEditTable() {
    clearRecords(editTable, -1);
}

void Assignments::ApplyEditTable() {
    clearRecords(activeTable, 0);
    activeTable.sourceCount = usableCount(editTable.sourceCount);
    activeTable.destinationCount = usableCount(editTable.destinationCount);
    activeFileName = editFileName;
    layerUsed.fill(false);

    for (int i = 1; i <= activeTable.sourceCount; ++i) {
        const Source& from = editTable.sources[i];
        activeTable.sources[i] = from;
        for (Layer layer : kLayers)
            layerUsed[layerIndex(layer)] |= from.input(layer) != NotAssigned;
    }
    for (int i = 1; i <= activeTable.destinationCount; ++i) {
        const Destination& from = editTable.destinations[i];
        activeTable.destinations[i] = from;
        for (Layer layer : kLayers)
            layerUsed[layerIndex(layer)] |= from.output(layer) != NotAssigned;
    }
    activeTable.specials = editTable.specials;

    if (rebuildSheet)
        rebuildSheet();
}

void Assignments::setFixedSpecialNames() {
    specialNames = fixedSpecialNames();
}

} // namespace rl4

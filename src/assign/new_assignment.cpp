#include "assign/new_assignment.h"

#include "assign/assignments.h"

#include <algorithm>

namespace rl4 {

namespace {

constexpr const char* kDisconnectName = "Disconnect";
constexpr const char* kAllDestName = "All Dest";
// Touch numbers, counted from 1, that end a row of the matrix keyboards.
constexpr int kRowEnds[] = {8, 16, 24, 32, 48, 64};

std::string numbered(const std::string& prefix, int number) {
    return prefix + " " + std::to_string(number);
}

// Appends a record with a name and no connector or touch; nothing when the kind is full.
template <typename Record>
Record* addRecord(std::array<Record, kMaxObjects + 1>& records, int& count, const std::string& name) {
    if (count >= kMaxObjects)
        return nullptr;
    Record& record = records[static_cast<std::size_t>(++count)];
    record.name = name;
    return &record;
}

Source* addSource(AssignmentTable& table, const std::string& name) {
    Source* source = addRecord(table.sources, table.sourceCount, name);
    if (source != nullptr) {
        source->Kin = NotAssigned;
        for (Layer layer : kLayers)
            source->input(layer) = NotAssigned;
    }
    return source;
}

Destination* addDestination(AssignmentTable& table, const std::string& name) {
    Destination* destination = addRecord(table.destinations, table.destinationCount, name);
    if (destination != nullptr) {
        destination->Kou = NotAssigned;
        for (Layer layer : kLayers)
            destination->output(layer) = NotAssigned;
    }
    return destination;
}

int largest(MatrixSizes sizes, bool inputs) {
    int size = 0;
    for (Layer layer : kLayers)
        size = std::max(size, inputs ? sizes.in(layer) : sizes.out(layer));
    return size;
}

void addGlobal(const NewAssignmentRequest& request, AssignmentTable& table, int r, int n) {
    MatrixSizes sizes = request.sizes;
    const int inputs = largest(sizes, true);
    if (r <= inputs) {
        if (Source* source = addSource(table, numbered(request.sourcePrefix, n))) {
            for (Layer layer : kLayers)
                if (sizes.in(layer) >= r)
                    source->input(layer) = n;
        }
    } else if (r == inputs + 1 && request.addDisconnect) {
        // Input 0 is the matrix's no-source input: routing it disconnects.
        if (Source* source = addSource(table, kDisconnectName)) {
            for (Layer layer : kLayers)
                if (sizes.in(layer) > 0)
                    source->input(layer) = 0;
        }
    }

    const int outputs = largest(sizes, false);
    if (r <= outputs) {
        if (Destination* destination = addDestination(table, numbered(request.destinationPrefix, n))) {
            for (Layer layer : kLayers)
                if (sizes.out(layer) >= r)
                    destination->output(layer) = n;
        }
    } else if (r == outputs + 1 && request.addAllDest) {
        if (Destination* destination = addDestination(table, kAllDestName)) {
            for (Layer layer : kLayers)
                if (sizes.out(layer) > 0)
                    destination->output(layer) = 0;
        }
    }
}

void addSeparate(const NewAssignmentRequest& request, AssignmentTable& table, int r, int n) {
    MatrixSizes sizes = request.sizes;
    for (Layer layer : kLayers) {
        if (sizes.in(layer) < r)
            continue;
        if (Source* source = addSource(
                table, numbered(request.inputPrefixes[static_cast<std::size_t>(layerIndex(layer))], n)))
            source->input(layer) = n;
    }
    for (Layer layer : kLayers) {
        if (sizes.out(layer) < r)
            continue;
        if (Destination* destination = addDestination(
                table, numbered(request.outputPrefixes[static_cast<std::size_t>(layerIndex(layer))], n)))
            destination->output(layer) = n;
    }
}

// Cuts every layer to the connectors a frame carries; true when one was longer.
bool keepWithinWire(NewAssignmentRequest& request) {
    const int most = request.numberFromOne ? kLargestConnector : kLargestConnector + 1;
    bool cut = false;
    for (Layer layer : kLayers) {
        for (int* size : {&request.sizes.in(layer), &request.sizes.out(layer)}) {
            cut |= *size > most;
            *size = std::min(*size, most);
        }
    }
    return cut;
}

template <typename Record, typename Connector>
bool twoOnZero(const std::array<Record, kMaxObjects + 1>& records, int count, Connector connector) {
    for (Layer layer : kLayers) {
        const auto onZero =
            std::count_if(records.begin() + 1, records.begin() + 1 + usableCount(count),
                          [&](const Record& record) { return connector(record, layer) == 0; });
        if (onZero > 1)
            return true;
    }
    return false;
}

bool connectorZeroShared(const AssignmentTable& table) {
    return twoOnZero(table.sources, table.sourceCount,
                     [](const Source& source, Layer layer) { return source.input(layer); }) ||
           twoOnZero(table.destinations, table.destinationCount,
                     [](const Destination& destination, Layer layer) { return destination.output(layer); });
}

} // namespace

int firstDestinationTouch(int lastSourceTouch, bool numberFromOne) {
    const int fromOne = numberFromOne ? lastSourceTouch : lastSourceTouch + 1;
    if (fromOne >= 1) {
        for (int rowEnd : kRowEnds) {
            if (fromOne <= rowEnd)
                return numberFromOne ? rowEnd + 1 : rowEnd;
        }
    }
    return lastSourceTouch + 1;
}

NewAssignmentNotes buildNewAssignment(const NewAssignmentRequest& asked, AssignmentTable& table) {
    NewAssignmentRequest request = asked;
    NewAssignmentNotes notes;
    notes.sizesCut = keepWithinWire(request);
    notes.sizes = request.sizes;

    table.sourceCount = 0;
    table.destinationCount = 0;
    for (int r = 1; r <= kMaxObjects; ++r) {
        const int n = request.numberFromOne ? r : r - 1;
        if (request.naming == NamingMode::Global)
            addGlobal(request, table, r, n);
        else
            addSeparate(request, table, r, n);
    }
    notes.connectorZeroShared = connectorZeroShared(table);
    if (!request.giveTouches)
        return notes;

    int touch = request.numberFromOne ? 1 : 0;
    for (int s = 1; s <= table.sourceCount; ++s)
        table.sources[static_cast<std::size_t>(s)].Kin = touch++;
    touch = firstDestinationTouch(touch - 1, request.numberFromOne);
    for (int d = 1; d <= table.destinationCount; ++d)
        table.destinations[static_cast<std::size_t>(d)].Kou = touch++;
    return notes;
}

} // namespace rl4

#pragma once

#include "assign/assignment_model.h"
#include "link/link.h"
#include "sheet/routing_table.h"
#include "sheet/sheet_listener.h"
#include "text/message_table.h"

#include <string>

namespace rl4 {

// Reads from the matrix which input feeds every output of every layer. The answers reach the routing table
// through the reply rules as they come; what is left here is the walk over the outputs, the output sizes it
// reveals, and the feedback a blocked window shows meanwhile.
class StatusReader {
public:
    StatusReader(Link& link, RoutingTable& routing, MatrixSizes& sizes, MessageTable& messages,
                 SheetListener& listener);

    // Every entry of the routing table becomes unknown, then each layer is read until the matrix stops
    // answering; a layer's output size is the last output that answered.
    void ReadMatrixStatus();
    // Reads outputs 0, 1, 2 ... of a layer with its status request (`request`: letter, code and machine),
    // up to output 130. Returns the output at which it stopped.
    int ReadLayerStatus(CommandParams request);

private:
    void showAddress(const CommandParams& request);

    Link& link_;
    RoutingTable& routing_;
    MatrixSizes& sizes_;
    MessageTable& messages_;
    SheetListener& listener_;
    // The progress window: the layer being read and the output reached.
    std::string lbllecture_;
    int prolecture_ = 0;
};

} // namespace rl4

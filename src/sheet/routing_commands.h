#pragma once

#include "assign/assignment_model.h"
#include "link/link.h"
#include "sheet/routing_table.h"
#include "sheet/status_reader.h"
#include "sheet/store_button.h"
#include "text/message_table.h"
#include "text/prompt.h"

namespace rl4 {

// Brings the matrix into line with the routing table, by object: connectors are looked up in the active
// assignment at send time, and a route whose destination or source has no connector on a layer is never
// sent on it.
class RoutingCommands {
public:
    RoutingCommands(Link& link, const AssignmentTable& activeTable, RoutingTable& routing, MatrixSizes& sizes,
                    StoreButton& storeButton, StatusReader& statusReader, MessageTable& messages,
                    Prompt& prompt);

    // Sends every wanted source the matrix is not known to hold. Each entry sent becomes unknown until the
    // matrix reports the source it now routes.
    void DownloadRouting();
    // After the operator confirms, disconnects every output of every layer the matrix has, then reads the
    // matrix back.
    void DisconnectAll();

private:
    void sendSwitch(Layer layer, int output, int input);

    Link& link_;
    const AssignmentTable& table_;
    RoutingTable& routing_;
    MatrixSizes& sizes_;
    StoreButton& storeButton_;
    StatusReader& statusReader_;
    MessageTable& messages_;
    Prompt& prompt_;
};

} // namespace rl4

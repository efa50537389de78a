#pragma once

#include "assign/assignments.h"
#include "sheet/routing_table.h"
#include "text/message_table.h"
#include "text/prompt.h"

#include <string>

namespace rl4 {

// A connexion file (.cnx): the wanted source of every destination on each layer and its VCA level, one
// fixed-column line per destination after three header lines.
class ConnexionFile {
public:
    ConnexionFile(RoutingTable& routing, Assignments& assignments, MessageTable& messages, Prompt& prompt);

    // Writes destinations 1..count of the active table. The old file stays whole until the new one is
    // complete; a failure is shown to the operator, leaves connexionsChanged set and returns false.
    bool WriteConnexionFile(const std::string& path);

    // Loads the file into the routing table, with nothing known of the matrix, so that the download that
    // follows sends every routed entry. A missing file is made anew with eight destinations. Returns false,
    // after a message, when the file exists but cannot be read (the table is left as it was) or could not
    // be made.
    bool ReadConnexionFile(const std::string& path);

private:
    void applyLine(const std::string& line);

    RoutingTable& routing_;
    Assignments& assignments_;
    MessageTable& messages_;
    Prompt& prompt_;
};

} // namespace rl4

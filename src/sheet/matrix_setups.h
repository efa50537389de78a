#pragma once

#include "link/link.h"
#include "sheet/status_reader.h"
#include "sheet/store_button.h"
#include "text/message_table.h"
#include "text/prompt.h"

namespace rl4 {

// The matrix's own memory: its current status, and the seven numbered setups that only the 4-byte form
// can store, delete and recall.
class MatrixSetups {
public:
    MatrixSetups(Link& link, StoreButton& storeButton, StatusReader& statusReader, MessageTable& messages,
                 Prompt& prompt);

    // Menu 109, the store button, the configuration dialog's OK and shutdown.
    void StoreStatus();
    // Menu 110: asks which setup, then whether to store the status there or delete it.
    void storeToSetup();
    // Menu 111: asks which setup, then recalls it.
    void recallFromSetup();

    // The same without questions (4-byte form only; setups 1..7): store the status in setup n, delete it,
    // recall it and read the routing it brought.
    void storeSetup(int n);
    void deleteSetup(int n);
    void recallSetup(int n);

private:
    // The setup chosen in a "prompt|Setup#1|...|Setup#7|Cancel" box, or 0 for Cancel.
    int askSetup(const char* promptText);
    void sendSetupCommand(int code, int data1, int setup);

    Link& link_;
    StoreButton& storeButton_;
    StatusReader& statusReader_;
    MessageTable& messages_;
    Prompt& prompt_;
};

} // namespace rl4

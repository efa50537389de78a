#pragma once

#include "sheet/sheet_listener.h"

namespace rl4 {

// The main window's store button `cmddemstore`. It is offered only while the matrix may hold a routing
// that it has not stored yet: a download that sent something and a recall enable it, the matrix's answer to
// a store disables it.
class StoreButton {
public:
    explicit StoreButton(SheetListener& listener) : listener_(listener) {}

    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled) {
        if (enabled == enabled_)
            return;
        enabled_ = enabled;
        listener_.storeButtonChanged(enabled);
    }

private:
    SheetListener& listener_;
    bool enabled_ = true;
};

} // namespace rl4

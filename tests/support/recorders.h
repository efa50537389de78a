#pragma once

#include "link/link_listener.h"
#include "link/reply_rules.h"

#include <optional>
#include <string>
#include <vector>

namespace rl4::test {

// Reply rules that write down every effect handed to them, one line each.
class RecordingRules : public ReplyRules {
public:
    void routingReport(Layer layer, int output, int input) override;
    void vcaReport(int output, int level) override;
    void gainReport(int level, std::optional<bool> balanced) override;
    void inputModeReport(bool balanced) override;
    void vcaSetupReport(int value) override;
    void storeReport() override;

    std::vector<std::string> effects;
};

// A link listener that keeps what it is told.
class RecordingLinkListener : public LinkListener {
public:
    void historyRowAdded(const HistoryRow& row) override { rows.push_back(row); }
    void onLineChanged(bool onLine) override { onLineChanges.push_back(onLine); }
    void portSearchStarted() override { searchEvents.push_back("start"); }
    void portSearchProgress(int port) override { searchEvents.push_back(std::to_string(port)); }
    void portSearchFinished() override { searchEvents.push_back("end"); }

    std::vector<HistoryRow> rows;
    std::vector<bool> onLineChanges;
    std::vector<std::string> searchEvents;
};

} // namespace rl4::test

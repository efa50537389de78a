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
    void routingReport(Layer layer, int output, int input) override {
        static const char* const names[] = {"video", "audio", "rgb", "yc"};
        note(names[layerIndex(layer)], output, input);
    }
    void vcaReport(int output, int level) override { note("vca", output, level); }
    void gainReport(int level, std::optional<bool> balanced) override {
        const char* mode = !balanced ? "" : *balanced ? " balanced" : " unbalanced";
        effects.push_back("gain " + std::to_string(level) + mode);
    }
    void inputModeReport(bool balanced) override {
        effects.push_back(balanced ? "mode balanced" : "mode unbalanced");
    }
    void vcaSetupReport(int value) override { effects.push_back("vcasetup " + std::to_string(value)); }
    void storeReport() override { effects.push_back("store"); }

    std::vector<std::string> effects;

private:
    void note(const std::string& what, int a, int b) {
        effects.push_back(what + " " + std::to_string(a) + " " + std::to_string(b));
    }
};

// A link listener that keeps what it is told.
class RecordingLinkListener : public LinkListener {
public:
    void historyRowAdded(const HistoryRow& row) override { rows.push_back(row); }
    void onLineChanged(bool onLine) override { onLineChanges.push_back(onLine); }

    std::vector<HistoryRow> rows;
    std::vector<bool> onLineChanges;
};

} // namespace rl4::test

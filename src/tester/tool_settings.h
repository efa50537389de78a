#pragma once

#include "tester/function_table.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rl4::tester {

// The tool's settings, kept in protocol.set in its folder: one decimal number a line, in the order of the
// members. The initial values are those of a first start.
struct ToolSettings {
    static constexpr const char* kFileName = "protocol.set";

    int portNumber = 2;
    int functionIndex = 0;
    int layerIndex = 0;
    int valueIndex = 0;
    int channelIndex = 0;
    int hexDisplay = 1;
    int audioMonitor = 0;
    int videoInputs = 64;
    int videoOutputs = 64;
    int audioInputs = 64;
    int audioOutputs = 64;
    int rgbInputs = 8;
    int rgbOutputs = 8;
    int ycInputs = 8;
    int ycOutputs = 8;

    LayerSizes layerSizes() const;

    std::vector<std::string> lines() const;
    // Lines that are missing or hold no number keep their initial value; blanks around a number are
    // allowed, as a number written with a sign place is " 2".
    static ToolSettings fromLines(const std::vector<std::string>& lines);
};

struct SettingsReading {
    ToolSettings settings;
    // Empty unless the file was missing and could not be created: the system's reason.
    std::string writeError;
    // The bytes of a file too large to be a settings file that were left unread.
    std::uintmax_t skippedBytes = 0;
};

// The settings of the folder. A missing file is created at once with the initial values.
SettingsReading ReadToolSettings(const std::string& folder);

// Creates or replaces protocol.set. Empty on success, else the system's reason.
std::string WriteToolSettings(const std::string& folder, const ToolSettings& settings);

std::string settingsPath(const std::string& folder);

} // namespace rl4::tester

#pragma once

#include "link/layer.h"

#include <optional>
#include <string>

namespace rl4 {

// The exit status of routelane4ctl, which the control socket answers too.
enum ExitCode { kDone = 0, kNotFound = 1, kNoAnswer = 2, kUsageError = 64, kFileError = 66 };

// A whole decimal number in [low, high], or nothing.
std::optional<int> parseNumber(const std::string& text, int low, int high);

// The layer names the commands take and print: video, audio, rgb, yc.
const char* layerName(Layer layer);
std::optional<Layer> layerNamed(const std::string& name);

} // namespace rl4

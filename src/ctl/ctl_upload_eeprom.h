#pragma once

#include "engine/engine.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace rl4 {

// routelane4ctl upload-eeprom [--yes] [--image FILE].
struct UploadEepromRequest {
    // Answers Yes to both questions of the upload; without it the upload asks and is answered No.
    bool yes = false;
    // Writes the image the upload would leave in the matrix, and sends nothing.
    std::optional<std::string> image;
    std::string error;
};
UploadEepromRequest parseUploadEeprom(const std::vector<std::string>& args);

// The image of the engine's active assignment in the protocol length in force, as text: one line of 32
// bytes in hexadecimal per EEPROM line, 0xFF where the upload writes nothing. Returns the reason when the
// file cannot be written.
std::string writeUploadImage(Engine& engine, const std::string& path);

// The upload's percentage on one line of a terminal, each new text over the last; the end report's text
// ends the line.
class UploadProgressLine {
public:
    explicit UploadProgressLine(std::ostream& out) : out_(out) {}

    void running(bool running);
    void show(const std::string& text);

private:
    std::ostream& out_;
    bool running_ = false;
    bool ended_ = false;
    std::string shown_;
    std::size_t widest_ = 0;
};

} // namespace rl4

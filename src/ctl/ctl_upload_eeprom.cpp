#include "ctl/ctl_upload_eeprom.h"

#include "eeprom/eeprom_image.h"
#include "platform/text_file.h"

#include <ostream>

namespace rl4 {

UploadEepromRequest parseUploadEeprom(const std::vector<std::string>& args) {
    UploadEepromRequest request;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--yes") {
            request.yes = true;
        } else if (args[i] == "--image" && i + 1 < args.size() && !args[i + 1].empty()) {
            request.image = args[++i];
        } else {
            request.error = args[i] == "--image" ? "--image needs a file name"
                                                 : "upload-eeprom takes only --yes and --image FILE";
            return request;
        }
    }
    return request;
}

std::string writeUploadImage(Engine& engine, const std::string& path) {
    const EepromUpload upload =
        buildEepromUpload(engine.assignments(), engine.link().protocolLength(), engine.messages());
    return writeTextLines(path, eepromImageText(eepromImage(upload)));
}

void UploadProgressLine::running(bool running) {
    running_ = running;
    ended_ = !running;
}

// Blanks cover what is left of a longer text before it: "EEPROM error" over "99% EEprom written".
void UploadProgressLine::show(const std::string& text) {
    if (text.empty() || (text == shown_ && !ended_) || (!running_ && !ended_))
        return;
    shown_ = text;
    widest_ = std::max(widest_, text.size());
    out_ << '\r' << text << std::string(widest_ - text.size(), ' ');
    if (ended_) {
        out_ << '\n';
        ended_ = false;
    }
    out_.flush();
}

} // namespace rl4

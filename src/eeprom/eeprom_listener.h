#pragma once

namespace rl4 {

// What the EEPROM upload tells the windows: its progress window is drawn from EepromUploader::window().
// Every notice has an empty default.
class EepromListener {
public:
    virtual ~EepromListener() = default;

    // The progress window `frmloadeeprom` is to be shown and raised.
    virtual void eepromWindowShown() {}
    // Its controls changed. The upload holds the event loop from its first message to its end report: a
    // window lets the others paint here, and takes no input.
    virtual void eepromWindowChanged() {}
    // Messages go out from now on (true), or the last one has been answered (false, before the end report).
    virtual void eepromUploadRunning(bool /*running*/) {}
};

} // namespace rl4

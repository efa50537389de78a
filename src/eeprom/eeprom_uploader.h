#pragma once

#include "assign/assignments.h"
#include "eeprom/eeprom_dump.h"
#include "eeprom/eeprom_listener.h"
#include "eeprom/eeprom_upload.h"
#include "link/history_model.h"
#include "link/link.h"
#include "text/message_table.h"
#include "text/prompt.h"

#include <string>
#include <vector>

namespace rl4 {

// What the progress window `frmloadeeprom` shows. Each bar runs from its minimum to its maximum.
struct EepromWindowState {
    bool open = false;
    int proeeprom = 0;
    int proeepromMax = 0;
    int protexte = 0;
    int protexteMin = 0;
    int protexteMax = 0;
    std::string pourcenteeprom;
    std::string lblprotexte;
    std::string lblproeeprom;
    std::string lblloadeeprom;
};

enum class UploadOutcome {
    Refused,   // a question was answered otherwise than Yes, or another long operation held the link
    Succeeded, // "Upload successful"
    Failed,    // "ERROR on Upload procedure"
};

// The upload of the active assignment into the matrix's EEPROM, one message and one answer per byte.
// The messages come from buildEepromUpload; this sends them in order, shows each one's progress, and tells
// the operator how it went. It runs to its end: stopping halfway would leave the matrix's own panel with a
// broken table, so a message that gets no recognised answer only makes the run fail, and the rest is
// written all the same.
class EepromUploader {
public:
    EepromUploader(const Assignments& assignments, Link& link, MessageTable& messages, Prompt& prompt,
                   HistoryModel& history, EepromListener& listener);
    EepromUploader(const EepromUploader&) = delete;
    EepromUploader& operator=(const EepromUploader&) = delete;

    // The two questions, the run in the protocol length in force, then the end report. The progress window
    // opens after the first Yes and stays open when the run is over.
    UploadOutcome UploadEeprom();

    const EepromWindowState& window() const { return window_; }
    // The dump list `lbloadeeprom` of a 4-byte run: the column header, then one entry per line written.
    // It keeps the last 4-byte run's entries while the window stays open.
    const std::vector<std::string>& lbloadeeprom() const { return dump_.lbloadeeprom(); }
    // The operator closed the progress window: the next upload opens an empty one.
    void frmloadeeprom_Close() { window_.open = false; }

    // Of the last run: the messages sent, and those whose answer was missing or not recognised.
    int messagesSent() const { return sent_; }
    int messagesFailed() const { return failed_; }

private:
    bool ask(int message);
    void frmloadeeprom_Load();
    void run(const EepromUpload& upload);
    void show(const EepromUpload& upload, const EepromProgress& progress);
    bool send(const EepromMessage& message);
    void endReport();

    const Assignments& assignments_;
    Link& link_;
    MessageTable& messages_;
    Prompt& prompt_;
    HistoryModel& history_;
    EepromListener& listener_;
    EepromWindowState window_;
    EepromDump dump_;
    bool uploadOk_ = true;
    int sent_ = 0;
    int failed_ = 0;
};

} // namespace rl4

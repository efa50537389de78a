#pragma once

#include "link/history_row.h"
#include "link/link_listener.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace rl4 {

// History rows as CSV, for a spreadsheet or a script: one header line, then one line per frame, oldest
// first, columns time, sent, received, instruction, object, in, out, ms. Both the frame log and the history
// window's export write this form, Windows-1252 with CR LF line ends like the program's other files.

// A field as CSV needs it: quoted when it holds a comma, a quote or a line end, or starts or ends with a
// blank (the number columns start with one, which spreadsheets would drop); quotes inside are doubled.
std::string csvField(std::string_view text);
// The fields joined by commas, without a line end.
std::string csvLine(const std::vector<std::string>& fields);

std::string historyCsvHeader();
std::string historyCsvLine(const HistoryRow& row);

// `--log FILE`: every history row the link makes, appended to FILE as it comes, whether the history window
// is open or not. Each row goes to the system in one write of its own, so a crash of the program loses none
// of them; the header is written only to an empty file, so that runs after runs make one table.
class FrameLog : public LinkListener {
public:
    // Nothing, and the reason in `error`, when the file cannot be opened for writing.
    static std::unique_ptr<FrameLog> open(const std::string& path, std::string& error);
    ~FrameLog() override;
    FrameLog(const FrameLog&) = delete;
    FrameLog& operator=(const FrameLog&) = delete;

    void historyRowAdded(const HistoryRow& row) override;

    const std::string& path() const { return path_; }
    // The first failed write (a full disk, a file system gone read-only), in the system's words; empty while
    // every row went out.
    const std::string& writeError() const { return writeError_; }

private:
    FrameLog(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
    bool writeLine(const std::string& line);

    std::string path_;
    int fd_;
    std::string writeError_;
};

} // namespace rl4

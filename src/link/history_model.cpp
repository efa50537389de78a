#include "link/history_model.h"

#include "link/history_csv.h"
#include "platform/text_file.h"

#include <cstdio>

namespace rl4 {

namespace {

constexpr int kMessageSent = 67;
constexpr int kMessageSimulated = 68;
constexpr int kMessageCaptionNoMatrix = 69;
constexpr int kMessageReceived = 70;
constexpr int kMessageCaption = 71;
constexpr int kMessageLayer = 72;

// Marks the frame columns as hexadecimal.
constexpr const char* kHexMark = "(h)";

// The "n" column counts down the rows left before the list is cleared, always in two digits.
std::string rowsLeftText(int rowsLeft) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", rowsLeft);
    return text;
}

} // namespace

HistoryModel::HistoryModel(Link& link, MessageTable& messages, PlaceKeeper& place, LinkListener& listener)
    : link_(link), messages_(messages), keptPlace_(place), listener_(listener) {}

void HistoryModel::frmhisto_Load() {
    MessageTable& messages = messages_;
    const bool portOpen = link_.portNumber() != 0;
    place_ = keptPlace_.keptPlace();
    columns_ = {
        {messages.text(kMessageSent) + kHexMark, 1300},
        {messages.text(portOpen ? kMessageReceived : kMessageSimulated) + kHexMark, 1300},
        {"Instr", 600},
        {messages.text(kMessageLayer), 600},
        {"In", 500},
        {"Out", 600},
        {"Time", 850},
        {"mS", 570},
        {"n", 500},
    };
    caption_ = messages.text(portOpen ? kMessageCaption : kMessageCaptionNoMatrix);
    open_ = true;
    link_.setHistoryOpen(true);
    changed();
    listener_.menuChecksChanged();
}

void HistoryModel::frmhisto_Close() {
    open_ = false;
    link_.setHistoryOpen(false);
    rows_.clear();
    changed();
    listener_.menuChecksChanged();
}

void HistoryModel::frmhisto_Move(WindowPlace place) {
    place_ = place;
}

void HistoryModel::frmhisto_Placed(WindowPlace place) {
    place_ = place;
    keptPlace_.placed(place);
}

void HistoryModel::AddHistoryRow(const HistoryRow& row) {
    if (!open_)
        return;
    if (static_cast<int>(rows_.size()) >= kHistoryMaxRows)
        rows_.clear();
    // With no row before it, a frame counts as the start of a new exchange.
    if (!previousRowMicros_ || row.atMicros - *previousRowMicros_ > kHistoryGroupMicros)
        colour_ = colour_ == kHistoryColourOne ? kHistoryColourTwo : kHistoryColourOne;
    previousRowMicros_ = row.atMicros;

    HistoryLine line;
    line.cells = {row.sent, row.received, row.instr,     row.object,
                  row.in,   row.out,      row.timeOfDay, std::to_string(row.responseMs),
                  ""};
    line.background = colour_;
    line.text = row.recognised ? kBlack : kUnrecognisedRowText;
    rows_.insert(rows_.begin(), std::move(line));
    rows_.front().cells.back() = rowsLeftText(kHistoryMaxRows + 1 - static_cast<int>(rows_.size()));
    changed();
}

void HistoryModel::cmdclrhisto_Click() {
    rows_.clear();
    changed();
}

std::vector<std::string> HistoryModel::csvLines() const {
    enum Cell { Sent, Received, Instr, Object, In, Out, Time, Ms };
    std::vector<std::string> lines{historyCsvHeader()};
    for (auto line = rows_.rbegin(); line != rows_.rend(); ++line) {
        const auto& c = line->cells;
        lines.push_back(csvLine({c[Time], c[Sent], c[Received], c[Instr], c[Object], c[In], c[Out], c[Ms]}));
    }
    return lines;
}

void HistoryModel::cmdexporthisto_Click(Prompt& prompt) {
    const std::string path =
        prompt.saveFileDialog(messages_.text(kCaptionHistoryExportTitle), "CSV|*.csv", "csv", "history.csv");
    if (path.empty())
        return;
    const std::string reason = writeTextLines(path, csvLines());
    if (!reason.empty())
        prompt.messageBox(messages_.fileProblem(kMessageCannotWrite, path, reason), PromptButtons::Ok, "",
                          PromptIcon::Exclamation);
}

void HistoryModel::changed() {
    listener_.historyModelChanged();
}

} // namespace rl4

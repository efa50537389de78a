#pragma once

#include "link/history_row.h"
#include "link/link.h"
#include "link/link_listener.h"
#include "text/message_table.h"
#include "text/prompt.h"
#include "text/rgb_colour.h"
#include "text/window_place.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rl4 {

// Rows share a background while they come close together, so one exchange reads as one block.
inline constexpr RgbColour kHistoryColourOne{255, 220, 220};
inline constexpr RgbColour kHistoryColourTwo{220, 192, 192};
inline constexpr std::int64_t kHistoryGroupMicros = 200'000;
inline constexpr RgbColour kUnrecognisedRowText{255, 0, 0};
// The list never holds more rows than this: the next one clears it.
inline constexpr int kHistoryMaxRows = 99;
inline constexpr int kHistoryColumnCount = 9;

struct HistoryColumn {
    std::string header;
    int widthTwips = 0;
};

// One row of `lvhisto` as it is drawn: Sent, Received, Instr, Layer, In, Out, Time, mS, n.
struct HistoryLine {
    std::array<std::string, kHistoryColumnCount> cells;
    RgbColour background = kHistoryColourOne;
    RgbColour text = kBlack;
};

// The history window `frmhisto`: the last frames exchanged with the matrix, newest first. The window feeds
// it the link's rows (LinkListener::historyRowAdded) and draws what it holds; the link records rows only
// while the window is open.
class HistoryModel {
public:
    HistoryModel(Link& link, MessageTable& messages, PlaceKeeper& place, LinkListener& listener);

    // Opens at the kept place, with the columns and caption of the link as it stands.
    void frmhisto_Load();
    // Closing discards the rows.
    void frmhisto_Close();
    // The window stands at `place` now (twips); the workspace keeps it while the window is open.
    void frmhisto_Move(WindowPlace place);
    // The window opened elsewhere than its kept place (none kept, or out of sight): the new place is kept.
    void frmhisto_Placed(WindowPlace place);
    bool isOpen() const { return open_; }
    const WindowPlace& place() const { return place_; }

    void AddHistoryRow(const HistoryRow& row);
    void cmdclrhisto_Click();
    // The rows in the frame log's CSV form (history_csv.h): header, then oldest first.
    std::vector<std::string> csvLines() const;
    // "Export...": asks for a file and writes csvLines() there; a file that cannot be written is said.
    void cmdexporthisto_Click(Prompt& prompt);

    const std::string& caption() const { return caption_; }
    const std::vector<HistoryColumn>& columns() const { return columns_; }
    // Newest first.
    const std::vector<HistoryLine>& rows() const { return rows_; }

private:
    void changed();

    Link& link_;
    MessageTable& messages_;
    PlaceKeeper& keptPlace_;
    LinkListener& listener_;
    bool open_ = false;
    WindowPlace place_;
    std::string caption_;
    std::vector<HistoryColumn> columns_;
    std::vector<HistoryLine> rows_;
    // Kept while the window is closed, as the colour of the last row ever shown.
    RgbColour colour_ = kHistoryColourOne;
    std::optional<std::int64_t> previousRowMicros_;
};

} // namespace rl4

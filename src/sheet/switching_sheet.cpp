#include "sheet/switching_sheet.h"

#include "text/number_text.h"

#include <algorithm>
#include <cmath>

namespace rl4 {

namespace {

constexpr int kSelWidth = 800;
constexpr int kColumnWidth = 2000;

// The list's height follows the rows up to what the window has room for below its other controls.
constexpr int kRowPixels = 17;
constexpr int kHeaderPixels = 21;
constexpr int kWindowChromeTwips = 1800;
constexpr int kRowTwips = 255;

constexpr int kKeyLeft = 37;
constexpr int kKeyRight = 39;
constexpr int kCharPlus = '+';
constexpr int kCharMinus = '-';
constexpr int kListPageStep = 8;

const char* sourceHeader(Layer layer) {
    switch (layer) {
    case Layer::Video:
        return "Source Video";
    case Layer::Audio:
        return "Source Audio";
    case Layer::Rgb:
        return "Source RGB";
    case Layer::Yc:
        break;
    }
    return "Source YC-YUV";
}

int selFlag(bool checked) {
    return checked ? -1 : 0;
}

} // namespace

SwitchingSheet::SwitchingSheet(Assignments& assignments, const RoutingTable& routing, SheetListener& listener)
    : assignments_(assignments), table_(assignments.activeTable), routing_(routing), listener_(listener) {}

int SwitchingSheet::destinationCount() const {
    return std::clamp(table_.destinationCount, 0, kMaxObjects);
}

void SwitchingSheet::BuildSheetColumns() {
    columns_.clear();
    columns_.push_back({"Sel", kSelWidth, std::nullopt});
    columns_.push_back({"Destination", kColumnWidth, std::nullopt});
    for (Layer layer : kLayers) {
        if (assignments_.layerUsed[layerIndex(layer)])
            columns_.push_back({sourceHeader(layer), kColumnWidth, layer});
    }
    listener_.sheetColumnsChanged();
}

std::string SwitchingSheet::sourceCell(int source) const {
    if (source == 0)
        return kNoSourceCell;
    if (source < 1 || source > kMaxObjects)
        return kUnknownSourceCell;
    return table_.sources[static_cast<std::size_t>(source)].name;
}

// Source cells follow the column set, so that rows and headers always agree even when the used layers
// changed since the columns were built.
std::vector<std::string>
SwitchingSheet::cells(int d, const std::array<RoutingTable::PerDestination, 4>& sources) const {
    const auto index = static_cast<std::size_t>(d);
    std::vector<std::string> result{numberText(d), table_.destinations[index].name};
    for (const SheetColumn& column : columns_) {
        if (!column.layer)
            continue;
        // A destination without an output on the layer can hold nothing there: its cell stays empty rather
        // than showing the unknown mark of an output that was never read.
        if (table_.destinations[index].output(*column.layer) == NotAssigned)
            result.emplace_back(kNoSourceCell);
        else
            result.push_back(sourceCell(sources[static_cast<std::size_t>(layerIndex(*column.layer))][index]));
    }
    return result;
}

void SwitchingSheet::FillSheet() {
    showAllChecked_ = showAll_;
    sheetResized_ = false;
    rows_.clear();
    for (int d = 1; d <= destinationCount(); ++d) {
        const int sel = table_.destinations[static_cast<std::size_t>(d)].Shw;
        if (!showAll_ && sel == 0)
            continue;
        SheetRow row;
        row.destination = d;
        row.cells = cells(d, routing_.wantedSource);
        row.checked = sel != 0;
        if (d == currentDestination_)
            row.background = kCurrentRowBackground;
        rows_.push_back(std::move(row));
    }

    const int shown = static_cast<int>(rows_.size());
    const auto visible = static_cast<int>(
        std::lround((static_cast<double>(windowHeightTwips_) - kWindowChromeTwips) / kRowTwips));
    // A window too short for its other controls leaves no room for the list at all.
    listHeightPixels_ = std::max(0, kRowPixels * std::min(shown, visible) + kHeaderPixels);
    listener_.sheetFilled();
}

void SwitchingSheet::HighlightCurrentRow() {
    for (SheetRow& row : rows_) {
        row.text = kBlack;
        row.background = row.destination == currentDestination_ ? kCurrentRowBackground : kWhite;
    }
    listener_.currentRowChanged();
}

void SwitchingSheet::UpdateSheetRow(int d, int s) {
    const auto found =
        std::find_if(rows_.begin(), rows_.end(), [d](const SheetRow& row) { return row.destination == d; });
    if (found == rows_.end())
        return;
    found->cells = cells(d, routing_.matrixSource);
    found->text = kReportedRowText;
    listener_.sheetRowChanged(d);
    if (d == currentDestination_)
        listener_.switcherFollowReport(d, s);
}

void SwitchingSheet::setShowAll(bool all) {
    showAll_ = all;
    FillSheet();
}

void SwitchingSheet::SelectAllRows(bool flag) {
    for (SheetRow& row : rows_) {
        table_.destinations[static_cast<std::size_t>(row.destination)].Shw = selFlag(flag);
        row.checked = flag;
    }
    assignments_.setAssignmentsChanged(true);
    listener_.sheetChecksChanged();
}

bool SwitchingSheet::lvcom_ItemClick(int row) {
    if (!validRow(row))
        return false;
    const int d = rows_[static_cast<std::size_t>(row)].destination;
    if (d == currentDestination_)
        return false;
    currentDestination_ = d;
    HighlightCurrentRow();
    return true;
}

void SwitchingSheet::setRowChecked(int row, bool checked) {
    if (validRow(row))
        rows_[static_cast<std::size_t>(row)].checked = checked;
}

void SwitchingSheet::SyncChecks() {
    sheetClicked_ = false;
    for (const SheetRow& row : rows_) {
        int& sel = table_.destinations[static_cast<std::size_t>(row.destination)].Shw;
        if (sel != selFlag(row.checked)) {
            sel = selFlag(row.checked);
            assignments_.setAssignmentsChanged(true);
        }
    }
}

SourceStep SwitchingSheet::lvcom_KeyDown(int keyCode) const {
    if (keyCode == kKeyLeft)
        return SourceStep::Previous;
    if (keyCode == kKeyRight)
        return SourceStep::Next;
    return SourceStep::None;
}

// ",", ".", "/" and "0" fall between "+" and "9" but name no position, so they leave the list alone.
std::optional<int> SwitchingSheet::lvcom_KeyPress(int charCode, const AllLayersList& list) const {
    if (!list.open || list.count <= 0)
        return std::nullopt;
    int position = 0;
    if (charCode == kCharPlus)
        position = list.index + kListPageStep;
    else if (charCode == kCharMinus)
        position = std::max(0, list.index - kListPageStep);
    else if (charCode >= '1' && charCode <= '9')
        position = charCode - '1';
    else
        return std::nullopt;
    if (position < 0 || position >= list.count)
        position = 0;
    return position;
}

void SwitchingSheet::frm1_ReSize(int windowHeightTwips) {
    windowHeightTwips_ = windowHeightTwips;
    sheetResized_ = true;
}

} // namespace rl4

#include "sheet/port_map_model.h"

#include "platform/port_map_file.h"
#include "text/number_text.h"

#include <tuple>
#include <utility>

namespace rl4 {

namespace {

std::vector<std::string> cells(const std::string& line) {
    std::vector<std::string> split;
    std::size_t start = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start)) {
        split.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    split.push_back(line.substr(start));
    return split;
}

} // namespace

PortMapModel::PortMapModel(std::string folder, MessageTable& messages, SerialDeviceSource devices)
    : folder_(std::move(folder)), messages_(messages), devices_(std::move(devices)) {}

void PortMapModel::load(int chosen) {
    message_.clear();
    problem_ = false;
    listDevices();
    choosePort(chosen >= PortMap::kFirstMapped && chosen <= PortMap::kLastMapped ? chosen : chosenPort_);
}

void PortMapModel::relist() {
    const auto before = std::tuple(table(PortTextLanguage::English), foundTargets_, listingError_);
    listDevices();
    if (std::tuple(table(PortTextLanguage::English), foundTargets_, listingError_) != before)
        changed();
}

void PortMapModel::rowClicked(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size())
        return;
    const PortRow& picked = rows_[static_cast<std::size_t>(row)];
    if (picked.number != 0) {
        choosePort(picked.number);
        return;
    }
    target_ = lastingDevicePath(picked.target);
    changed();
}

void PortMapModel::choosePort(int number) {
    if (number < PortMap::kFirstMapped || number > PortMap::kLastMapped)
        return;
    chosenPort_ = number;
    target_ = rows_.empty() ? "" : rows_[static_cast<std::size_t>(number - PortMap::kFirstMapped)].target;
    changed();
}

bool PortMapModel::cmdportmap_Click() {
    const PortMappingResult result = writePortMapping(folder_, chosenPort_, target_);
    message_ = result.describe(language());
    problem_ = !result.done();
    if (result.done()) {
        target_ = result.target;
        if (mapped_)
            mapped_(result.number, result.target);
        listDevices();
    }
    changed();
    return result.done();
}

std::vector<std::string> PortMapModel::heading() const {
    return cells(formatPortTable({}, language()).front());
}

std::vector<std::vector<std::string>> PortMapModel::rows() const {
    return table(language());
}

std::string PortMapModel::chosenCaption() const {
    messages_.MessageText(kCaptionPortToMap);
    return messages_.part(TextPart::A) + numberText(chosenPort_) + messages_.part(TextPart::B);
}

std::vector<std::vector<std::string>> PortMapModel::table(PortTextLanguage language) const {
    const std::vector<std::string> lines = formatPortTable(rows_, language);
    std::vector<std::vector<std::string>> split;
    for (auto line = lines.begin() + 1; line != lines.end(); ++line)
        split.push_back(cells(*line));
    return split;
}

PortTextLanguage PortMapModel::language() const {
    return messages_.language() == kLanguageFrench ? PortTextLanguage::French : PortTextLanguage::English;
}

void PortMapModel::listDevices() {
    const SerialDeviceListing listing = devices_();
    rows_ = portTable(PortMap::load(folder_), listing.devices);
    foundTargets_.clear();
    for (const SerialDevice& device : listing.devices)
        foundTargets_.push_back(lastingDevicePath(device.path));
    listingError_ = listing.error;
}

std::string PortMapModel::message() const {
    if (!message_.empty() || listingError_.empty())
        return message_;
    return messages_.text(kMessageDeviceListingFailed) + listingError_;
}

void PortMapModel::changed() {
    if (listener_)
        listener_->configDialogChanged();
}

} // namespace rl4

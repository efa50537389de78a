#include "sheet/switcher_model.h"

#include "text/number_text.h"

#include <algorithm>

namespace rl4 {

namespace {

constexpr int kMessageSwitchHere = 22;
constexpr int kMessageAllLayers = 23;
constexpr int kMessageVideo = 24;
constexpr int kMessageNext = 25;
constexpr int kMessagePrevious = 26;
constexpr int kMessageAudio = 27;
constexpr int kMessageRgb = 28;
constexpr int kMessageYc = 29;

// Between the number and the name, so that names line up under each other in the list.
constexpr const char* kEntryGap = "    ";

bool validIndex(const SwitcherList& list, int index) {
    return index >= 0 && index < static_cast<int>(list.entries.size());
}

// The entry showing `source`, or -1.
int entryOf(const SwitcherList& list, int source) {
    const auto found = std::ranges::find(list.entries, source, &SwitcherEntry::source);
    return found == list.entries.end() ? -1 : static_cast<int>(found - list.entries.begin());
}

void selectIfPresent(SwitcherList& list, int source) {
    const int found = entryOf(list, source);
    if (found >= 0)
        list.index = found;
}

bool inTable(int number) {
    return number >= 0 && number <= kMaxObjects;
}

struct LayerColours {
    RgbColour label;
    RgbColour list;
};

// Each usable layer has its own colours, so the operator tells the layers apart at a glance.
LayerColours usableLayerColours(Layer layer) {
    switch (layer) {
    case Layer::Video:
        return {{0, 255, 0}, {192, 220, 192}};
    case Layer::Audio:
        return {{255, 255, 0}, {220, 220, 192}};
    case Layer::Rgb:
        return {{255, 0, 0}, {220, 192, 192}};
    case Layer::Yc:
        break;
    }
    return {{0, 0, 255}, {192, 192, 220}};
}

} // namespace

SwitcherModel::SwitcherModel(SwitchingSheet& sheet, const AssignmentTable& activeTable, RoutingTable& routing,
                             RoutingCommands& routingCommands, MessageTable& messages, PlaceKeeper& place,
                             SheetListener& listener)
    : sheet_(sheet), table_(activeTable), routing_(routing), routingCommands_(routingCommands),
      messages_(messages), keptPlace_(place), listener_(listener) {}

void SwitcherModel::frmcommutation_Load() {
    place_ = keptPlace_.keptPlace();
    open_ = true;
    RefreshSwitcher();
    listener_.menuChecksChanged();
}

void SwitcherModel::frmcommutation_Close() {
    open_ = false;
    changed();
    listener_.menuChecksChanged();
}

void SwitcherModel::frmcommutation_Move(WindowPlace place) {
    place_ = place;
}

void SwitcherModel::frmcommutation_Placed(WindowPlace place) {
    place_ = place;
    keptPlace_.placed(place);
}

void SwitcherModel::RefreshSwitcher() {
    const int d = sheet_.currentDestination();
    lblcommutation_ = destinationName(d);
    all_ = SwitcherList{};
    layers_.fill(SwitcherList{});
    labels_.fill(kUnusableLayerLabel);
    if (inTable(d)) {
        const AssignmentTable& table = table_;
        const Destination& destination = table.destinations[static_cast<std::size_t>(d)];
        for (int s = 1; s <= usableCount(table.sourceCount); ++s) {
            const Source& source = table.sources[static_cast<std::size_t>(s)];
            bool listedForAllLayers = false;
            for (Layer layer : kLayers) {
                if (destination.output(layer) == NotAssigned || source.input(layer) == NotAssigned)
                    continue;
                const SwitcherEntry entry{s, field3(s) + kEntryGap + source.name};
                const bool wanted = routing_.wanted(layer, d) == s;
                SwitcherList& list = layers_[index(layer)];
                const LayerColours colours = usableLayerColours(layer);
                list.enabled = true;
                list.background = colours.list;
                labels_[index(layer)] = colours.label;
                if (wanted)
                    list.index = static_cast<int>(list.entries.size());
                list.entries.push_back(entry);
                // The all-layers list shows a source once, selected only for the wanted source of the first
                // layer that lists it.
                if (!listedForAllLayers) {
                    listedForAllLayers = true;
                    all_.enabled = true;
                    if (wanted)
                        all_.index = static_cast<int>(all_.entries.size());
                    all_.entries.push_back(entry);
                }
            }
        }
    }
    changed();
}

void SwitcherModel::cbcommutation_Click(int index) {
    if (!validIndex(all_, index))
        return;
    all_.index = index;
    switchAllLayers();
    changed();
}

void SwitcherModel::cbcommutvideo_Click(int index) {
    layerClick(Layer::Video, index);
}

void SwitcherModel::cbcommutaudio_Click(int index) {
    layerClick(Layer::Audio, index);
}

void SwitcherModel::cbcommutrgb_Click(int index) {
    layerClick(Layer::Rgb, index);
}

void SwitcherModel::cbcommutyc_Click(int index) {
    layerClick(Layer::Yc, index);
}

void SwitcherModel::layerClick(Layer layer, int entry) {
    SwitcherList& list = layers_[index(layer)];
    if (!validIndex(list, entry))
        return;
    list.index = entry;
    switchTo(list.entries[static_cast<std::size_t>(entry)].source, std::span<const Layer>(&layer, 1));
    changed();
}

void SwitcherModel::cmdcommutdec_Click() {
    step(-1);
}

void SwitcherModel::cmdcommutinc_Click() {
    step(1);
}

void SwitcherModel::step(int delta) {
    if (!open_ || all_.entries.empty())
        return;
    const int count = static_cast<int>(all_.entries.size());
    int next = all_.index + delta;
    if (next < 0)
        next = count - 1;
    else if (next >= count)
        next = 0;
    all_.index = next;
    switchAllLayers();
    changed();
}

void SwitcherModel::switchAllLayers() {
    if (validIndex(all_, all_.index))
        switchTo(all_.entries[static_cast<std::size_t>(all_.index)].source, kLayers);
}

void SwitcherModel::switchTo(int source, std::span<const Layer> layers) {
    const int d = sheet_.currentDestination();
    if (!validDestination(d) || !inTable(source))
        return;
    const AssignmentTable& table = table_;
    const Destination& destination = table.destinations[static_cast<std::size_t>(d)];
    const Source& picked = table.sources[static_cast<std::size_t>(source)];
    for (Layer layer : layers) {
        if (destination.output(layer) != NotAssigned && picked.input(layer) != NotAssigned)
            routing_.wanted(layer, d) = source;
    }
    routingCommands_.DownloadRouting();
}

void SwitcherModel::switcherFollowReport(int d, int source) {
    if (!open_ || d != sheet_.currentDestination() || !inTable(d))
        return;
    for (Layer layer : kLayers)
        selectIfPresent(layers_[index(layer)], routing_.held(layer, d));
    selectIfPresent(all_, source);
    changed();
}

void SwitcherModel::lvcom_KeyDown(int keyCode) {
    switch (sheet_.lvcom_KeyDown(keyCode)) {
    case SourceStep::Previous:
        cmdcommutdec_Click();
        break;
    case SourceStep::Next:
        cmdcommutinc_Click();
        break;
    case SourceStep::None:
        break;
    }
}

void SwitcherModel::lvcom_KeyPress(int charCode) {
    const AllLayersList list{open_, all_.index, static_cast<int>(all_.entries.size())};
    const std::optional<int> position = sheet_.lvcom_KeyPress(charCode, list);
    if (!position)
        return;
    all_.index = *position;
    switchAllLayers();
    changed();
}

std::string SwitcherModel::frmcommutation_MouseMove(SwitcherControl control) {
    MessageTable& messages = messages_;
    switch (control) {
    case SwitcherControl::Background:
        return "";
    case SwitcherControl::lblcommutation:
        return messages.text(kMessageSwitchHere) + destinationName(sheet_.currentDestination()) + ".";
    case SwitcherControl::cbcommutation:
        return messages.text(kMessageAllLayers);
    case SwitcherControl::cbcommutvideo:
        return messages.text(kMessageVideo);
    case SwitcherControl::cbcommutaudio:
        return messages.text(kMessageAudio);
    case SwitcherControl::cbcommutrgb:
        return messages.text(kMessageRgb);
    case SwitcherControl::cbcommutyc:
        return messages.text(kMessageYc);
    case SwitcherControl::cmdcommutinc:
        return messages.text(kMessageNext);
    case SwitcherControl::cmdcommutdec:
        break;
    }
    return messages.text(kMessagePrevious);
}

bool SwitcherModel::validDestination(int d) const {
    return d >= 1 && d <= usableCount(table_.destinationCount);
}

std::string SwitcherModel::destinationName(int d) const {
    return inTable(d) ? table_.destinations[static_cast<std::size_t>(d)].name : "";
}

void SwitcherModel::changed() {
    listener_.switcherModelChanged();
}

} // namespace rl4

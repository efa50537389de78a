#include "sheet/routing_commands.h"

#include <algorithm>

namespace rl4 {

namespace {

constexpr int kMessageDisableAll = 17;

} // namespace

RoutingCommands::RoutingCommands(Link& link, const AssignmentTable& activeTable, RoutingTable& routing,
                                 MatrixSizes& sizes, StoreButton& storeButton, StatusReader& statusReader,
                                 MessageTable& messages, Prompt& prompt)
    : link_(link), table_(activeTable), routing_(routing), sizes_(sizes), storeButton_(storeButton),
      statusReader_(statusReader), messages_(messages), prompt_(prompt) {}

void RoutingCommands::sendSwitch(Layer layer, int output, int input) {
    const LayerCodes codes = layerCodes(layer);
    link_.SendCommand({codes.switchLetter, codes.switchCode, codes.switchMachine, output, input});
}

// Source 0 (no source) and the unknown mark have no input connector, so they are never sent: a route to
// nothing is made by the "Disconnect" source of the assignment, whose input is connector 0.
void RoutingCommands::DownloadRouting() {
    // Without a line each entry would be marked unknown for an answer that cannot come.
    if (link_.refuseWhileLineLost())
        return;
    const int destinations = std::clamp(table_.destinationCount, 0, kMaxObjects);
    const int sources = std::clamp(table_.sourceCount, 0, kMaxObjects);
    bool sent = false;
    for (int d = 1; d <= destinations; ++d) {
        for (Layer layer : kLayers) {
            const int s = routing_.wanted(layer, d);
            if (s == routing_.held(layer, d) || s < 1 || s > sources)
                continue;
            const int output = table_.destinations[static_cast<std::size_t>(d)].output(layer);
            const int input = table_.sources[static_cast<std::size_t>(s)].input(layer);
            if (output == NotAssigned || input == NotAssigned)
                continue;
            routing_.held(layer, d) = NotAssigned;
            routing_.wanted(layer, d) = NotAssigned;
            routing_.setConnexionsChanged(true);
            sent = true;
            sendSwitch(layer, output, input);
        }
    }
    if (sent)
        storeButton_.setEnabled(true);
}

void RoutingCommands::DisconnectAll() {
    if (link_.refuseWhileLineLost())
        return;
    if (prompt_.messageBox(messages_.text(kMessageDisableAll), PromptButtons::YesNo, kProgramTitle,
                           PromptIcon::None) != kAnswerYes)
        return;
    for (Layer layer : kLayers) {
        if (sizes_.out(layer) > 0)
            sendSwitch(layer, 0, 0);
    }
    statusReader_.ReadMatrixStatus();
}

} // namespace rl4

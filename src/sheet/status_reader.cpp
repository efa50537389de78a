#include "sheet/status_reader.h"

#include "text/number_text.h"

namespace rl4 {

namespace {

constexpr int kMessageReading = 4;
constexpr int kMessageReady = 5;
// A matrix never has this many outputs: one that answers them all is not read further.
constexpr int kLastOutputAsked = 130;

const char* progressText(Layer layer) {
    switch (layer) {
    case Layer::Video:
        return "Video";
    case Layer::Audio:
        return "Audio";
    case Layer::Rgb:
        return "R G B";
    case Layer::Yc:
        break;
    }
    return "S-Video";
}

} // namespace

StatusReader::StatusReader(Link& link, RoutingTable& routing, MatrixSizes& sizes, MessageTable& messages,
                           SheetListener& listener)
    : link_(link), routing_(routing), sizes_(sizes), messages_(messages), listener_(listener) {}

void StatusReader::ReadMatrixStatus() {
    // The sheet keeps what it shows rather than turn unknown for a reading that cannot be made.
    if (link_.refuseWhileLineLost())
        return;
    listener_.statusReadingStarted();
    listener_.statusTextChanged(messages_.text(kMessageReading));
    routing_.setConnexionsChanged(false);
    routing_.markAllUnknown();
    for (Layer layer : kLayers)
        sizes_.out(layer) = 0;

    for (Layer layer : kLayers) {
        lbllecture_ = progressText(layer);
        // A new layer starts from its first output, not where the previous layer stopped.
        prolecture_ = 0;
        listener_.statusReadingProgress(lbllecture_, prolecture_);
        const LayerCodes codes = layerCodes(layer);
        const int stoppedAt =
            ReadLayerStatus({codes.readLetter, codes.statusCode, codes.statusMachine, 0, 0});
        if (stoppedAt > 1)
            sizes_.out(layer) = stoppedAt - 1;
    }

    listener_.statusTextChanged(messages_.text(kMessageReady));
    listener_.statusReadingFinished();
}

void StatusReader::showAddress(const CommandParams& request) {
    listener_.statusTextChanged("mode=" + numberText(request.cmdLetter) +
                                " adr=" + numberText(request.cmdData1));
}

// Output 0 is asked first but whether it answers says nothing about the size: the walk goes on to output 1
// either way.
int StatusReader::ReadLayerStatus(CommandParams request) {
    request.cmdData1 = 0;
    request.cmdData2 = 0;
    showAddress(request);
    link_.SendCommand(request);
    bool answered = false;
    do {
        prolecture_ = request.cmdData1;
        listener_.statusReadingProgress(lbllecture_, prolecture_);
        ++request.cmdData1;
        showAddress(request);
        answered = !link_.SendCommand(request).replyError;
    } while (answered && request.cmdData1 < kLastOutputAsked);
    return request.cmdData1;
}

} // namespace rl4

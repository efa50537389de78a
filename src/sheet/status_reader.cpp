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

StatusReader::StatusReader(Link& link, RoutingTable& routing, MatrixSizes& sizes, bool& connexionsChanged,
                           MessageTable& messages, SheetListener& listener)
    : link_(link), routing_(routing), sizes_(sizes), connexionsChanged_(connexionsChanged),
      messages_(messages), listener_(listener) {}

void StatusReader::ReadMatrixStatus() {
    listener_.statusReadingStarted();
    listener_.statusTextChanged(messages_.text(kMessageReading));
    connexionsChanged_ = false;
    routing_.markAllUnknown();
    for (Layer layer : kLayers)
        sizes_.out(layer) = 0;

    for (Layer layer : kLayers) {
        lbllecture_ = progressText(layer);
        // A new layer starts from its first output, not where the previous layer stopped.
        prolecture_ = 0;
        listener_.statusReadingProgress(lbllecture_, prolecture_);
        const LayerCodes codes = layerCodes(layer);
        link_.cmd.cmdLetter = codes.readLetter;
        link_.cmd.cmdCode = codes.statusCode;
        link_.cmd.cmdMachine = codes.statusMachine;
        ReadLayerStatus();
        if (link_.cmd.cmdData1 > 1)
            sizes_.out(layer) = link_.cmd.cmdData1 - 1;
    }

    listener_.statusTextChanged(messages_.text(kMessageReady));
    listener_.statusReadingFinished();
}

void StatusReader::showAddress() {
    listener_.statusTextChanged("mode=" + numberText(link_.cmd.cmdLetter) +
                                " adr=" + numberText(link_.cmd.cmdData1));
}

// Output 0 is asked first but whether it answers says nothing about the size: the walk goes on to output 1
// either way.
void StatusReader::ReadLayerStatus() {
    link_.cmd.cmdData1 = 0;
    link_.cmd.cmdData2 = 0;
    showAddress();
    link_.SendCommand();
    do {
        prolecture_ = link_.cmd.cmdData1;
        listener_.statusReadingProgress(lbllecture_, prolecture_);
        ++link_.cmd.cmdData1;
        showAddress();
        link_.SendCommand();
    } while (!link_.replyError && link_.cmd.cmdData1 < kLastOutputAsked);
}

} // namespace rl4

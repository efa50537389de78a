#include "control/matrix_commands.h"

#include "control/command_words.h"
#include "platform/text_file.h"

namespace rl4 {

std::optional<int> MatrixCommands::run(const std::string& command, const std::vector<std::string>& args) {
    failedAtStatusReading_.reset();
    if (command == "identify")
        return args.empty() ? identify() : host_.fail(kUsageError, "identify takes no arguments");
    if (command == "status")
        return args.empty() ? status() : host_.fail(kUsageError, "status takes no arguments");
    if (command == "route")
        return route(args);
    if (command == "load")
        return args.size() == 1 ? load(args[0]) : host_.fail(kUsageError, "load takes one file name");
    if (command == "save")
        return args.size() == 1 ? save(args[0]) : host_.fail(kUsageError, "save takes one file name");
    if (command == "vca")
        return vca(args);
    if (command == "vca-all")
        return vcaAll(args);
    if (command == "store")
        return args.empty() ? store() : host_.fail(kUsageError, "store takes no arguments");
    if (command == "setup")
        return setup(args);
    if (command == "disconnect-all")
        return args.empty() ? disconnectAll() : host_.fail(kUsageError, "disconnect-all takes no arguments");
    return std::nullopt;
}

void MatrixCommands::statusReadingStarted() {
    if (!failedAtStatusReading_)
        failedAtStatusReading_ = engine_.link().failedCommands();
}

// Counts the instructions that failed since `failedBefore`, up to a status reading that followed them:
// that reading ends every layer on a refused output. `done` is printed only when none failed.
int MatrixCommands::answered(long failedBefore, const std::string& what, const std::string& done) {
    const long failed = failedAtStatusReading_.value_or(engine_.link().failedCommands()) - failedBefore;
    if (failed == 0) {
        host_.out() << done << '\n';
        return kDone;
    }
    return host_.fail(kNoAnswer, what + ": the matrix refused or did not answer " + std::to_string(failed) +
                                     " instruction" + (failed > 1 ? "s" : ""));
}

std::optional<int> MatrixCommands::destinationNumber(const std::string& text) const {
    return parseNumber(text, 1, usableCount(table().destinationCount));
}

int MatrixCommands::identify() {
    if (!host_.findMatrix()) {
        host_.out() << "no matrix found\n";
        return kNotFound;
    }
    host_.out() << "matrix N°" << engine_.link().matrixIdentity() << " port " << engine_.link().portNumber()
                << " protocol " << engine_.link().protocolLength() << '\n';
    return kDone;
}

int MatrixCommands::status() {
    host_.prepare(true);
    engine_.statusReader().ReadMatrixStatus();
    const MatrixSizes& sizes = engine_.assignments().sizes;
    host_.out() << "outputs\tvideo " << sizes.videoOut << "\taudio " << sizes.audioOut << "\trgb "
                << sizes.rgbOut << "\tyc " << sizes.ycOut << '\n';
    // Every destination, whatever the sheet shows; the sheet goes back to the operator's choice after.
    SwitchingSheet& sheet = engine_.sheet();
    const bool showAll = sheet.showAll();
    sheet.restoreShowAll(true);
    sheet.FillSheet();
    for (const SheetRow& row : sheet.rows()) {
        host_.out() << row.destination;
        for (std::size_t i = 1; i < row.cells.size(); ++i)
            host_.out() << '\t' << row.cells[i];
        host_.out() << '\n';
    }
    if (!showAll) {
        sheet.restoreShowAll(false);
        sheet.FillSheet();
    }
    return sizes.videoOut + sizes.audioOut + sizes.rgbOut + sizes.ycOut > 0
               ? kDone
               : host_.fail(kNoAnswer, "status: the matrix did not answer");
}

int MatrixCommands::route(const std::vector<std::string>& args) {
    std::optional<Layer> only;
    std::vector<std::string> numbers;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--layer") {
            if (i + 1 == args.size() || !(only = layerNamed(args[i + 1])))
                return host_.fail(kUsageError, "--layer is video, audio, rgb or yc");
            ++i;
        } else {
            numbers.push_back(args[i]);
        }
    }
    if (numbers.size() != 2)
        return host_.fail(kUsageError, "route takes a destination and a source");
    if (!parseNumber(numbers[0], 1, kMaxObjects) || !parseNumber(numbers[1], 1, kMaxObjects))
        return host_.fail(kUsageError, "destinations and sources are object numbers from 1 to " +
                                           std::to_string(kMaxObjects));
    host_.prepare(true);
    const auto d = destinationNumber(numbers[0]);
    const auto s = parseNumber(numbers[1], 1, usableCount(table().sourceCount));
    if (!d)
        return host_.fail(kNotFound, "no destination " + numbers[0] + " in the assignment");
    if (!s)
        return host_.fail(kNotFound, "no source " + numbers[1] + " in the assignment");

    std::vector<Layer> layers;
    for (Layer layer : kLayers)
        if ((!only || layer == *only) && table().destinations[*d].output(layer) != NotAssigned &&
            table().sources[*s].input(layer) != NotAssigned) {
            engine_.routing().wanted(layer, *d) = *s;
            layers.push_back(layer);
        }
    if (layers.empty())
        return host_.fail(kNotFound, "source " + numbers[1] + " cannot reach destination " + numbers[0] +
                                         (only ? " on that layer" : " on any layer"));
    const long failedBefore = engine_.link().failedCommands();
    engine_.routingCommands().DownloadRouting();
    std::string done = table().sources[*s].name + " -> " + table().destinations[*d].name + " on";
    for (Layer layer : layers)
        done += std::string(" ") + layerName(layer);
    return answered(failedBefore, "route", done);
}

int MatrixCommands::load(const std::string& path) {
    if (!fileExists(path))
        return host_.fail(kFileError, "cannot read " + path);
    host_.prepare(true);
    if (!engine_.connexionFile().ReadConnexionFile(path))
        return kFileError;
    // A window showing the sheet must not keep the old names on rows whose new entry sends nothing.
    engine_.sheet().FillSheet();
    const long failedBefore = engine_.link().failedCommands();
    const long sentBefore = engine_.link().shotCount();
    engine_.routingCommands().DownloadRouting();
    return answered(failedBefore, "load",
                    "loaded " + path + ": " + std::to_string(engine_.link().shotCount() - sentBefore) +
                        " switches sent");
}

int MatrixCommands::save(const std::string& path) {
    host_.prepare(true);
    engine_.statusReader().ReadMatrixStatus();
    const MatrixSizes& sizes = engine_.assignments().sizes;
    if (sizes.videoOut + sizes.audioOut + sizes.rgbOut + sizes.ycOut == 0)
        return host_.fail(kNoAnswer, "save: the matrix did not answer");
    if (!engine_.connexionFile().WriteConnexionFile(path))
        return kFileError;
    host_.out() << "saved " << path << ": " << usableCount(table().destinationCount) << " destinations\n";
    return kDone;
}

int MatrixCommands::vca(const std::vector<std::string>& args) {
    if (args.size() != 2)
        return host_.fail(kUsageError, "vca takes a destination and a level");
    const auto level = parseNumber(args[1], kVcaMinimum, kVcaMaximum);
    if (!level)
        return host_.fail(kUsageError, "a VCA level is a number from 0 to 31");
    host_.prepare(true);
    const auto d = destinationNumber(args[0]);
    if (!d)
        return host_.fail(kNotFound, "no destination " + args[0] + " in the assignment");
    if (table().destinations[*d].Aou == NotAssigned)
        return host_.fail(kNotFound, "destination " + args[0] + " has no audio output");
    const long failedBefore = engine_.link().failedCommands();
    engine_.vca().SelectVcaDestination(*d);
    engine_.vca().sli1_Change(*level);
    return answered(failedBefore, "vca", table().destinations[*d].name + " VCA " + vcaLevelText(*level));
}

int MatrixCommands::vcaAll(const std::vector<std::string>& args) {
    if (args.size() != 1 || (args[0] != "min" && args[0] != "max"))
        return host_.fail(kUsageError, "vca-all takes min or max");
    host_.prepare(true);
    const int level = args[0] == "min" ? kVcaMinimum : kVcaMaximum;
    const long failedBefore = engine_.link().failedCommands();
    const long sentBefore = engine_.link().shotCount();
    engine_.vca().SetAllVca(level);
    return answered(failedBefore, "vca-all",
                    "VCA " + vcaLevelText(level) + " on " +
                        std::to_string(engine_.link().shotCount() - sentBefore) + " destinations");
}

int MatrixCommands::store() {
    host_.prepare(false);
    const long failedBefore = engine_.link().failedCommands();
    engine_.setups().StoreStatus();
    return answered(failedBefore, "store", "status stored");
}

int MatrixCommands::setup(const std::vector<std::string>& args) {
    if (args.size() != 2 || (args[0] != "store" && args[0] != "delete" && args[0] != "recall"))
        return host_.fail(kUsageError, "setup takes store, delete or recall and a setup number");
    const auto n = parseNumber(args[1], 1, 7);
    if (!n)
        return host_.fail(kUsageError, "setups are numbered 1 to 7");
    host_.prepare(true);
    if (engine_.link().protocolLength() != 4)
        return host_.fail(kUsageError, "setups exist only in the 4-byte form (--protocol 4)");
    const long failedBefore = engine_.link().failedCommands();
    if (args[0] == "store")
        engine_.setups().storeSetup(*n);
    else if (args[0] == "delete")
        engine_.setups().deleteSetup(*n);
    else
        engine_.setups().recallSetup(*n);
    // "store" and "delete" take a d, "recall" an ed.
    return answered(failedBefore, "setup",
                    "setup " + std::to_string(*n) + ' ' + args[0] + (args[0] == "recall" ? "ed" : "d"));
}

int MatrixCommands::disconnectAll() {
    host_.prepare(true);
    // Every layer the matrix has, as far as it answers, not only the connectors of the assignment.
    engine_.statusReader().ReadMatrixStatus();
    MatrixSizes& sizes = engine_.assignments().sizes;
    if (sizes.videoOut + sizes.audioOut + sizes.rgbOut + sizes.ycOut == 0)
        return host_.fail(kNoAnswer, "disconnect-all: the matrix did not answer");
    std::string layers;
    for (Layer layer : kLayers)
        if (sizes.out(layer) > 0)
            layers += std::string(" ") + layerName(layer);
    host_.answerQuestions(kAnswerYes);
    failedAtStatusReading_.reset();
    const long failedBefore = engine_.link().failedCommands();
    engine_.routingCommands().DisconnectAll();
    return answered(failedBefore, "disconnect-all", "all outputs disconnected on" + layers);
}

} // namespace rl4

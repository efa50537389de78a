#include "sheet/connexion_file.h"

#include "platform/text_file.h"
#include "text/fault_texts.h"
#include "text/number_text.h"
#include "text/text_fields.h"

#include <vector>

namespace rl4 {

namespace {

constexpr int kMissingFileMessage = 8;
constexpr int kNewFileSize = 8;

// A field is three characters followed by its "|"; field 0 is the destination, 1..4 the layers, 5 the VCA.
constexpr std::size_t kFieldWidth = 3;
constexpr std::size_t kFieldStride = 4;
constexpr std::size_t kVcaField = 5;

std::string destinationLine(const RoutingTable& routing, int d) {
    std::string line = field3(d);
    for (Layer layer : kLayers)
        line += "|" + field3(routing.wanted(layer, d));
    return line + "|" + field3(routing.vcaLevel[d]);
}

int fieldValue(const std::string& line, std::size_t field) {
    return numericValue(characterSlice(line, field * kFieldStride, kFieldWidth));
}

// The sheet, the switcher and the download look sources up by number: a number that names no source and
// is not the unknown mark counts as unknown, so that nothing is sent for it.
int usableSource(int source) {
    return source >= 0 && source <= NotAssigned ? source : NotAssigned;
}

} // namespace

ConnexionFile::ConnexionFile(RoutingTable& routing, Assignments& assignments, MessageTable& messages,
                             Prompt& prompt)
    : routing_(routing), assignments_(assignments), messages_(messages), prompt_(prompt) {}

bool ConnexionFile::WriteConnexionFile(const std::string& path) {
    std::vector<std::string> lines{"Matrix Routing Switcher", "Switching file", "dst|nsv|nsa|nsr|nsy|vca"};
    const int count = usableCount(assignments_.activeTable.destinationCount);
    for (int d = 1; d <= count; ++d)
        lines.push_back(destinationLine(routing_, d));

    const std::string failure = writeTextLines(path, lines);
    if (!failure.empty()) {
        prompt_.messageBox(messages_.fileProblem(kMessageCannotWrite, path, failure), PromptButtons::Ok, "",
                           PromptIcon::Critical);
        return false;
    }
    routing_.setConnexionsChanged(false);
    return true;
}

bool ConnexionFile::ReadConnexionFile(const std::string& path) {
    if (!fileExists(path)) {
        messages_.MessageText(kMissingFileMessage);
        prompt_.messageBox(messages_.part(TextPart::A) + path + messages_.part(TextPart::B),
                           PromptButtons::Ok, "", PromptIcon::None);
        assignments_.activeTable.destinationCount = kNewFileSize;
        for (Layer layer : kLayers)
            assignments_.sizes.out(layer) = kNewFileSize;
        return WriteConnexionFile(path);
    }

    std::uintmax_t skipped = 0;
    const auto lines = readTextLines(path, &skipped);
    if (!lines) {
        prompt_.messageBox(messages_.fileProblem(kMessageCannotRead, path), PromptButtons::Ok, "",
                           PromptIcon::Exclamation);
        return false;
    }
    if (skipped > 0)
        prompt_.messageBox(fileCutText(messages_, path, skipped), PromptButtons::Ok, "",
                           PromptIcon::Exclamation);
    routing_.clearForFile();
    for (const std::string& line : *lines)
        applyLine(line);
    return true;
}

void ConnexionFile::applyLine(const std::string& line) {
    const int d = fieldValue(line, 0);
    // Header lines give 0 wherever they stand; a number beyond the table names no destination.
    if (d <= 0 || d > kMaxObjects)
        return;
    for (Layer layer : kLayers)
        routing_.wanted(layer, d) =
            usableSource(fieldValue(line, 1 + static_cast<std::size_t>(layerIndex(layer))));
    routing_.vcaLevel[d] = fieldValue(line, kVcaField);
}

} // namespace rl4

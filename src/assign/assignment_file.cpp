#include "assign/assignment_file.h"

#include "platform/text_file.h"
#include "text/fault_texts.h"
#include "text/number_text.h"
#include "text/text_fields.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace rl4 {

namespace {

constexpr std::size_t kNameWidth = 20;
constexpr std::string_view kSeparator = "-----------------------------------------";
// A section ends at the first line that starts like the separator.
constexpr std::string_view kSectionEnd = "----------";
constexpr std::string_view kSourcesKey = "SOURCES      ";
constexpr std::string_view kDestinationsKey = "DESTINATIONS ";
constexpr std::string_view kSpecialKey = "SPECIAL      ";
constexpr std::string_view kBlankField = "   ";
// Special lines past the eighteenth have no function to go to and are passed over; only past this many is
// the file reported.
constexpr int kSpecialLinesAllowed = 24;
constexpr int kMessageTooManySources = 6;
constexpr int kMessageTooManyDestinations = 7;
constexpr int kMessageWelcome = 96;
constexpr int kDefaultObjects = 4;

// A line end or another control character inside a name would split or garble its record: it is a blank.
void blankControls(std::string& text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
}

// ----- Writing

// Twenty characters of Windows-1252, whatever the name holds in memory: a longer name is cut, a character
// the code page lacks takes one column like any other, and a line end typed into a name cannot split the
// record.
std::string nameBytes(const std::string& name) {
    std::string bytes = toWindows1252(name).substr(0, kNameWidth);
    blankControls(bytes);
    bytes.resize(kNameWidth, ' ');
    return bytes;
}

// Read back, a name loses its blanks: it must not start a separator either before or after.
bool fieldEndsSection(std::string_view field) {
    return trimBlanks(field).starts_with(kSectionEnd);
}

std::string nameField(const std::string& name) {
    std::string bytes = nameBytes(name);
    if (fieldEndsSection(bytes))
        bytes[bytes.find('-')] = '_';
    return fromWindows1252(bytes);
}

std::string connectorField(int value) {
    return value == NotAssigned ? std::string(kBlankField) : field3(value);
}

std::vector<std::string> sizeLines(const MatrixSizes& sizes) {
    return {
        "Video In = " + std::to_string(sizes.videoIn), "Video Out = " + std::to_string(sizes.videoOut),
        "Audio In = " + std::to_string(sizes.audioIn), "Audio Out = " + std::to_string(sizes.audioOut),
        "RVB In = " + std::to_string(sizes.rgbIn),     "RVB Out = " + std::to_string(sizes.rgbOut),
        "YW In = " + std::to_string(sizes.ycIn),       "YW Out = " + std::to_string(sizes.ycOut),
    };
}

std::string sourceLine(const Source& source) {
    std::string line = nameField(source.name) + "|" + connectorField(source.Kin) + "|";
    for (Layer layer : kLayers)
        line += connectorField(source.input(layer)) + "|";
    return line;
}

std::string destinationLine(const Destination& destination) {
    std::string line = nameField(destination.name) + "|" + connectorField(destination.Kou) + "|";
    for (Layer layer : kLayers)
        line += connectorField(destination.output(layer)) + "|";
    // The VCA column has always repeated the selection mark; readers ignore it.
    line += field3(destination.Shw) + "|" + field3(destination.Shw) + "|";
    for (int mask : destination.ad)
        line += field3(mask) + "|";
    return line;
}

std::vector<std::string> fileLines(const Assignments& assignments) {
    const AssignmentTable& table = assignments.activeTable;
    std::vector<std::string> lines = sizeLines(assignments.sizes);
    lines.emplace_back(kSeparator);
    lines.emplace_back("SOURCES             |Kin|Vin|Ain|Rin|YWi|");
    for (int i = 1; i <= usableCount(table.sourceCount); ++i)
        lines.push_back(sourceLine(table.sources[i]));
    lines.emplace_back(kSeparator);
    lines.emplace_back("DESTINATIONS        |Kou|Vou|Aou|Rou|YWo|Shw|VCA|ad1|ad2|ad3|ad4|ad5|ad6|");
    for (int i = 1; i <= usableCount(table.destinationCount); ++i)
        lines.push_back(destinationLine(table.destinations[i]));
    lines.emplace_back(kSeparator);
    lines.emplace_back("SPECIAL             |Ksp|");
    for (int i = 1; i <= kSpecialFunctions; ++i)
        lines.push_back(nameField(assignments.specialNames[i]) + "|" + connectorField(table.specials[i].Ksp) +
                        "|");
    lines.emplace_back(kSeparator);
    return lines;
}

// ----- Reading

// Field n (from 1) of a record line: the three characters from column 22 + 4(n-1), fewer when the line ends
// earlier.
std::string fieldText(const std::string& line, int n) {
    return characterSlice(line, kNameWidth + 1 + 4 * static_cast<std::size_t>(n - 1), 3);
}

// Only three blanks mean "not assigned": a hand-edited field that is short or empty reads as a number.
void readConnector(const std::string& line, int n, int& field) {
    const std::string text = fieldText(line, n);
    if (text != kBlankField)
        field = numericValue(text);
}

int readNumber(const std::string& line, int n) {
    return numericValue(fieldText(line, n));
}

// A control character reads as the blank the writing would make of it, so that a name is the same whether it
// comes from the file or from a copy the program saved.
std::string readName(const std::string& line) {
    std::string name(characterSlice(line, 0, kNameWidth));
    blankControls(name);
    return std::string(trimBlanks(name));
}

void raiseSize(int& size, int connector) {
    if (connector != NotAssigned)
        size = std::max(size, connector);
}

class AssignmentFileReader {
public:
    AssignmentFileReader(Assignments& assignments, MessageTable& messages, Prompt& prompt,
                         const std::vector<std::string>& lines)
        : assignments_(assignments), table_(assignments.editTable), messages_(messages), prompt_(prompt),
          lines_(lines) {}

    // Returns false when the file had no section at all: then it is no assignment, whatever it holds.
    bool read() {
        bool sectionFound = false;
        while (next_ < lines_.size()) {
            const std::string& line = lines_[next_++];
            if (line.starts_with(kSourcesKey))
                readSources();
            else if (line.starts_with(kDestinationsKey))
                readDestinations();
            else if (line.starts_with(kSpecialKey))
                readSpecials();
            else
                continue;
            sectionFound = true;
        }
        raiseSizes();
        return sectionFound;
    }

    // Connectors outside what a frame carries, read as not assigned.
    int connectorsBeyondWire() const { return beyondWire_; }

private:
    // The sizes are those the objects read reach. A section given twice replaces the first, which must then
    // leave nothing behind: a size raised by its objects would be saved beside objects that no longer reach
    // it, and be lost at the next load.
    void raiseSizes() {
        for (Layer layer : kLayers) {
            for (int i = 1; i <= table_.sourceCount; ++i)
                raiseSize(assignments_.sizes.in(layer), table_.sources[i].input(layer));
            for (int i = 1; i <= table_.destinationCount; ++i)
                raiseSize(assignments_.sizes.out(layer), table_.destinations[i].output(layer));
        }
    }

    // A section that runs to the end of the file ends there.
    bool atSectionEnd() const { return next_ >= lines_.size() || lines_[next_].starts_with(kSectionEnd); }

    // Reads object lines into records 1, 2, ...; returns the count reached, which is one above the table
    // size when the section had too many lines (the rest of them are then left to the main loop, which
    // skips them).
    template <typename ReadRecord>
    int readObjectLines(ReadRecord readRecord) {
        int count = 0;
        while (!atSectionEnd()) {
            const std::string& line = lines_[next_++];
            if (++count > kMaxObjects)
                break;
            readRecord(line, count);
        }
        return count;
    }

    // A connector the wire cannot carry would reach the matrix as another one (256 as 0, every output at
    // once for some matrices): it is left unassigned.
    void readWireConnector(const std::string& line, int n, int& field) {
        readConnector(line, n, field);
        if (field != NotAssigned && (field < 0 || field > kLargestConnector)) {
            field = NotAssigned;
            ++beyondWire_;
        }
    }

    void readSources() {
        const int reached = readObjectLines([this](const std::string& line, int i) {
            Source& source = table_.sources[i];
            source.name = readName(line);
            readConnector(line, 1, source.Kin);
            for (Layer layer : kLayers)
                readWireConnector(line, 2 + layerIndex(layer), source.input(layer));
        });
        table_.sourceCount = std::min(reached, kMaxObjects);
        if (reached > kMaxObjects)
            warnTooMany(kMessageTooManySources, reached);
    }

    void readDestinations() {
        const int reached = readObjectLines([this](const std::string& line, int i) {
            Destination& destination = table_.destinations[i];
            destination.name = readName(line);
            readConnector(line, 1, destination.Kou);
            for (Layer layer : kLayers)
                readWireConnector(line, 2 + layerIndex(layer), destination.output(layer));
            destination.Shw = readNumber(line, 6);
            for (std::size_t k = 0; k < destination.ad.size(); ++k)
                destination.ad[k] = readNumber(line, 8 + static_cast<int>(k));
        });
        table_.destinationCount = std::min(reached, kMaxObjects);
        if (reached > kMaxObjects)
            warnTooMany(kMessageTooManyDestinations, reached);
    }

    void readSpecials() {
        int count = 0;
        while (!atSectionEnd()) {
            const std::string& line = lines_[next_++];
            if (++count <= kSpecialFunctions)
                readConnector(line, 1, table_.specials[count].Ksp);
        }
        // The special section has always been reported with the sources' text.
        if (count > kSpecialLinesAllowed)
            warnTooMany(kMessageTooManySources, count);
        assignments_.setFixedSpecialNames();
    }

    void warnTooMany(int message, int count) {
        prompt_.messageBox(assignments_.editFileName + messages_.text(message) + numberText(count) + ")",
                           PromptButtons::Ok, "Warning!", PromptIcon::None);
    }

    Assignments& assignments_;
    AssignmentTable& table_;
    MessageTable& messages_;
    Prompt& prompt_;
    const std::vector<std::string>& lines_;
    std::size_t next_ = 0;
    int beyondWire_ = 0;
};

void setDefaultTable(Assignments& assignments) {
    AssignmentTable& table = assignments.editTable;
    table.sourceCount = kDefaultObjects;
    table.destinationCount = kDefaultObjects;
    for (int i = 1; i <= kDefaultObjects; ++i) {
        table.sources[i].name = defaultSourceName(i);
        table.destinations[i].name = defaultDestinationName(i);
    }
}

// The file is the operator's, whatever it holds: the program works on the default table and leaves the file
// alone until the operator saves over it.
void protectFile(Assignments& assignments, Prompt& prompt, const std::string& text) {
    assignments.ClearEditTable();
    setDefaultTable(assignments);
    assignments.protectedFileName = assignments.editFileName;
    prompt.messageBox(text, PromptButtons::Ok, "Warning!", PromptIcon::Exclamation);
}

std::string aroundPath(MessageTable& messages, int message, const std::string& path) {
    messages.MessageText(message);
    return messages.part(TextPart::A) + path + messages.part(TextPart::B);
}

} // namespace

bool nameEndsSection(const std::string& name) {
    return fieldEndsSection(nameBytes(name));
}

void ReadAssignmentFile(Assignments& assignments, MessageTable& messages, Prompt& prompt) {
    assignments.ClearEditTable();
    const std::string& path = assignments.editFileName;
    if (assignments.protectedFileName == path)
        assignments.protectedFileName.clear();
    if (!fileExists(path)) {
        setDefaultTable(assignments);
        prompt.messageBox(messages.text(kMessageWelcome), PromptButtons::Ok, "", PromptIcon::None);
        return;
    }
    assignments.sizes = MatrixSizes{};
    const std::optional<TextFileLines> file = readTextFile(path);
    if (!file) {
        protectFile(assignments, prompt, messages.fileProblem(kMessageCannotRead, path));
        return;
    }
    AssignmentFileReader reader(assignments, messages, prompt, file->lines);
    if (!reader.read()) {
        protectFile(assignments, prompt, aroundPath(messages, kMessageNotAnAssignment, path));
        return;
    }
    if (reader.connectorsBeyondWire() > 0)
        prompt.messageBox(aroundPath(messages, kMessageConnectorsBeyondWire, path) +
                              numberText(reader.connectorsBeyondWire()) + ")",
                          PromptButtons::Ok, "Warning!", PromptIcon::Exclamation);
    if (file->encoding == TextEncoding::Utf8)
        prompt.messageBox(aroundPath(messages, kMessageReadAsUtf8, path), PromptButtons::Ok, "",
                          PromptIcon::Information);
    if (file->skippedBytes > 0)
        prompt.messageBox(fileCutText(messages, path, file->skippedBytes), PromptButtons::Ok, "Warning!",
                          PromptIcon::Exclamation);
}

bool WriteAssignmentFile(Assignments& assignments, MessageTable& messages, Prompt& prompt) {
    const std::string failure = writeTextLines(assignments.activeFileName, fileLines(assignments));
    if (!failure.empty()) {
        prompt.messageBox(messages.fileProblem(kMessageCannotWrite, assignments.activeFileName, failure),
                          PromptButtons::Ok, "", PromptIcon::Critical);
        return false;
    }
    assignments.setAssignmentsChanged(false);
    // Saved over on purpose: the file now holds an assignment of ours.
    if (assignments.protectedFileName == assignments.activeFileName)
        assignments.protectedFileName.clear();
    return true;
}

} // namespace rl4

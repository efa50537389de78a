#include "eeprom/eeprom_bytes.h"
#include "eeprom/eeprom_tables.h"
#include "eeprom/run_builder.h"
#include "text/number_text.h"

#include <algorithm>
#include <charconv>

namespace rl4 {

namespace {

constexpr int kScreenCode = 57;
constexpr int kOsdMachine = 2;
// The second data value of a write that opens a destination or special-function record of the smaller
// layout; every other write carries 0.
constexpr int kRecordStartMark = 10;
constexpr int kLastLine = 327;
constexpr int kLastObjectLine = 255;
constexpr std::uint8_t kObjectMark = 0x8F;
constexpr std::uint8_t kUnused = 0xFF;
constexpr std::uint8_t kRecordTail = 0x30;
constexpr int kRecordTailBytes = 6;

// What the progress window says of the objects of one kind.
struct ObjectCaptions {
    EepromWords number;
    EepromWords emptyName;
    EepromWords emptyNumber;
};

constexpr ObjectCaptions kSourceCaptions{{"as source N°", "comme source N°"},
                                         {"Empty source", "Source vide"},
                                         {"no source at", "aucune source au N°"}};
constexpr ObjectCaptions kDestinationCaptions{{"as destination N°", "comme destination N°"},
                                              {"Empty destination", "Destination vide"},
                                              {"no dest at", "aucune destination au N°"}};
constexpr EepromWords kSpecialCaption{"as special function N°", "comme fonction spéciale N°"};
constexpr EepromWords kKeyboardMapCaption{"as sync for keyboard", "comme synchro du clavier"};
constexpr EepromWords kEntryJoin{" correspond to ", " correspond à "};

// The fields of a source or a destination that its record carries, connectors in layer order.
struct ObjectFields {
    std::array<int, 4> connectors;
    int touch;
    const std::string& name;
};

ObjectFields fields(const Source& s) {
    return {{s.Vin, s.Ain, s.Rin, s.YWi}, s.Kin, s.name};
}

ObjectFields fields(const Destination& d) {
    return {{d.Vou, d.Aou, d.Rou, d.YWo}, d.Kou, d.name};
}

bool empty(const ObjectFields& object) {
    return std::all_of(object.connectors.begin(), object.connectors.end(),
                       [](int connector) { return connector == NotAssigned; });
}

// Decimal digits without an allocation: a run writes some two thousand table entries.
class Digits {
public:
    explicit Digits(int value)
        : length_(static_cast<std::size_t>(
              std::to_chars(chars_.data(), chars_.data() + chars_.size(), value).ptr - chars_.data())) {}
    operator std::string_view() const { return {chars_.data(), length_}; }

private:
    std::array<char, 12> chars_{};
    std::size_t length_;
};

class FourByteRun {
public:
    FourByteRun(RunBuilder& run, const AssignmentTable& table,
                const std::array<std::string, kSpecialFunctions + 1>& specialNames, EepromLayout layout)
        : run_(run), table_(table), specialNames_(specialNames),
          geometry_(layout == EepromLayout::FourByte80 ? kGeometry80 : kGeometry128) {}

    void build() {
        if (geometry_.specials)
            smallerLayoutRecords();
        else
            largerLayoutRecords();
        tables();
        keyboardMapLines();
        run_.sendFour(EepromAction::Close, kEepromCode, kCloseMachine, 0, 0);
        run_.sendFour(EepromAction::OsdRefresh, kScreenCode, kOsdMachine, 0, 0);
    }

private:
    void smallerLayoutRecords() {
        run_.setSectionRange(0, 79);
        for (int line = 0; line <= 79; ++line) {
            startLine(line);
            objectRecord(fields(source(line + 1)), kSourceCaptions, line + 1, kObjectMark, 0);
        }
        run_.setSectionRange(80, 159);
        for (int line = 80; line <= 159; ++line) {
            startLine(line);
            objectRecord(fields(destination(line - 79)), kDestinationCaptions, line - 79, 0,
                         kRecordStartMark);
        }
        run_.setSectionRange(kFirstSpecialLine, kFirstSpecialLine + kSpecialFunctions - 1);
        for (int k = 1; k <= kSpecialFunctions; ++k) {
            startLine(kFirstSpecialLine + k - 1);
            specialRecord(k);
        }
    }

    // The line after the last destination is written too, normally as an empty record. Destinations beyond
    // the 128 that have room would run into the tables and past the image.
    void largerLayoutRecords() {
        run_.setSectionRange(0, 127);
        for (int line = 0; line <= 127; ++line) {
            startLine(line);
            largerLayoutRecord(fields(source(line + 1)), kSourceCaptions, line + 1);
        }
        run_.setSectionRange(128, kLastObjectLine);
        const int lastLine = std::min(128 + table_.destinationCount, kLastObjectLine);
        for (int line = 128; line <= lastLine; ++line) {
            startLine(line);
            largerLayoutRecord(fields(destination(line - 127)), kDestinationCaptions, line - 127);
        }
    }

    void largerLayoutRecord(const ObjectFields& object, const ObjectCaptions& captions, int number) {
        if (!empty(object)) {
            objectRecord(object, captions, number, kObjectMark, 0);
            return;
        }
        run_.setObjectLabel({run_.words(captions.emptyName)});
        run_.setSectionLabel({run_.words(captions.emptyNumber), numberText(number)});
        write(0);
    }

    void objectRecord(const ObjectFields& object, const ObjectCaptions& captions, int number,
                      std::uint8_t mark, int markData2) {
        run_.setObjectLabel({shownName(object.name)});
        run_.setSectionLabel({run_.words(captions.number), numberText(number)});
        write(mark, markData2);
        for (int connector : object.connectors)
            write(wireByte(connector));
        write(wireByte(object.touch));
        write(kUnused);
        write(kUnused);
        for (std::uint8_t byte : nameBytes(object.name))
            write(byte);
        for (int i = 0; i < kRecordTailBytes; ++i)
            write(kRecordTail);
    }

    void specialRecord(int k) {
        run_.setObjectLabel({specialNames_[static_cast<std::size_t>(k)]});
        run_.setSectionLabel({run_.words(kSpecialCaption), numberText(k)});
        write(0, kRecordStartMark);
        write(static_cast<std::uint8_t>(k - 1));
        write(kUnused);
        write(kUnused);
        write(kUnused);
        write(wireByte(table_.specials[static_cast<std::size_t>(k)].Ksp));
    }

    void tables() {
        run_.setSectionRange(kFirstTableLine, kFirstKeyboardMapLine - 1);
        int line = kFirstTableLine;
        for (const EepromTable& kind : kEepromTables) {
            const auto entries = tableEntries(table_, kind, geometry_);
            const int caption = run_.addText({run_.words(kind.caption)});
            for (int part = 0; part < kLinesPerTable; ++part, ++line) {
                startLine(line);
                run_.setSectionLabel(caption);
                writeEntries(entries.data(), part * kEepromLineBytes);
            }
        }
    }

    void keyboardMapLines() {
        run_.setSectionRange(kFirstKeyboardMapLine, kLastLine);
        run_.setSectionLabel({run_.words(kKeyboardMapCaption)});
        const auto entries = keyboardMap(table_, geometry_);
        for (int line = kFirstKeyboardMapLine; line <= kLastLine; ++line) {
            startLine(line);
            writeEntries(entries.data(), (line - kFirstKeyboardMapLine) * kEepromLineBytes);
        }
    }

    void writeEntries(const std::uint8_t* entries, int first) {
        const std::string_view join = run_.words(kEntryJoin);
        for (int j = first; j < first + kEepromLineBytes; ++j) {
            const std::uint8_t entry = entries[j];
            run_.setObjectLabel({Digits(j), join, Digits(entry)});
            write(entry);
        }
    }

    void startLine(int line) {
        run_.setSectionBar(line);
        run_.setRunBar(line, line * 100 / kLastLine);
        const int address = line * kEepromLineBytes;
        run_.sendFour(EepromAction::SetAddress, kEepromCode, kAddressMachine, address % 256, address / 256);
    }

    void write(std::uint8_t byte, int data2 = 0) {
        run_.sendFour(EepromAction::WriteByte, kEepromCode, kWriteMachine, byte, data2);
    }

    const Source& source(int s) const { return table_.sources[static_cast<std::size_t>(s)]; }
    const Destination& destination(int d) const { return table_.destinations[static_cast<std::size_t>(d)]; }

    RunBuilder& run_;
    const AssignmentTable& table_;
    const std::array<std::string, kSpecialFunctions + 1>& specialNames_;
    FourByteGeometry geometry_;
};

} // namespace

void buildFourByteRun(RunBuilder& run, const AssignmentTable& table,
                      const std::array<std::string, kSpecialFunctions + 1>& specialNames,
                      EepromLayout layout) {
    FourByteRun(run, table, specialNames, layout).build();
}

} // namespace rl4

#include "eeprom/eeprom_bytes.h"
#include "eeprom/run_builder.h"

#include <optional>

namespace rl4 {

namespace {

constexpr int kAddressLetter = '[';
constexpr int kWriteLetter = 'T';
constexpr int kCloseLetter = '\\';
constexpr int kTouches = 128;
constexpr int kLineBarSteps = 18;
constexpr int kLastPlaceableTouch = 127;
// 255 is what an unassigned touch becomes on the wire, not a touch that was cut off.
constexpr int kLastReportedTouch = 254;
constexpr std::uint8_t kSourceKind = 0x5F;
constexpr std::uint8_t kDestinationKind = 0x20;
constexpr std::uint8_t kNothing = 0;
// A source has no admittance of its own: its line carries the masks of a destination open to every source.
constexpr std::uint8_t kAllAdmitted = 127;

constexpr int kMessageWriting = 50;
constexpr int kMessageWritingNothing = 75;
constexpr int kMessageSearching = 76;
constexpr int kMessageWritingEmptyArea = 77;
constexpr int kMessageClosingRun = 78;
constexpr EepromWords kTouchWarning{
    "The number of touches is more than 127. The only 127 first will be used.",
    "Le nombre de touches dépasse 127. Seules les 127 premières seront utilisées."};

// The object a touch selects, with the bytes its line carries after the kind.
struct TouchObject {
    std::uint8_t kind;
    int messageKind;
    std::array<int, 3> connectors; // video, RGB, audio: the order of the line
    const std::string& name;
    std::array<int, 6> masks;
};

TouchObject sourceLine(const Source& s) {
    constexpr std::array<int, 6> open{kAllAdmitted, kAllAdmitted, kAllAdmitted,
                                      kAllAdmitted, kAllAdmitted, kAllAdmitted};
    return {kSourceKind, kMessageSourceTouch, {s.Vin, s.Rin, s.Ain}, s.name, open};
}

TouchObject destinationLine(const Destination& d) {
    return {kDestinationKind, kMessageDestinationTouch, {d.Vou, d.Rou, d.Aou}, d.name, d.ad};
}

// The object each touch selects: the first source with it, else the first destination.
class TouchObjects {
public:
    explicit TouchObjects(const AssignmentTable& table) : table_(table) {
        for (int s = usableCount(table.sourceCount); s >= 1; --s)
            note(table.sources[static_cast<std::size_t>(s)].Kin, s, sources_);
        for (int d = usableCount(table.destinationCount); d >= 1; --d)
            note(table.destinations[static_cast<std::size_t>(d)].Kou, d, destinations_);
    }

    std::optional<TouchObject> at(int touch) const {
        if (const int s = sources_[static_cast<std::size_t>(touch)])
            return sourceLine(table_.sources[static_cast<std::size_t>(s)]);
        if (const int d = destinations_[static_cast<std::size_t>(touch)])
            return destinationLine(table_.destinations[static_cast<std::size_t>(d)]);
        return std::nullopt;
    }

    bool someBeyondLines() const { return beyondLines_; }

private:
    // Walked from the last object down, so that the lowest number is noted last and stays.
    void note(int touch, int number, std::array<int, kTouches>& first) {
        if (touch >= 0 && touch < kTouches)
            first[static_cast<std::size_t>(touch)] = number;
        beyondLines_ |= touch > kLastPlaceableTouch && touch <= kLastReportedTouch;
    }

    const AssignmentTable& table_;
    std::array<int, kTouches> sources_{};
    std::array<int, kTouches> destinations_{};
    bool beyondLines_ = false;
};

class FiveByteRun {
public:
    FiveByteRun(RunBuilder& run, const AssignmentTable& table) : run_(run), objects_(table) {}

    void build() {
        run_.setSectionRange(0, kLineBarSteps);
        run_.sendFive(EepromAction::PresenceTest, kAddressLetter, 0, 0);
        if (objects_.someBeyondLines())
            run_.warnBeforeNext(run_.words(kTouchWarning));
        for (int touch = 0; touch < kTouches; ++touch)
            touchLine(touch);
        run_.setSectionLabel(run_.messageText(kMessageWritingEmptyArea));
        run_.setObjectLabel(run_.messageText(kMessageClosingRun));
        run_.sendFive(EepromAction::Close, kCloseLetter, 0, 0);
    }

private:
    void touchLine(int touch) {
        run_.setRunBar(touch, touch * 100 / kTouches);
        const int address = touch * kEepromLineBytes;
        run_.sendFive(EepromAction::SetAddress, kAddressLetter, address / 256, address % 256);
        run_.setSectionBar(0);
        offset_ = address % 256;

        const std::optional<TouchObject> object = objects_.at(touch);
        if (!object) {
            run_.setSectionLabel(run_.messageText(kMessageWritingNothing));
            run_.setObjectLabel(run_.messageText(kMessageSearching));
            writeCounted(kNothing);
            return;
        }
        run_.setSectionLabel(run_.messageText(object->messageKind));
        run_.setObjectLabel({run_.text(run_.messageText(kMessageWriting)), shownName(object->name)});
        writeCounted(object->kind);
        for (int connector : object->connectors)
            writeCounted(wireByte(connector));
        for (std::uint8_t byte : nameBytes(object->name))
            writeCounted(byte);
        for (int mask : object->masks)
            write(wireByte(mask));
    }

    void writeCounted(std::uint8_t byte) {
        write(byte);
        run_.stepSectionBar();
    }

    void write(std::uint8_t byte) { run_.sendFive(EepromAction::WriteByte, kWriteLetter, offset_++, byte); }

    RunBuilder& run_;
    TouchObjects objects_;
    int offset_ = 0;
};

} // namespace

void buildFiveByteRun(RunBuilder& run, const AssignmentTable& table) {
    FiveByteRun(run, table).build();
}

} // namespace rl4

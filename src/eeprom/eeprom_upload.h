#pragma once

#include "assign/assignments.h"
#include "text/message_table.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rl4 {

// The 4-byte form's EEPROM instruction and the machines of its address, write and close steps.
inline constexpr int kEepromCode = 32;
inline constexpr int kAddressMachine = 16;
inline constexpr int kWriteMachine = 17;
inline constexpr int kCloseMachine = 18;
// "% EEprom written", after the share done.
inline constexpr int kMessagePercentWritten = 74;

// The matrix keeps the assignment in its EEPROM in one of three layouts: with the 4-byte frames, object
// records for 80 or 128 objects of each kind followed by connector and keyboard tables; with the 5-byte
// frames, one line per keyboard touch.
enum class EepromLayout { FourByte80, FourByte128, FiveByte };

EepromLayout eepromLayout(int protocolLength, int destinationCount);

inline constexpr int kEepromLineBytes = 32;
// Lines of the image in each form: 328 for the 4-byte layouts, one per touch 0..127 for the 5-byte one.
int eepromImageLines(EepromLayout layout);

// A text of the upload that has no number in the message table, in the operator's language.
struct EepromWords {
    std::string_view english;
    std::string_view french;

    std::string_view in(int language) const { return language == kLanguageFrench ? french : english; }
};

enum class EepromAction : std::uint8_t { PresenceTest, SetAddress, WriteByte, Close, OsdRefresh };

// The texts of a run, end to end in one buffer: a run shows a few thousand labels, and one allocation
// each would cost more than all the rest of the building.
class EepromTexts {
public:
    // The pieces joined make one text; its index is returned.
    int add(std::initializer_list<std::string_view> pieces);
    // Index 0 is the empty text.
    std::string_view operator[](int index) const;
    int size() const { return static_cast<int>(spans_.size()); }

private:
    std::string chars_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> spans_{{0, 0}};
};

// What the progress window shows while a message goes out. Texts are indexes into EepromUpload::texts, so
// that thousands of messages share them; 0 is the empty text.
struct EepromProgress {
    std::int16_t proeeprom = 0; // whole-run bar; its range is EepromUpload::proeepromMax
    std::int16_t protexte = 0;  // section bar
    std::int16_t protexteMin = 0;
    std::int16_t protexteMax = 0;
    int pourcenteeprom = 0;
    int lblprotexte = 0;
    int lblproeeprom = 0;
};

// One instruction of the upload, with the values the send operation takes: the letter of the 5-byte form
// or the code pair of the 4-byte form (zero for the other form), and two data values 0..255 as the wire
// carries them.
struct EepromMessage {
    EepromAction action = EepromAction::WriteByte;
    std::uint8_t letter = 0;
    std::uint8_t code = 0;
    std::uint8_t machine = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
    EepromProgress progress;
    // A warning the operator acknowledges before this message goes out (index into the texts, 0 for
    // none). It does not make the run fail.
    int warning = 0;
};

// A whole run, built before anything is sent. The upload walks the messages in order: it shows their
// progress, sends each and notes a missing answer as a failure. A missing answer to the 5-byte presence
// test (the first message) means that the matrix has no EEPROM: the run stops there.
struct EepromUpload {
    EepromLayout layout = EepromLayout::FourByte80;
    int proeepromMax = 0;
    EepromTexts texts;
    std::vector<EepromMessage> messages;

    std::string_view text(int index) const { return texts[index]; }
};

// The active table goes into the matrix: it is what the sheet and the file hold, while the edit table may
// carry changes the operator chose not to save.
EepromUpload buildEepromUpload(const Assignments& assignments, int protocolLength, MessageTable& messages);

} // namespace rl4

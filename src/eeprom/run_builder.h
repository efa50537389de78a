#pragma once

#include "eeprom/eeprom_upload.h"

#include <array>
#include <initializer_list>
#include <string>
#include <string_view>

namespace rl4 {

// Writes the messages of a run in order, each stamped with what the progress window shows at that moment:
// the procedures set the window's controls and send, as the upload will, and this keeps the state between.
class RunBuilder {
public:
    RunBuilder(EepromUpload& upload, MessageTable& messages);

    // A text of the run, to show under several messages.
    int addText(std::initializer_list<std::string_view> pieces) { return upload_.texts.add(pieces); }
    // A numbered message in the operator's language, made once per run.
    int messageText(int number);
    std::string_view text(int index) const { return upload_.text(index); }
    std::string_view words(const EepromWords& words) const { return words.in(messages_.language()); }

    void setSectionRange(int min, int max);
    void setSectionBar(int value) { progress_.protexte = static_cast<std::int16_t>(value); }
    void stepSectionBar() { ++progress_.protexte; }
    // The whole-run bar and the percentage beside it.
    void setRunBar(int value, int percent);
    void setObjectLabel(int text) { progress_.lblprotexte = text; }
    void setObjectLabel(std::initializer_list<std::string_view> pieces) { setObjectLabel(addText(pieces)); }
    void setSectionLabel(int text) { progress_.lblproeeprom = text; }
    void setSectionLabel(std::initializer_list<std::string_view> pieces) { setSectionLabel(addText(pieces)); }
    void warnBeforeNext(std::string_view text) { warning_ = addText({text}); }

    void sendFour(EepromAction action, int code, int machine, int data1, int data2);
    void sendFive(EepromAction action, int letter, int data1, int data2);

private:
    void send(EepromAction action, int letter, int code, int machine, int data1, int data2);

    EepromUpload& upload_;
    MessageTable& messages_;
    EepromProgress progress_;
    int warning_ = 0;
    // Texts made so far, by percentage and by message number; 0 until the first use.
    std::array<int, 101> percentTexts_{};
    std::array<int, 256> messageTexts_{};
    std::string percentSuffix_;
};

void buildFourByteRun(RunBuilder& run, const AssignmentTable& table,
                      const std::array<std::string, kSpecialFunctions + 1>& specialNames,
                      EepromLayout layout);
void buildFiveByteRun(RunBuilder& run, const AssignmentTable& table);

} // namespace rl4

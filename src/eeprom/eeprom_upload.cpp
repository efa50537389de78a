#include "eeprom/eeprom_upload.h"

#include "eeprom/run_builder.h"

#include <algorithm>

namespace rl4 {

namespace {

constexpr int kFirstDestinationCountOf128 = 112;
constexpr int kFourByteLines = 328;
constexpr int kTouchLines = 128;
// Every line addressed and filled, and the closing messages.
constexpr std::size_t kLongestFourByteRun = kFourByteLines * (kEepromLineBytes + 1) + 2;
constexpr std::size_t kLongestFiveByteRun = 1 + kTouchLines * 24 + 1;

} // namespace

EepromLayout eepromLayout(int protocolLength, int destinationCount) {
    if (protocolLength != 4)
        return EepromLayout::FiveByte;
    return destinationCount < kFirstDestinationCountOf128 ? EepromLayout::FourByte80
                                                          : EepromLayout::FourByte128;
}

int eepromImageLines(EepromLayout layout) {
    return layout == EepromLayout::FiveByte ? kTouchLines : kFourByteLines;
}

int EepromTexts::add(std::initializer_list<std::string_view> pieces) {
    const auto start = static_cast<std::uint32_t>(chars_.size());
    for (std::string_view piece : pieces)
        chars_ += piece;
    spans_.emplace_back(start, static_cast<std::uint32_t>(chars_.size()) - start);
    return size() - 1;
}

std::string_view EepromTexts::operator[](int index) const {
    const auto [start, length] = spans_.at(static_cast<std::size_t>(index));
    return std::string_view(chars_).substr(start, length);
}

RunBuilder::RunBuilder(EepromUpload& upload, MessageTable& messages)
    : upload_(upload), messages_(messages), percentSuffix_(messages.text(kMessagePercentWritten)) {}

void RunBuilder::setSectionRange(int min, int max) {
    progress_.protexteMin = static_cast<std::int16_t>(min);
    progress_.protexteMax = static_cast<std::int16_t>(max);
}

void RunBuilder::setRunBar(int value, int percent) {
    progress_.proeeprom = static_cast<std::int16_t>(value);
    int& text = percentTexts_[static_cast<std::size_t>(std::clamp(percent, 0, 100))];
    if (text == 0)
        text = addText({std::to_string(percent), percentSuffix_});
    progress_.pourcenteeprom = text;
}

int RunBuilder::messageText(int number) {
    int& text = messageTexts_.at(static_cast<std::size_t>(number));
    if (text == 0)
        text = addText({messages_.text(number)});
    return text;
}

void RunBuilder::send(EepromAction action, int letter, int code, int machine, int data1, int data2) {
    const auto byte = [](int value) { return static_cast<std::uint8_t>(value); };
    upload_.messages.push_back(
        {action, byte(letter), byte(code), byte(machine), byte(data1), byte(data2), progress_, warning_});
    warning_ = 0;
}

void RunBuilder::sendFour(EepromAction action, int code, int machine, int data1, int data2) {
    send(action, 0, code, machine, data1, data2);
}

void RunBuilder::sendFive(EepromAction action, int letter, int data1, int data2) {
    send(action, letter, 0, 0, data1, data2);
}

EepromUpload buildEepromUpload(const Assignments& assignments, int protocolLength, MessageTable& messages) {
    const AssignmentTable& table = assignments.activeTable;
    EepromUpload upload;
    upload.layout = eepromLayout(protocolLength, table.destinationCount);
    upload.proeepromMax = upload.layout == EepromLayout::FiveByte ? kTouchLines : kFourByteLines - 1;
    // Room for the longest run of the layout: a run grows by thousands of messages.
    upload.messages.reserve(upload.layout == EepromLayout::FiveByte ? kLongestFiveByteRun
                                                                    : kLongestFourByteRun);
    RunBuilder run(upload, messages);
    if (upload.layout == EepromLayout::FiveByte)
        buildFiveByteRun(run, table);
    else
        buildFourByteRun(run, table, assignments.specialNames, upload.layout);
    return upload;
}

} // namespace rl4

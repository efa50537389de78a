#include "eeprom/eeprom_image.h"

#include "text/number_text.h"

namespace rl4 {

namespace {

constexpr std::uint8_t kErased = 0xFF;
constexpr int kPageMask = 0xFF00;

class Memory {
public:
    explicit Memory(int lines) : bytes_(static_cast<std::size_t>(lines * kEepromLineBytes), kErased) {}

    void apply(const EepromMessage& message, bool fourByte) {
        switch (message.action) {
        case EepromAction::PresenceTest:
        case EepromAction::SetAddress:
            address_ = fourByte ? message.data2 * 256 + message.data1 : message.data1 * 256 + message.data2;
            break;
        case EepromAction::WriteByte:
            if (fourByte)
                put(address_++, message.data1);
            else
                put((address_ & kPageMask) + message.data1, message.data2);
            break;
        case EepromAction::Close:
        case EepromAction::OsdRefresh:
            break;
        }
    }

    std::vector<std::uint8_t> bytes() && { return std::move(bytes_); }

private:
    // A write beyond the layout's lines would land in memory the image does not cover.
    void put(int address, int value) {
        if (address >= 0 && static_cast<std::size_t>(address) < bytes_.size())
            bytes_[static_cast<std::size_t>(address)] = static_cast<std::uint8_t>(value);
    }

    std::vector<std::uint8_t> bytes_;
    int address_ = 0;
};

} // namespace

std::vector<std::uint8_t> eepromImage(const EepromUpload& upload) {
    Memory memory(eepromImageLines(upload.layout));
    const bool fourByte = upload.layout != EepromLayout::FiveByte;
    for (const EepromMessage& message : upload.messages)
        memory.apply(message, fourByte);
    return std::move(memory).bytes();
}

std::vector<std::string> eepromImageText(const std::vector<std::uint8_t>& image) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < image.size(); start += kEepromLineBytes) {
        std::string line;
        for (std::size_t i = start; i < image.size() && i < start + kEepromLineBytes; ++i) {
            line += line.empty() ? "" : " ";
            line += hex2(image[i]);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

} // namespace rl4

#include "text/text_fields.h"

#include <limits>

namespace rl4 {

namespace {
bool isContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Byte offset of character `index`, or the size of the text when it has fewer characters.
std::size_t characterOffset(std::string_view utf8, std::size_t index) {
    std::size_t offset = 0;
    for (std::size_t seen = 0; offset < utf8.size(); ++offset) {
        if (isContinuationByte(utf8[offset]))
            continue;
        if (seen++ == index)
            return offset;
    }
    return utf8.size();
}
} // namespace

std::string characterSlice(std::string_view utf8, std::size_t first, std::size_t count) {
    const std::size_t begin = characterOffset(utf8, first);
    const std::string_view rest = utf8.substr(begin);
    return std::string(rest.substr(0, characterOffset(rest, count)));
}

std::string_view trimBlanks(std::string_view text) {
    const std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

int numericValue(std::string_view text) {
    std::size_t at = text.find_first_not_of(' ');
    if (at == std::string_view::npos)
        return 0;
    const bool negative = text[at] == '-';
    if (text[at] == '-' || text[at] == '+')
        ++at;
    constexpr long long kLimit = std::numeric_limits<int>::max();
    long long magnitude = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9' && magnitude <= kLimit; ++at)
        magnitude = magnitude * 10 + (text[at] - '0');
    if (magnitude > kLimit)
        return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    return static_cast<int>(negative ? -magnitude : magnitude);
}

} // namespace rl4

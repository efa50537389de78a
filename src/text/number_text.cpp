#include "text/number_text.h"

#include <cstdio>

namespace rl4 {

std::string numberText(long value) {
    const std::string digits = std::to_string(value);
    return value < 0 ? digits : " " + digits;
}

std::string field3(long value) {
    std::string digits = std::to_string(value);
    if (digits.size() > 3)
        return digits.substr(digits.size() - 3);
    return std::string(3 - digits.size(), ' ') + digits;
}

std::string hex2(int value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

} // namespace rl4

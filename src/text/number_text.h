#pragma once

#include <string>

namespace rl4 {

// The program's number form: decimal, with one leading blank when the number is not negative (" 5", "-3").
std::string numberText(long value);

// A number right-aligned in three characters, padded with blanks; a longer number keeps its last three
// characters (1234 gives "234").
std::string field3(long value);

// Two upper-case hexadecimal digits of the low byte.
std::string hex2(int value);

} // namespace rl4

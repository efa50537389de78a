#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rl4 {

// Fixed-column files count characters, not bytes: in memory a line is UTF-8, so an "é" before a field must
// not shift it. These helpers read such lines.

// Up to `count` characters of a UTF-8 text from character `first` on; fewer, or none, when the text ends
// earlier.
std::string characterSlice(std::string_view utf8, std::size_t first, std::size_t count);

// The text without the blanks at both ends.
std::string_view trimBlanks(std::string_view text);

// The number a text starts with, after leading blanks, with an optional sign: "12a" is 12, " -1" is -1, and
// text that does not start with a number is 0. Values beyond the range of int are held at its limits.
int numericValue(std::string_view text);

} // namespace rl4

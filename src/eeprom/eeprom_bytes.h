#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace rl4 {

inline constexpr int kNameBytes = 13;

// A value as one data byte of a frame: the not-assigned mark 257 (and anything above 256) arrives as 255.
std::uint8_t wireByte(int value);

// The first 13 characters of a name in Windows-1252, padded with blanks. The matrix's character set lacks
// the lower-case accents of French and Spanish names, so those become the plain letter; other codes pass.
std::array<std::uint8_t, kNameBytes> nameBytes(const std::string& name);

// The name as the progress window shows it: as many characters as reach the matrix.
std::string shownName(const std::string& name);

} // namespace rl4

#pragma once

#include <optional>
#include <string>
#include <vector>

namespace rl4 {

// The program's files are Windows-1252 text with CR LF line ends, byte-compatible with files made on
// Windows. In memory, text is UTF-8.

// Bytes of Windows-1252 to UTF-8, and back (a character Windows-1252 lacks becomes '?').
std::string fromWindows1252(const std::string& bytes);
std::string toWindows1252(const std::string& utf8);

bool fileExists(const std::string& path);

// The lines of a file, decoded, without their line ends (CR LF, or a lone LF). Nothing when the file
// cannot be opened.
std::optional<std::vector<std::string>> readTextLines(const std::string& path);

enum class TextEncoding { Windows1252, Utf8 };

struct TextFileLines {
    std::vector<std::string> lines;
    TextEncoding encoding = TextEncoding::Windows1252;
};

// As readTextLines, for files an operator may have edited in a UTF-8 editor: a file that starts with the
// UTF-8 byte-order mark, or whose bytes are well-formed UTF-8 with some beyond ASCII, is decoded as UTF-8
// (without its mark). Windows-1252 text with accents is never well-formed UTF-8 in practice.
std::optional<TextFileLines> readTextFile(const std::string& path);

// Writes the lines, encoded, each followed by CR LF, to a temporary file in the same folder that is then
// renamed over `path`, so that a failure never leaves a half-written file. Returns an empty text on success,
// else the system's reason (for example "No space left on device"), which callers put in their own message.
std::string writeTextLines(const std::string& path, const std::vector<std::string>& lines);

} // namespace rl4

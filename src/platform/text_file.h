#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rl4 {

// The program's files are Windows-1252 text with CR LF line ends, byte-compatible with files made on
// Windows. In memory, text is UTF-8.

// Bytes of Windows-1252 to UTF-8, and back (a character Windows-1252 lacks becomes '?').
std::string fromWindows1252(const std::string& bytes);
std::string toWindows1252(const std::string& utf8);

bool fileExists(const std::string& path);

// The text without its leading and trailing blanks (spaces, tabs, line ends).
std::string trimmedOfBlanks(const std::string& text);
// The system's words for an errno value ("No space left on device").
std::string systemErrorText(int error);

// The most of a file a read takes. The program's own files are far smaller (a full assignment is some 600
// lines, 30 KiB): a bigger file is binary or not one of ours, and loading all of it could only stall the
// program or exhaust its memory.
constexpr std::size_t kMaxTextFileBytes = 4 * 1024 * 1024;
constexpr std::size_t kMaxTextFileLines = 100000;

// The lines of a file, decoded, without their line ends (CR LF, or a lone LF). Nothing when the file
// cannot be opened or is not a regular file (a folder, a pipe, a device). Of a file beyond
// kMaxTextFileBytes or kMaxTextFileLines only the whole lines within both are read; the count of bytes
// left out goes to `skippedBytes` when given (0 when the whole file was read).
std::optional<std::vector<std::string>> readTextLines(const std::string& path,
                                                      std::uintmax_t* skippedBytes = nullptr);

enum class TextEncoding { Windows1252, Utf8 };

struct TextFileLines {
    std::vector<std::string> lines;
    TextEncoding encoding = TextEncoding::Windows1252;
    // Bytes of a too large file that were not read into `lines`; 0 when the whole file was read.
    std::uintmax_t skippedBytes = 0;
};

// As readTextLines, for files an operator may have edited in a UTF-8 editor: a file that starts with the
// UTF-8 byte-order mark is decoded as UTF-8 (without its mark); in another, every well-formed UTF-8 sequence
// beyond ASCII is taken as UTF-8 and every other byte as Windows-1252, and `encoding` says UTF-8 when there
// was such a sequence. Windows-1252 text with accents is never well-formed UTF-8 in practice.
std::optional<TextFileLines> readTextFile(const std::string& path);

// Why a file could not be written.
struct WriteFailure {
    // The file, or its folder when the folder refused the temporary file or could not be synchronised.
    std::string path;
    // errno, and its text in the system's words ("No space left on device").
    int error = 0;
    std::string reason;

    // "PATH: REASON".
    std::string describe() const { return path + ": " + reason; }
};

// Writes the lines, encoded, each followed by CR LF, to a temporary file in the same folder, forces it to
// the disk, renames it over `path` and forces the folder to the disk: whatever happens (a full disk, a
// crash, a power cut), `path` holds either its old content or the new one, never a mix, and a failure
// leaves no temporary file behind. The new file keeps the mode of the one it replaces. Nothing on success.
std::optional<WriteFailure> replaceTextFile(const std::string& path, const std::vector<std::string>& lines);

// Removes the temporary files that writers of `path` killed before their rename left beside it, and
// returns how many. Only for a program that holds the folder (ProgramFolderLock): another program's write
// in progress looks the same.
std::size_t removeLeftoverTemporaries(const std::string& path);
// The same for every file of `folder` whose name ends with one of `endings` (".cnx"), the files a writer
// created that never got their first content included.
std::size_t removeLeftoverTemporariesIn(const std::string& folder, const std::vector<std::string>& endings);

// As replaceTextFile. Returns an empty text on success, else the system's reason (for example "No space
// left on device"), which callers put in their own message with the path.
std::string writeTextLines(const std::string& path, const std::vector<std::string>& lines);

constexpr std::size_t kQuotedLineLength = 60;

// A line of a file as a message shows it: control characters escaped (\t, \r, \n, \x01, \x7F, and the
// C1 controls and broken UTF-8 by their byte, \x81), and cut after `maxCharacters` characters with "…"
// (U+2026). Backslashes are left as they are, for the paths they usually belong to.
std::string quotedLine(std::string_view line, std::size_t maxCharacters = kQuotedLineLength);

} // namespace rl4

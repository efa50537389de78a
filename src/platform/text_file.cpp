#include "platform/text_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace rl4 {

namespace {

// Unicode characters of the bytes 0x80..0x9F. The five bytes Windows-1252 leaves undefined stand for the
// C1 control of the same number, so that any file read and written again keeps its bytes.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char kUnknown = '?';

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

struct Utf8Form {
    unsigned char leadMask;
    unsigned char lead;
    std::size_t length;
    char32_t smallest;
};

constexpr std::array<Utf8Form, 3> kMultiByteForms = {{
    {0xE0, 0xC0, 2, 0x80},
    {0xF0, 0xE0, 3, 0x800},
    {0xF8, 0xF0, 4, 0x10000},
}};

// The character at the start of `text` and its length in bytes; nothing when the bytes there are not
// well-formed UTF-8 (a stray continuation byte, a truncated or overlong form, a surrogate, beyond U+10FFFF).
std::optional<std::pair<char32_t, std::size_t>> decodeUtf8(std::string_view text) {
    const auto byte = [text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    if (byte(0) < 0x80)
        return std::pair{char32_t{byte(0)}, std::size_t{1}};
    for (const Utf8Form& form : kMultiByteForms) {
        if ((byte(0) & form.leadMask) != form.lead)
            continue;
        if (text.size() < form.length)
            return std::nullopt;
        auto c = static_cast<char32_t>(byte(0) & ~form.leadMask);
        for (std::size_t i = 1; i < form.length; ++i) {
            if ((byte(i) & 0xC0) != 0x80)
                return std::nullopt;
            c = (c << 6) | (byte(i) & 0x3F);
        }
        if (c < form.smallest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return std::nullopt;
        return std::pair{c, form.length};
    }
    return std::nullopt;
}

char encodeWindows1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c)
            return static_cast<char>(0x80 + i);
    }
    return kUnknown;
}

struct PathParts {
    std::string folder;
    std::string name;
};

PathParts splitPath(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return {".", path};
    return {path.substr(0, slash == 0 ? 1 : slash), path.substr(slash + 1)};
}

constexpr std::string_view kTemporarySuffix = "XXXXXX";

// The hidden name beside the target under which it is written, before the suffix mkstemp fills in: it says
// whose it is should a crash leave it behind. A long name is cut so that the temporary one stays within the
// system's limit even when the target's does.
std::string temporaryPrefixFor(const PathParts& parts) {
    constexpr std::size_t kLongestKept = 200;
    return "." + parts.name.substr(0, kLongestKept) + ".";
}

std::string inFolder(const PathParts& parts, const std::string& name) {
    return (parts.folder == "/" ? "" : parts.folder) + "/" + name;
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return false;
        if (count == 0) {
            errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(count);
    }
    return true;
}

// mkstemp makes the file readable by its owner only; the new file should look like the one it replaces,
// or like any file the user makes.
mode_t modeForReplacement(const std::string& path) {
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0)
        return old.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

void appendWindows1252(std::string& out, unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        appendUtf8(out, kHighControls[byte - 0x80]);
    else
        appendUtf8(out, byte);
}

// Every well-formed UTF-8 sequence beyond ASCII as itself, every other byte as Windows-1252, so that a line
// edited in both keeps all its characters; `sawUtf8` is set when there was such a sequence.
std::string fromMixedEncodings(std::string_view text, bool& sawUtf8) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto decoded = decodeUtf8(text.substr(at));
        if (decoded && decoded->second > 1) {
            out.append(text.substr(at, decoded->second));
            sawUtf8 = true;
            at += decoded->second;
        } else {
            appendWindows1252(out, static_cast<unsigned char>(text[at++]));
        }
    }
    return out;
}

struct FileContent {
    std::string bytes;
    // The file's length when more of it is there than was read, else 0.
    std::uintmax_t lengthBeyond = 0;
};

// At most kMaxTextFileBytes of a regular file. A pipe or a device in place of a file is refused without
// reading: a FIFO would block the program until a writer came, /dev/zero would never end.
std::optional<FileContent> fileBytes(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    FileContent content;
    // One byte beyond the limit tells whether there is more, whatever the file's length claims.
    const std::size_t wanted = kMaxTextFileBytes + 1;
    char chunk[16384];
    while (content.bytes.size() < wanted) {
        const ssize_t count = ::read(fd, chunk, std::min(sizeof chunk, wanted - content.bytes.size()));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (count == 0)
            break;
        content.bytes.append(chunk, static_cast<std::size_t>(count));
    }
    ::close(fd);
    if (content.bytes.size() == wanted) {
        content.bytes.pop_back();
        content.lengthBeyond = std::max<std::uintmax_t>(static_cast<std::uintmax_t>(info.st_size), wanted);
        // A line cut by the limit is no line of the file.
        if (const auto lastEnd = content.bytes.rfind('\n'); lastEnd != std::string::npos)
            content.bytes.resize(lastEnd + 1);
    }
    return content;
}

// The lines of what was read of a file, at most kMaxTextFileLines, and the count of the file's bytes they
// leave out.
template <typename Decode>
std::vector<std::string> splitLines(const FileContent& content, Decode decode, std::uintmax_t& skipped) {
    const std::string& bytes = content.bytes;
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size() && lines.size() < kMaxTextFileLines) {
        auto end = bytes.find('\n', start);
        const bool lastLine = end == std::string::npos;
        if (lastLine)
            end = bytes.size();
        std::size_t length = end - start;
        if (!lastLine && length > 0 && bytes[end - 1] == '\r')
            --length;
        lines.push_back(decode(bytes.substr(start, length)));
        start = lastLine ? end : end + 1;
    }
    skipped = std::max<std::uintmax_t>(content.lengthBeyond, bytes.size()) - start;
    return lines;
}

std::string escapedByte(unsigned value) {
    constexpr const char* kDigits = "0123456789ABCDEF";
    return std::string("\\x") + kDigits[(value >> 4) & 0xF] + kDigits[value & 0xF];
}

} // namespace

std::string fromWindows1252(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char b : bytes)
        appendWindows1252(out, static_cast<unsigned char>(b));
    return out;
}

std::string toWindows1252(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    const std::string_view text = utf8;
    std::size_t at = 0;
    while (at < text.size()) {
        // A bad sequence costs one byte at a time, so the bytes after a damaged one still decode.
        const auto decoded = decodeUtf8(text.substr(at));
        out += decoded ? encodeWindows1252(decoded->first) : kUnknown;
        at += decoded ? decoded->second : 1;
    }
    return out;
}

bool fileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<std::vector<std::string>> readTextLines(const std::string& path, std::uintmax_t* skippedBytes) {
    const std::optional<FileContent> content = fileBytes(path);
    if (!content)
        return std::nullopt;
    std::uintmax_t skipped = 0;
    auto lines = splitLines(*content, fromWindows1252, skipped);
    if (skippedBytes)
        *skippedBytes = skipped;
    return lines;
}

std::optional<TextFileLines> readTextFile(const std::string& path) {
    std::optional<FileContent> content = fileBytes(path);
    if (!content)
        return std::nullopt;
    std::string& bytes = content->bytes;
    const bool marked = bytes.starts_with(kUtf8Mark);
    if (marked) {
        bytes.erase(0, kUtf8Mark.size());
        if (content->lengthBeyond > 0)
            content->lengthBeyond -= kUtf8Mark.size();
    }
    TextFileLines file;
    if (marked) {
        // A marked file with a damaged sequence still reads; the damaged bytes become '?' when written.
        file.lines = splitLines(
            *content, [](const std::string& line) { return line; }, file.skippedBytes);
        file.encoding = TextEncoding::Utf8;
        return file;
    }
    bool sawUtf8 = false;
    file.lines = splitLines(
        *content, [&sawUtf8](const std::string& line) { return fromMixedEncodings(line, sawUtf8); },
        file.skippedBytes);
    if (sawUtf8)
        file.encoding = TextEncoding::Utf8;
    return file;
}

std::optional<WriteFailure> replaceTextFile(const std::string& path, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += toWindows1252(line);
        bytes += "\r\n";
    }
    const auto failure = [](const std::string& where, int error) {
        return WriteFailure{where, error, systemErrorText(error)};
    };

    const PathParts parts = splitPath(path);
    std::string temporary = inFolder(parts, temporaryPrefixFor(parts) + std::string(kTemporarySuffix));
    const mode_t mode = modeForReplacement(path);
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return failure(parts.folder, errno);
    // write(2) keeps nothing in the program, so the flush is the fsync: without it the rename could reach
    // the disk before the content, and a power cut would leave an empty file in place of the old one.
    const bool written = ::fchmod(fd, mode) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    const int closeError = errno;
    if (!written || !closed) {
        ::unlink(temporary.c_str());
        return failure(path, written ? closeError : writeError);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        return failure(path, renameError);
    }
    // The rename itself lives in the folder, which must reach the disk too. A file system that cannot sync
    // a folder (EINVAL) keeps its own promises.
    const int folder = ::open(parts.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return failure(parts.folder, errno);
    const bool synced = ::fsync(folder) == 0 || errno == EINVAL;
    const int syncError = errno;
    ::close(folder);
    if (!synced)
        return failure(parts.folder, syncError);
    return std::nullopt;
}

std::size_t removeLeftoverTemporaries(const std::string& path) {
    const PathParts parts = splitPath(path);
    const std::string prefix = temporaryPrefixFor(parts);
    const auto isSuffix = [](std::string_view text) {
        return text.size() == kTemporarySuffix.size() && std::all_of(text.begin(), text.end(), [](char c) {
                   return std::isalnum(static_cast<unsigned char>(c));
               });
    };
    std::size_t removed = 0;
    std::error_code error;
    std::filesystem::directory_iterator entries(parts.folder, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        if (name.starts_with(prefix) && isSuffix(std::string_view(name).substr(prefix.size())) &&
            entries->is_regular_file(error) && ::unlink(entries->path().c_str()) == 0)
            ++removed;
    }
    return removed;
}

std::size_t removeLeftoverTemporariesIn(const std::string& folder, const std::vector<std::string>& endings) {
    // ".NAME.XXXXXX": what temporaryPrefixFor and mkostemp make of NAME.
    const std::size_t around = 2 + kTemporarySuffix.size();
    std::vector<std::string> targets;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        if (name.size() <= around || name.front() != '.' ||
            name[name.size() - kTemporarySuffix.size() - 1] != '.')
            continue;
        const std::string target = name.substr(1, name.size() - around);
        if (std::ranges::any_of(endings,
                                [&](const std::string& ending) { return target.ends_with(ending); }) &&
            std::ranges::find(targets, target) == targets.end())
            targets.push_back(target);
    }
    std::size_t removed = 0;
    for (const std::string& target : targets)
        removed += removeLeftoverTemporaries(folder + "/" + target);
    return removed;
}

std::string writeTextLines(const std::string& path, const std::vector<std::string>& lines) {
    const auto failure = replaceTextFile(path, lines);
    return failure ? failure->reason : "";
}

std::string quotedLine(std::string_view line, std::size_t maxCharacters) {
    std::string out;
    std::size_t shown = 0;
    for (std::size_t at = 0; at < line.size();) {
        const auto byte = static_cast<unsigned char>(line[at]);
        const auto decoded = byte < 0x80 ? std::nullopt : decodeUtf8(line.substr(at));
        const std::size_t length = decoded ? decoded->second : 1;
        std::string piece;
        if (byte == '\t' || byte == '\r' || byte == '\n')
            piece = byte == '\t' ? "\\t" : byte == '\r' ? "\\r" : "\\n";
        else if (byte < 0x20 || byte == 0x7F || (byte >= 0x80 && !decoded))
            piece = escapedByte(byte);
        else if (decoded && decoded->first <= 0x9F)
            piece = escapedByte(decoded->first);
        // An escape shows as many characters as it has; anything else is one character.
        const std::size_t width = piece.empty() ? 1 : piece.size();
        if (shown + width > maxCharacters) {
            out += "\u2026";
            break;
        }
        out += piece.empty() ? line.substr(at, length) : piece;
        shown += width;
        at += length;
    }
    return out;
}

std::string trimmedOfBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string systemErrorText(int error) {
    return std::error_code(error, std::generic_category()).message();
}

} // namespace rl4

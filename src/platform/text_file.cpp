#include "platform/text_file.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
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

std::string errorText(int error) {
    return std::error_code(error, std::generic_category()).message();
}

// A name beside the target, hidden, that says whose it is should a crash leave it behind.
std::string temporaryNameFor(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return (folder == "/" ? "" : folder) + "/." + name + ".XXXXXX";
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

bool wellFormedUtf8BeyondAscii(std::string_view text) {
    bool beyondAscii = false;
    for (std::size_t at = 0; at < text.size();) {
        const auto decoded = decodeUtf8(text.substr(at));
        if (!decoded)
            return false;
        beyondAscii |= decoded->second > 1;
        at += decoded->second;
    }
    return beyondAscii;
}

std::optional<std::string> fileBytes(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string bytes;
    char chunk[8192];
    for (;;) {
        const ssize_t count = ::read(fd, chunk, sizeof chunk);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (count == 0)
            break;
        bytes.append(chunk, static_cast<std::size_t>(count));
    }
    ::close(fd);
    return bytes;
}

template <typename Decode>
std::vector<std::string> splitLines(const std::string& bytes, Decode decode) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        auto end = bytes.find('\n', start);
        const bool lastLine = end == std::string::npos;
        if (lastLine)
            end = bytes.size();
        std::size_t length = end - start;
        if (!lastLine && length > 0 && bytes[end - 1] == '\r')
            --length;
        lines.push_back(decode(bytes.substr(start, length)));
        start = end + 1;
    }
    return lines;
}

} // namespace

std::string fromWindows1252(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        if (byte >= 0x80 && byte <= 0x9F)
            appendUtf8(out, kHighControls[byte - 0x80]);
        else
            appendUtf8(out, byte);
    }
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

std::optional<std::vector<std::string>> readTextLines(const std::string& path) {
    const std::optional<std::string> bytes = fileBytes(path);
    if (!bytes)
        return std::nullopt;
    return splitLines(*bytes, fromWindows1252);
}

std::optional<TextFileLines> readTextFile(const std::string& path) {
    std::optional<std::string> bytes = fileBytes(path);
    if (!bytes)
        return std::nullopt;
    const bool marked = bytes->starts_with(kUtf8Mark);
    if (marked)
        bytes->erase(0, kUtf8Mark.size());
    if (!marked && !wellFormedUtf8BeyondAscii(*bytes))
        return TextFileLines{splitLines(*bytes, fromWindows1252), TextEncoding::Windows1252};
    // A marked file with a damaged sequence still reads; the damaged bytes become '?' when written.
    return TextFileLines{splitLines(*bytes, [](const std::string& line) { return line; }),
                         TextEncoding::Utf8};
}

std::string writeTextLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += toWindows1252(line);
        bytes += "\r\n";
    }
    const auto failure = [](int error) { return errorText(error); };

    std::string temporary = temporaryNameFor(path);
    const mode_t mode = modeForReplacement(path);
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return failure(errno);
    const bool written = ::fchmod(fd, mode) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    const int closeError = errno;
    if (!written || !closed) {
        ::unlink(temporary.c_str());
        return failure(written ? closeError : writeError);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        return failure(renameError);
    }
    return "";
}

} // namespace rl4

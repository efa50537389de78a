#include "platform/text_file.h"
#include "support/temp_folder.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/resource.h>
#include <sys/stat.h>

namespace rl4 {
namespace {

using test::TempFolder;

std::string bytesOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void putBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::size_t entriesIn(const std::string& folder) {
    const std::filesystem::directory_iterator entries(folder);
    return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

TEST(Windows1252, DecodesTheWholeTableAndRoundTripsEveryByte) {
    EXPECT_EQ(fromWindows1252("\x80\x92\x9F"), "\u20AC\u2019\u0178");
    EXPECT_EQ(fromWindows1252("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");
    EXPECT_EQ(fromWindows1252("Caf\xE9 \xA0\xFF"), "Caf\u00E9 \u00A0\u00FF");
    EXPECT_EQ(toWindows1252("\u20AC\u0153\u2122"), "\x80\x9C\x99");

    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(toWindows1252(fromWindows1252(all)), all);
}

TEST(Windows1252, UnknownAndMalformedTextBecomesQuestionMarks) {
    EXPECT_EQ(toWindows1252("\u03A9\U0001F600\u0080"), "???");
    EXPECT_EQ(toWindows1252("a\x80z"), "a?z");
    EXPECT_EQ(toWindows1252("\xE2\x82z"), "??z");
    EXPECT_EQ(toWindows1252("\xC0\xAF"), "??");
    EXPECT_EQ(toWindows1252("\xED\xA0\x80"), "???");
    EXPECT_EQ(toWindows1252("\xF4\x90\x80\x80"), "????");
    EXPECT_EQ(toWindows1252("\xFF\xC3"), "??");
}

TEST(TextFile, WritesCrLfAndReadsEitherLineEnd) {
    TempFolder folder;
    const std::string path = folder.path("routelane4.cnx");
    ASSERT_EQ(writeTextLines(path, {"Setup#1", "Cam\u00E9ra \u20AC", ""}), "");
    EXPECT_EQ(bytesOf(path), "Setup#1\r\nCam\xE9ra \x80\r\n\r\n");
    EXPECT_EQ(readTextLines(path), (std::vector<std::string>{"Setup#1", "Cam\u00E9ra \u20AC", ""}));

    putBytes(path, "a\r\nb\nc\rd\r\nlast");
    EXPECT_EQ(readTextLines(path), (std::vector<std::string>{"a", "b", "c\rd", "last"}));
    putBytes(path, "");
    EXPECT_EQ(readTextLines(path), std::vector<std::string>{});

    EXPECT_TRUE(fileExists(path));
    EXPECT_FALSE(fileExists(folder.path()));
    EXPECT_FALSE(fileExists(folder.path("none")));
    EXPECT_EQ(readTextLines(folder.path("none")), std::nullopt);
    EXPECT_EQ(readTextLines(folder.path()), std::nullopt);
}

// Text from a UTF-8 editor is told by its mark or by being well-formed UTF-8 beyond ASCII; anything else
// is Windows-1252, byte for byte.
TEST(TextFile, ReadsUtf8WhereTheBytesSaySo) {
    TempFolder folder;
    const std::string path = folder.path("x.agn");
    using enum TextEncoding;
    const struct {
        std::string bytes;
        std::vector<std::string> lines;
        TextEncoding encoding;
    } cases[] = {
        {"Cam 1\r\n", {"Cam 1"}, Windows1252},
        {"Cam\xE9ra\r\n", {"Cam\u00E9ra"}, Windows1252},
        {"Cam\xC3\xA9ra \xE2\x82\xAC\r\n", {"Cam\u00E9ra \u20AC"}, Utf8},
        {"\xC3\xA9t\xC3\xA9 \xE9", {"\u00C3\u00A9t\u00C3\u00A9 \u00E9"}, Windows1252},
        {"\xEF\xBB\xBF"
         "Cam 1\r\nx",
         {"Cam 1", "x"},
         Utf8},
        {"\xEF\xBB\xBF\xE9", {"\xE9"}, Utf8},
    };
    for (const auto& c : cases) {
        putBytes(path, c.bytes);
        const std::optional<TextFileLines> read = readTextFile(path);
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(read->lines, c.lines) << c.bytes;
        EXPECT_EQ(read->encoding, c.encoding) << c.bytes;
    }
    EXPECT_FALSE(readTextFile(folder.path("none")).has_value());
}

TEST(TextFile, ReplacesAFileWholeKeepingItsMode) {
    TempFolder folder;
    const std::string path = folder.path("routelane4.set");
    ASSERT_EQ(writeTextLines(path, std::vector<std::string>(100, "a long line of settings")), "");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_EQ(writeTextLines(path, {"1"}), "");
    EXPECT_EQ(bytesOf(path), "1\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(entriesIn(folder.path()), 1u);
}

TEST(TextFile, FailedWriteSaysWhyKeepsTheOldFileAndLeavesNothingBehind) {
    TempFolder folder;
    const std::string old = "Matrix Routing Switcher\r\n";
    const std::string kept = folder.path("routelane4.cnx");
    putBytes(kept, old);
    putBytes(folder.path("file"), "x");
    // A folder in the way lets the temporary file be written, then the rename fails: it must be removed.
    std::filesystem::create_directories(folder.path("routelane4.agn/inside"));
    const std::string longName = folder.path(std::string(300, 'n'));
    const struct {
        std::string path;
        std::string refused;
        int error;
    } cases[] = {
        {folder.path("gone/routelane4.cnx"), folder.path("gone"), ENOENT},
        {folder.path("file/routelane4.cnx"), folder.path("file"), ENOTDIR},
        {longName, longName, ENAMETOOLONG},
        {folder.path("routelane4.agn"), folder.path("routelane4.agn"), EISDIR},
    };
    for (const auto& c : cases) {
        const auto failure = replaceTextFile(c.path, {"new"});
        ASSERT_TRUE(failure.has_value()) << c.path;
        EXPECT_EQ(failure->error, c.error) << c.path;
        EXPECT_EQ(failure->describe(), c.refused + ": " + std::strerror(c.error));
        EXPECT_EQ(writeTextLines(c.path, {"new"}), std::strerror(c.error));
    }
    EXPECT_EQ(bytesOf(kept), old);
    EXPECT_EQ(entriesIn(folder.path()), 3u);
}

// A file size limit makes the system refuse the write part-way, as a full disk does, and needs no
// privilege to set.
TEST(TextFile, AWriteTheSystemCutsShortKeepsTheOldFile) {
    TempFolder folder;
    const std::string path = folder.path("routelane4.agn");
    const std::string old = "[SOURCES]\r\nCamera 1\r\n";
    putBytes(path, old);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto failure = replaceTextFile(path, std::vector<std::string>(1000, std::string(40, 'x')));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->error, EFBIG);
    EXPECT_EQ(failure->path, path);
    EXPECT_EQ(bytesOf(path), old);
    EXPECT_EQ(entriesIn(folder.path()), 1u);
}

TEST(TextFile, TemporariesLeftByAKilledWriterAreRemovedAndNothingElse) {
    TempFolder folder;
    const std::string path = folder.path("routelane4.cnx");
    for (const char* name :
         {".routelane4.cnx.a1B2c3", ".routelane4.cnx.Zz9Zz9", ".routelane4.cnx.a1B2c",
          ".routelane4.cnx.a1B2c34", ".routelane4.cnx.a1-2c3", ".routelane4.agn.a1B2c3", "routelane4.cnx"})
        putBytes(folder.path(name), "x");
    std::filesystem::create_directories(folder.path(".routelane4.cnx.abcdef"));
    EXPECT_EQ(removeLeftoverTemporaries(path), 2u);
    EXPECT_EQ(entriesIn(folder.path()), 6u);
    EXPECT_EQ(removeLeftoverTemporaries(folder.path("absent/x")), 0u);
}

TEST(TextFile, ReadsOfHugeOrForeignFilesAreBounded) {
    TempFolder folder;
    const std::string kilobyteLine = std::string(1023, 'a') + "\n";
    std::string manyLines;
    for (std::size_t i = 0; i <= kMaxTextFileLines; ++i)
        manyLines += "line\r\n";
    std::string bigLines;
    for (std::size_t i = 0; i < kMaxTextFileBytes / 1024 + 10; ++i)
        bigLines += kilobyteLine;
    const struct {
        const char* name;
        std::string bytes;
        std::size_t lines;
        std::size_t firstLineLength;
        std::uintmax_t skipped;
    } cases[] = {
        {"one line too many", manyLines, kMaxTextFileLines, 4, 6},
        {"ten kilobytes too long", bigLines, kMaxTextFileBytes / 1024, 1023, 10 * 1024},
        {"binary without line ends", std::string(kMaxTextFileBytes + 1024 * 1024, '\0'), 1, kMaxTextFileBytes,
         1024 * 1024},
        {"just within both", std::string(kMaxTextFileBytes - 1, 'b') + "\n", 1, kMaxTextFileBytes - 1, 0},
    };
    for (const auto& c : cases) {
        const std::string path = folder.path("big");
        putBytes(path, c.bytes);
        std::uintmax_t skipped = 12345;
        const auto lines = readTextLines(path, &skipped);
        ASSERT_TRUE(lines.has_value()) << c.name;
        EXPECT_EQ(lines->size(), c.lines) << c.name;
        EXPECT_EQ(lines->front().size(), c.firstLineLength) << c.name;
        EXPECT_EQ(skipped, c.skipped) << c.name;
        const auto file = readTextFile(path);
        ASSERT_TRUE(file.has_value()) << c.name;
        EXPECT_EQ(file->skippedBytes, c.skipped) << c.name;
    }

    // A pipe would block the reader until someone wrote to it, a device might never end.
    ASSERT_EQ(::mkfifo(folder.path("fifo").c_str(), 0600), 0);
    for (const std::string& path : {folder.path("fifo"), std::string("/dev/zero")}) {
        EXPECT_EQ(readTextLines(path), std::nullopt) << path;
        EXPECT_EQ(readTextFile(path), std::nullopt) << path;
    }
}

TEST(TextFile, QuotedLinesAreEscapedAndCut) {
    const auto accents = [](std::size_t n) {
        std::string text;
        while (n-- > 0)
            text += "\u00E9";
        return text;
    };
    const std::string sixty(60, 'x');
    const std::string ellipsis = "\u2026";
    const struct {
        std::string line;
        std::string quoted;
    } cases[] = {
        {"1=/dev/ttyUSB0   \\\\.\\COM1", "1=/dev/ttyUSB0   \\\\.\\COM1"},
        {"a\tb\r\n", "a\\tb\\r\\n"},
        {"\x01\x1B[2J\x7F", "\\x01\\x1B[2J\\x7F"},
        {fromWindows1252("\x81\x9D\x80"), "\\x81\\x9D\u20AC"},
        {"caf\xC3\xA9 \xE2\x82\xAC", "caf\xC3\xA9 \xE2\x82\xAC"},
        {"bad \xFF\xC3 end", "bad \\xFF\\xC3 end"},
        {sixty, sixty},
        {sixty + "y", sixty + ellipsis},
        {std::string(58, 'x') + "\x01", std::string(58, 'x') + ellipsis},
        // A character of two bytes counts as one.
        {accents(70), accents(60) + ellipsis},
    };
    for (const auto& c : cases)
        EXPECT_EQ(quotedLine(c.line), c.quoted) << c.line;
    EXPECT_EQ(quotedLine("abcdef", 3), "abc" + ellipsis);
}

} // namespace
} // namespace rl4

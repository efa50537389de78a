#include "platform/program_folder.h"
#include "platform/text_file.h"
#include "support/temp_folder.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>

namespace rl4 {
namespace {

namespace fs = std::filesystem;
using test::Lines;
const auto bytesOf = test::fileBytes;
const auto putBytes = test::writeBytes;

auto entriesIn(const std::string& folder) {
    return std::distance(fs::directory_iterator(folder), {});
}

TEST(Windows1252, EveryByteRoundTripsAndWhatItLacksBecomesQuestionMarks) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(toWindows1252(fromWindows1252(all)), all);
    EXPECT_EQ(fromWindows1252("\x80\x92\x9F\x81\xE9\xFF"), "\u20AC\u2019\u0178\u0081\u00E9\u00FF");
    // What it lacks, then broken UTF-8: a lone continuation, a cut sequence, an overlong form, a surrogate,
    // beyond U+10FFFF, bytes that never start one.
    EXPECT_EQ(
        toWindows1252("\u03A9\U0001F600\u0080|\x80|\xE2\x82z|\xC0\xAF|\xED\xA0\x80|\xF4\x90\x80\x80|\xFF"),
        "???|?|??z|??|???|????|?");
}

TEST(TextFile, WritesCrLfAndReadsEitherLineEndInEitherEncoding) {
    test::TempFolder folder;
    const std::string path = folder.path("routelane4.cnx");
    ASSERT_EQ(writeTextLines(path, {"Setup#1", "Cam\u00E9ra \u20AC", ""}), "");
    EXPECT_EQ(bytesOf(path), "Setup#1\r\nCam\xE9ra \x80\r\n\r\n");
    EXPECT_TRUE(fileExists(path));
    EXPECT_FALSE(fileExists(folder.path()));
    EXPECT_EQ(readTextFile(folder.path()), std::nullopt);
    // UTF-8 from an editor is told by its mark or, sequence by sequence, by being well-formed beyond ASCII;
    // any other byte is Windows-1252.
    using enum TextEncoding;
    const std::tuple<std::string, Lines, TextEncoding> cases[] = {
        {"a\r\nb\nc\rd\r\nlast", {"a", "b", "c\rd", "last"}, Windows1252},
        {"Cam\xE9ra\r\n", {"Cam\u00E9ra"}, Windows1252},
        {"Cam\xC3\xA9ra \xE2\x82\xAC", {"Cam\u00E9ra \u20AC"}, Utf8},
        {"\xC3\xA9t\xC3\xA9 \xE9\x80", {"\u00E9t\u00E9 \u00E9\u20AC"}, Utf8},
        {"Cam\xC3\xA9ra\r\n\xE9t\xE9", {"Cam\u00E9ra", "\u00E9t\u00E9"}, Utf8},
        {"\xEF\xBB\xBF\xE9\r\nx", {"\xE9", "x"}, Utf8},
    };
    for (const auto& [bytes, lines, encoding] : cases) {
        putBytes(path, bytes);
        const std::optional<TextFileLines> read = readTextFile(path);
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(read->lines, lines) << bytes;
        EXPECT_EQ(read->encoding, encoding) << bytes;
    }
}

TEST(TextFile, AReplacedFileKeepsItsModeAndAFailedWriteKeepsTheOldFileAndLeavesNothingBehind) {
    test::TempFolder folder;
    const std::string kept = folder.path("routelane4.cnx");
    ASSERT_EQ(writeTextLines(kept, Lines(100, "a long line of settings")), "");
    ASSERT_EQ(::chmod(kept.c_str(), 0640), 0);
    ASSERT_EQ(writeTextLines(kept, {"old"}), "");
    EXPECT_EQ(fs::status(kept).permissions(), fs::perms(0640));
    // A folder in the way lets the temporary file be written, then the rename fails; so does a name too long
    // for the folder, the temporary one being cut.
    fs::create_directories(folder.path("routelane4.agn/inside"));
    const std::string longName = folder.path(std::string(300, 'n'));
    const std::tuple<std::string, std::string, int> cases[] = {
        {folder.path("gone/routelane4.cnx"), folder.path("gone"), ENOENT},
        {longName, longName, ENAMETOOLONG},
        {folder.path("routelane4.agn"), folder.path("routelane4.agn"), EISDIR},
    };
    for (const auto& [path, refused, error] : cases) {
        const auto failure = replaceTextFile(path, {"new"});
        ASSERT_TRUE(failure.has_value()) << path;
        EXPECT_EQ(failure->describe(), refused + ": " + std::strerror(error));
        EXPECT_EQ(writeTextLines(path, {"new"}), std::strerror(error));
    }
    // A file size limit makes the system refuse the write part-way, as a full disk does.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const rlimit small{4096, saved.rlim_max};
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto cut = replaceTextFile(kept, Lines(1000, std::string(40, 'x')));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(cut->describe(), kept + ": " + std::strerror(EFBIG));
    EXPECT_EQ(bytesOf(kept), "old\r\n");
    EXPECT_EQ(entriesIn(folder.path()), 2) << "no temporary is left";
}

TEST(TextFile, TemporariesLeftByAKilledWriterAreRemovedAndNothingElse) {
    test::TempFolder folder;
    for (const char* name : {".routelane4.cnx.a1B2c3", ".routelane4.cnx.Zz9Zz9", ".routelane4.cnx.a1B2c",
                             ".routelane4.cnx.a1B2c34", ".routelane4.cnx.a1-2c3", ".routelane4.agn.a1B2c3"})
        putBytes(folder.path(name), "x");
    fs::create_directories(folder.path(".routelane4.cnx.abcdef"));
    EXPECT_EQ(removeLeftoverTemporaries(folder.path("routelane4.cnx")), 2u);
    EXPECT_EQ(entriesIn(folder.path()), 5);
    // By ending, for a folder: a file never written whole still counts; another program's files do not.
    for (const char* name : {".show.cnx.q1W2e3", ".protocol.set.a1B2c3", ".cnx.a1B2c3"})
        putBytes(folder.path(name), "x");
    EXPECT_EQ(removeLeftoverTemporariesIn(folder.path(), {".cnx", ".agn", "routelane4.set"}), 2u);
    EXPECT_EQ(entriesIn(folder.path()), 6);
}

TEST(TextFile, ReadsOfHugeOrForeignFilesAreBounded) {
    test::TempFolder folder;
    std::string manyLines;
    for (std::size_t i = 0; i <= kMaxTextFileLines; ++i)
        manyLines += "line\r\n";
    std::string bigLines;
    for (std::size_t i = 0; i < kMaxTextFileBytes / 1024 + 10; ++i)
        bigLines += std::string(1023, 'a') + "\n";
    const std::tuple<std::string, std::size_t, std::size_t, std::uintmax_t> cases[] = {
        {manyLines, kMaxTextFileLines, 4, 6}, // lines, the first line's length, bytes left out
        {std::string(kMaxTextFileBytes + 1024 * 1024, '\0'), 1, kMaxTextFileBytes, 1024 * 1024},
        {bigLines, kMaxTextFileBytes / 1024, 1023, 10 * 1024},
        {std::string(kMaxTextFileBytes - 1, 'b') + "\n", 1, kMaxTextFileBytes - 1, 0},
    };
    for (const auto& [bytes, lines, firstLength, left] : cases) {
        SCOPED_TRACE(lines);
        putBytes(folder.path("big"), bytes);
        std::uintmax_t skipped = 12345;
        const auto read = readTextLines(folder.path("big"), &skipped);
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(read->size(), lines);
        EXPECT_EQ(read->front().size(), firstLength);
        EXPECT_EQ(skipped, left);
        EXPECT_EQ(readTextFile(folder.path("big"))->skippedBytes, left);
    }
    // A pipe would block the reader until someone wrote to it, a device might never end.
    ASSERT_EQ(::mkfifo(folder.path("fifo").c_str(), 0600), 0);
    EXPECT_EQ(readTextLines(folder.path("fifo")), std::nullopt);
    EXPECT_EQ(readTextFile("/dev/zero"), std::nullopt);
    EXPECT_EQ(readTextFile("/proc/self/mem"), std::nullopt) << "a file that fails to read";
}

TEST(TextFile, QuotedLinesAreEscapedAndCut) {
    std::string accents;
    for (int i = 0; i < 70; ++i)
        accents += "\u00E9";
    const std::string x58(58, 'x');
    const std::pair<std::string, std::string> cases[] = {
        {"1=/dev/ttyUSB0 \\\\.\\COM1 a\tb\r\n\x01\x1B[2J\x7F",
         "1=/dev/ttyUSB0 \\\\.\\COM1 a\\tb\\r\\n\\x01\\x1B[2J\\x7F"},
        {fromWindows1252("\x81\x9D\x80") + "caf\xC3\xA9 \xFF\xC3.",
         "\\x81\\x9D\u20ACcaf\xC3\xA9 \\xFF\\xC3."},
        {x58 + "yz", x58 + "yz"},
        {x58 + "yz!", x58 + "yz\u2026"},
        {x58 + "\x01", x58 + "\u2026"},
        {accents, accents.substr(0, 120) + "\u2026"}, // a character of two bytes counts as one
    };
    for (const auto& [line, quoted] : cases)
        EXPECT_EQ(quotedLine(line), quoted) << line;
    EXPECT_EQ(quotedLine("abcdef", 3), "abc\u2026");
}

// A bin folder beside a share folder is an installation that every user shares: its programs keep their files
// in each user's home even when the folder is writable, as the temporary folder is here and /usr/bin is for
// root. Any other writable folder is portable: files beside the executable.
TEST(ProgramFolder, TheDataOptionThenTheExecutablesFolderThenTheHome) {
    test::TempFolder temp;
    for (const char* folder : {"bin", "usr/bin", "usr/share", "opt/bin", "kit/share", "tools/sbin",
                               "tools/share", "odd/bin", "ro"})
        fs::create_directories(temp.path(folder));
    putBytes(temp.path("odd/share"), "x");
    putBytes(temp.path("file"), "x");
    // Root may write anywhere, so a read-only folder only counts for other users.
    ::chmod(temp.path("ro").c_str(), 0555);
    const std::string home = "home/.local/share/routelane4", readOnly = ::geteuid() == 0 ? "ro" : home;
    const struct {
        std::optional<std::string> data;
        std::string executable, program, home, folder, error;
    } cases[] = {
        {"data/matrix", "bin/routelane4", "routelane4", "home", "data/matrix", ""},
        {"", "bin/routelane4", "routelane4", "home", "", "--data needs a folder"},
        {"file/data", "", "routelane4", "home", "", "cannot create folder " + temp.path("file/data") + ": "},
        {{}, "bin/routelane4", "routelane4", "home", "bin", ""},
        {{}, "/nonexistent/bin/routelane4", "routelane4", "home", home, ""},
        {{}, "", "protocol", "home", "home/.local/share/protocol", ""},
        {{}, "ro/routelane4", "routelane4", "home", readOnly, ""},
        {{}, "usr/bin/routelane4", "routelane4", "home", home, ""},
        {{}, "opt/bin/routelane4", "routelane4", "home", "opt/bin", ""},
        {{}, "kit/routelane4", "routelane4", "home", "kit", ""},
        {{}, "tools/sbin/protocol", "protocol", "home", "tools/sbin", ""},
        {{}, "odd/bin/routelane4", "routelane4", "home", "odd/bin", ""}, // a file named share
        {{}, "/nonexistent/routelane4", "routelane4", "file", "", "cannot create folder "},
        {{}, "/nonexistent/routelane4", "routelane4", "", "", "cannot find a folder for the program's files"},
    };
    const auto at = [&temp](const std::string& p) { return p.empty() || p[0] == '/' ? p : temp.path(p); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.executable + " " + c.home);
        // HOME is this test's own: nothing else in the program reads it.
        c.home.empty() ? ::unsetenv("HOME") : ::setenv("HOME", at(c.home).c_str(), 1);
        const FolderChoice chosen =
            programFolder(c.data ? std::optional(at(*c.data)) : std::nullopt, at(c.executable), c.program);
        EXPECT_EQ(chosen.folder, at(c.folder));
        if (c.error.empty())
            EXPECT_TRUE(chosen.error.empty() && fs::is_directory(chosen.folder)) << chosen.error;
        else
            EXPECT_EQ(chosen.error.rfind(c.error, 0), 0u) << chosen.error;
    }
    EXPECT_EQ(fs::path(executablePath()).filename(), "test_platform");
}

} // namespace
} // namespace rl4

#include "platform/text_file.h"
#include "support/temp_folder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
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

TEST(TextFile, FailedWriteSaysWhyAndLeavesNothingBehind) {
    TempFolder folder;
    const std::string missing = folder.path("gone/routelane4.cnx");
    EXPECT_EQ(writeTextLines(missing, {"x"}), "No such file or directory");

    // A folder in the way lets the temporary file be written, then the rename fails: it must be removed.
    const std::string blocked = folder.path("routelane4.agn");
    std::filesystem::create_directories(blocked + "/inside");
    const std::string error = writeTextLines(blocked, {"x"});
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(entriesIn(folder.path()), 1u);
}

} // namespace
} // namespace rl4

#include "control/control_line.h"

#include <gtest/gtest.h>

namespace rl4 {
namespace {

using WordList = std::vector<std::string>;

TEST(ControlLine, SplitsWordsAndRefusesWhatIsNoCommand) {
    const struct {
        std::string line;
        WordList words;
        std::string error; // the start of it
    } cases[] = {
        {"route 2 3", {"route", "2", "3"}, ""},
        {"  route\t2   3 \r", {"route", "2", "3"}, ""},
        {"load \"/tmp/my show.cnx\"", {"load", "/tmp/my show.cnx"}, ""},
        {R"(load "a\"b\\c")", {"load", R"(a"b\c)"}, ""},
        {"load \"\"", {"load", ""}, ""},
        {"save caf\xc3\xa9.cnx", {"save", "caf\xc3\xa9.cnx"}, ""},
        {"", {}, ""},
        {" \t\r", {}, ""},
        {"load \"open", {}, "a quoted word has no closing quote"},
        {"load \"a\"b", {}, "a closing quote must end its word"},
        {"load a\"b\"", {}, "a quote inside a word"},
        {R"(load "a\nb")", {}, "inside quotes a backslash"},
        {"load \"a\\", {}, "inside quotes a backslash"},
        {std::string("route\0 2", 8), {}, "control character"},
        {"route \x1b[2J", {}, "control character"},
        {"load \"a\rb\"", {}, "control character"},
        {std::string(kLongestControlLine, 'x'), {std::string(kLongestControlLine, 'x')}, ""},
        {std::string(kLongestControlLine + 1, 'x'), {}, "line longer than 4096 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line.substr(0, 40));
        const ControlRequest request = parseControlLine(c.line);
        EXPECT_EQ(request.words, c.words);
        EXPECT_TRUE(request.error.starts_with(c.error)) << request.error;
        EXPECT_EQ(request.error.empty(), c.error.empty());
    }
}

TEST(ControlLine, QuotedWordsComeBackWhole) {
    const WordList words{"load", "/tmp/my show.cnx", "", "a\"b\\c", "tab\there", "plain"};
    std::string line;
    for (const std::string& word : words)
        line += quoteControlWord(word) + ' ';
    EXPECT_EQ(parseControlLine(line).words, words);
    EXPECT_EQ(quoteControlWord("plain"), "plain");
}

TEST(ControlLine, AnswerBlocksTagEveryLineAndEndOnOne) {
    EXPECT_EQ(controlAnswer("a\nOK\n", "", 0, ""), "> a\n> OK\nOK\n");
    EXPECT_EQ(controlAnswer("", "cannot read x\n", 66, "load failed"),
              "! cannot read x\nERR 66 load failed\n");
    EXPECT_EQ(controlAnswer("", "", 64, "two\nlines"), "ERR 64 two lines\n");
    EXPECT_EQ(controlAnswer("", "", 75, ""), "ERR 75\n");
}

} // namespace
} // namespace rl4

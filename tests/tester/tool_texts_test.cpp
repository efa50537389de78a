#include "tester/tool_options.h"
#include "tester/tool_texts.h"

#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <vector>

namespace rl4::tester {
namespace {

// The places a text fills in ("%1", "%2"): a twin that loses one drops a port number or a file name.
std::multiset<std::string> places(const char* text) {
    std::multiset<std::string> found;
    const std::string s = text;
    const std::regex mark("%[1-9]");
    for (auto it = std::sregex_iterator(s.begin(), s.end(), mark); it != std::sregex_iterator(); ++it)
        found.insert(it->str());
    return found;
}

TEST(CaptionTable, EveryTextHasItsFrenchTwin) {
    const CaptionRow* table = captionTable();
    for (int i = 0; i < kTextCount; ++i) {
        const CaptionRow& row = table[i];
        // A row left out shifts the ones after it, or leaves an empty row at the end.
        ASSERT_EQ(static_cast<int>(row.id), i) << "row " << i;
        ASSERT_TRUE(row.english && *row.english) << "text " << i;
        ASSERT_TRUE(row.french && *row.french) << "text " << i << " \"" << row.english << "\" has no French";
        EXPECT_EQ(places(row.english), places(row.french)) << row.english;
    }
}

TEST(CaptionTable, ValuesFillTheirPlacesOnce) {
    EXPECT_EQ(caption(TextId::PortNotAvailable, Language::French, {"3"}),
              "Le port Com3 n'est pas disponible");
    // A folder whose name holds a mark stays as it is.
    EXPECT_EQ(caption(TextId::CannotWrite, Language::English, {"/tmp/a%2", "No space left"}),
              "Cannot write /tmp/a%2: No space left");
}

TEST(ToolLanguage, TheLocaleForMessagesDecides) {
    struct Row {
        const char *lcAll, *lcMessages, *lang;
        Language expected;
    };
    const Row rows[] = {
        {nullptr, nullptr, nullptr, Language::English},
        {nullptr, nullptr, "fr_FR.UTF-8", Language::French},
        {nullptr, nullptr, "fr", Language::French},
        {nullptr, "fr_CA.UTF-8", "en_US.UTF-8", Language::French},
        {nullptr, "C", "fr_FR.UTF-8", Language::English},
        {"fr_BE.UTF-8", "en_US.UTF-8", "en_US.UTF-8", Language::French},
        // A variable set but empty does not count.
        {"", "", "fr_CH.UTF-8", Language::French},
        {"de_DE.UTF-8", nullptr, "fr_FR.UTF-8", Language::English},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::array{row.lcAll, row.lcMessages, row.lang}));
        EXPECT_EQ(localeLanguage({row.lcAll, row.lcMessages, row.lang}), row.expected);
    }
}

TEST(ToolOptions, CommandLines) {
    const LocaleVariables french{nullptr, nullptr, "fr_FR.UTF-8"};
    const LocaleVariables english{nullptr, nullptr, "en_US.UTF-8"};
    struct Row {
        std::vector<const char*> args;
        LocaleVariables locale;
        Language language;
        const char* data; // nullptr: none
        bool help;
        const char* error; // how the message starts; empty: none
    };
    const Row rows[] = {
        {{}, english, Language::English, nullptr, false, ""},
        {{"--lang", "en"}, french, Language::English, nullptr, false, ""},
        {{"--lang=fr", "--help"}, english, Language::French, nullptr, true, ""},
        {{"--data", "/tmp/p"}, english, Language::English, "/tmp/p", false, ""},
        {{"--data=/tmp/p", "--data", "/tmp/q"}, english, Language::English, "/tmp/q", false, ""},
        {{"--data"}, english, Language::English, nullptr, false, "--data needs a folder"},
        {{"--data", "--help"}, french, Language::French, nullptr, true, "--data demande un dossier"},
        {{"--lang", "de"}, french, Language::French, nullptr, false, "--lang prend en ou fr"},
        {{"--lang"}, english, Language::English, nullptr, false, "--lang takes en or fr"},
        {{"--port", "3"}, english, Language::English, nullptr, false, "unknown option '--port'"},
        {{"--lang", "fr", "folder"}, english, Language::French, nullptr, false, "option inconnue « folder »"},
        {{"--help=maybe"}, english, Language::English, nullptr, false, "cannot read the options: "},
    };
    for (const Row& row : rows) {
        std::vector<const char*> argv{"protocol"};
        argv.insert(argv.end(), row.args.begin(), row.args.end());
        const ToolOptions options = parseToolOptions(static_cast<int>(argv.size()), argv.data(), row.locale);
        SCOPED_TRACE(testing::PrintToString(row.args));
        EXPECT_TRUE(*row.error ? options.error.starts_with(row.error) : options.error.empty())
            << options.error;
        EXPECT_EQ(options.language, row.language);
        EXPECT_EQ(options.help, row.help);
        EXPECT_EQ(options.data.value_or("(none)"), row.data ? row.data : "(none)");
    }
}

} // namespace
} // namespace rl4::tester

#include "tester/tool_options.h"
#include "tester/tool_texts.h"

#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <tuple>
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

TEST(CaptionTable, ValuesFillTheirPlacesOnceAndEveryTextHasItsFrenchTwin) {
    // A folder whose name holds a mark stays as it is.
    EXPECT_EQ(caption(TextId::CannotWrite, Language::English, {"/tmp/a%2", "No space left"}),
              "Cannot write /tmp/a%2: No space left");
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

TEST(ToolOptions, CommandLines) {
    const LocaleVariables french{nullptr, nullptr, "fr_FR.UTF-8"};
    const LocaleVariables english{nullptr, nullptr, "en_US.UTF-8"};
    // The arguments and the locale, then what is read: the language, the data folder (nullptr: none), help,
    // and how the error message starts (empty: none).
    using Row =
        std::tuple<std::vector<const char*>, LocaleVariables, Language, const char*, bool, const char*>;
    const Row rows[] = {
        {{}, english, Language::English, nullptr, false, ""},
        // The first of LC_ALL, LC_MESSAGES and LANG that is set and not empty gives the language.
        {{}, {nullptr, nullptr, nullptr}, Language::English, nullptr, false, ""},
        {{}, {nullptr, nullptr, "fr"}, Language::French, nullptr, false, ""},
        {{}, {nullptr, "fr_CA.UTF-8", "en_US.UTF-8"}, Language::French, nullptr, false, ""},
        {{}, {nullptr, "C", "fr_FR.UTF-8"}, Language::English, nullptr, false, ""},
        {{}, {"fr_BE.UTF-8", "en_US.UTF-8", "en_US.UTF-8"}, Language::French, nullptr, false, ""},
        {{}, {"", "", "fr_CH.UTF-8"}, Language::French, nullptr, false, ""},
        {{}, {"de_DE.UTF-8", nullptr, "fr_FR.UTF-8"}, Language::English, nullptr, false, ""},
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
    for (const auto& [args, locale, language, data, help, error] : rows) {
        std::vector<const char*> argv{"protocol"};
        argv.insert(argv.end(), args.begin(), args.end());
        const ToolOptions options = parseToolOptions(static_cast<int>(argv.size()), argv.data(), locale);
        SCOPED_TRACE(testing::PrintToString(args) + " in " +
                     testing::PrintToString(std::array{locale.lcAll, locale.lcMessages, locale.lang}));
        EXPECT_TRUE(*error ? options.error.starts_with(error) : options.error.empty()) << options.error;
        EXPECT_EQ(options.language, language);
        EXPECT_EQ(options.help, help);
        EXPECT_EQ(options.data.value_or("(none)"), data ? data : "(none)");
    }
}

} // namespace
} // namespace rl4::tester

#include "text/message_table.h"
#include "text/text_fields.h"

#include <algorithm>
#include <array>
#include <climits>
#include <gtest/gtest.h>
#include <tuple>

namespace rl4 {
namespace {

using enum TextPart;

std::array<std::string, 6> allParts(const MessageTable& messages) {
    return {messages.part(A), messages.part(B), messages.part(C),
            messages.part(D), messages.part(E), messages.part(F)};
}

TEST(MessageTable, OnlyTheListedPartsChange) {
    for (int language : {kLanguageEnglish, kLanguageFrench}) {
        MessageTable messages;
        messages.setLanguage(language);
        // Between them these three fill all six parts, in either language.
        for (int number : {95, 92, 90})
            messages.MessageText(number);
        std::array<std::string, 6> before = allParts(messages);
        EXPECT_EQ(std::count(before.begin(), before.end(), ""), 0) << language;

        messages.MessageText(8);
        std::array<std::string, 6> after = allParts(messages);
        EXPECT_NE(after[0], before[0]);
        EXPECT_NE(after[1], before[1]);
        EXPECT_TRUE(std::equal(after.begin() + 2, after.end(), before.begin() + 2)) << language;

        for (int missing : {0, 15, 19, 20, 49, 51, 80, 81, 97, 98, 108}) {
            messages.MessageText(missing);
            EXPECT_EQ(allParts(messages), after) << missing;
        }
    }
}

// The language is read at each call; one that is neither gives English.
TEST(MessageTable, TextsFollowTheLanguageKeepBlanksAndAccentsAndConnectorPartsSwap) {
    MessageTable messages;
    const auto connector = [&messages](int message, const std::string& layer) {
        messages.MessageText(92);
        messages.MessageText(message);
        return messages.part(E) + layer + messages.part(F);
    };
    EXPECT_EQ(connector(90, "Video"), "Input Video connector N°");
    EXPECT_EQ(connector(91, "Audio"), "Output Audio connector N°");
    // The English texts are checked where they are shown; here what the French ones keep and lack.
    messages.setLanguage(kLanguageFrench);
    messages.MessageText(8);
    EXPECT_EQ(messages.part(A) + "x.cnx" + messages.part(B),
              "Le fichier de commutation :x.cnx n'existe pas.");
    EXPECT_EQ(messages.text(101), "Effacer cette colonne|Remplir avec 1,2,3...|cancel");
    EXPECT_EQ(connector(90, "Video"), "Connecteur Video d'entrée N°");
    EXPECT_EQ(connector(91, "RGB"), "Connecteur RGB de sortie N°");

    // Asked alone, 90 and 91 leave the part that 92 fills in that language.
    messages.MessageText(91);
    EXPECT_EQ(messages.part(E), "Connecteur ");
    messages.setLanguage(kLanguageEnglish);
    messages.MessageText(90);
    EXPECT_EQ(messages.part(E) + messages.part(F), "Input  de sortie N°");
    for (int other : {0, 3, 255}) {
        messages.setLanguage(other);
        EXPECT_EQ(messages.text(2), "no matrix found") << other;
    }
}

TEST(TextFields, NumericValueTakesTheLeadingNumber) {
    const std::pair<const char*, int> cases[] = {{"12a", 12}, {" -1", -1}, {"  7", 7}, {"+5 ", 5},
                                                 {"1 2", 1},  {"abc", 0},  {"", 0},    {"   ", 0},
                                                 {"-", 0},    {"- 3", 0}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(numericValue(text), value) << text;
    EXPECT_EQ(numericValue("99999999999999999999"), INT_MAX);
    EXPECT_EQ(numericValue("-99999999999999999999"), INT_MIN);
}

TEST(TextFields, SlicesCountCharactersNotBytes) {
    const std::string line = "Caméra ✓|  5|";
    const std::tuple<int, int, const char*> slices[] = {{0, 6, "Caméra"}, {7, 2, "✓|"}, {9, 3, "  5"},
                                                        {11, 3, "5|"},    {13, 3, ""},  {40, 3, ""}};
    for (const auto& [start, length, text] : slices)
        EXPECT_EQ(characterSlice(line, start, length), text) << start;
    EXPECT_EQ(trimBlanks("  a b  "), "a b");
    EXPECT_EQ(trimBlanks("    "), "");
}

} // namespace
} // namespace rl4

#include "text/message_table.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>

namespace rl4 {
namespace {

using enum TextPart;

TEST(MessageTable, LanguageIsReadAtEachCall) {
    MessageTable messages;
    messages.setLanguage(kLanguageFrench);
    EXPECT_EQ(messages.text(1), "matrice");
    for (int other : {0, 3, 255}) {
        messages.setLanguage(other);
        EXPECT_EQ(messages.text(2), "no matrix found") << other;
    }
}

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

TEST(MessageTable, ConnectorPartsSwapBetweenLanguages) {
    MessageTable messages;
    const auto connector = [&messages](int message, const std::string& layer) {
        messages.MessageText(92);
        messages.MessageText(message);
        return messages.part(E) + layer + messages.part(F);
    };
    EXPECT_EQ(connector(90, "Video"), "Input Video connector N°");
    EXPECT_EQ(connector(91, "Audio"), "Output Audio connector N°");
    messages.setLanguage(kLanguageFrench);
    EXPECT_EQ(connector(90, "Video"), "Connecteur Video d'entrée N°");
    EXPECT_EQ(connector(91, "RGB"), "Connecteur RGB de sortie N°");

    // Asked alone, 90 and 91 leave the part that 92 fills in that language.
    messages.MessageText(91);
    EXPECT_EQ(messages.part(E), "Connecteur ");
    messages.setLanguage(kLanguageEnglish);
    messages.MessageText(90);
    EXPECT_EQ(messages.part(E) + messages.part(F), "Input  de sortie N°");
}

TEST(MessageTable, TextsKeepTheirBlanksAndAccents) {
    MessageTable messages;
    messages.MessageText(8);
    EXPECT_EQ(messages.part(A) + "x.cnx" + messages.part(B), "The connexion file: x.cnx don't exist.");
    messages.MessageText(92);
    EXPECT_EQ(messages.part(B), " connector is already used by  ");
    EXPECT_EQ(messages.part(C), " .  Do you want to remove  ");
    EXPECT_EQ(messages.text(52) + messages.part(B), "Used layers:       Unused layers: ");

    messages.setLanguage(kLanguageFrench);
    messages.MessageText(8);
    EXPECT_EQ(messages.part(A) + "x.cnx" + messages.part(B),
              "Le fichier de commutation :x.cnx n'existe pas.");
    EXPECT_EQ(messages.text(21), "Veuillez fermer la fenêtre déassignations.");
    EXPECT_EQ(messages.text(101), "Effacer cette colonne|Remplir avec 1,2,3...|cancel");
}

} // namespace
} // namespace rl4

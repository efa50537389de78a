#include "engine/main_menu.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <stdexcept>

namespace rl4 {
namespace {

using namespace std::string_view_literals;

// Submenu id followed by its item ids, 0 for a separator.
std::vector<std::vector<int>> shape(const std::vector<MenuItem>& bar) {
    std::vector<std::vector<int>> result;
    for (const MenuItem& submenu : bar) {
        EXPECT_EQ(submenu.kind, MenuItem::Kind::Submenu);
        std::vector<int> ids{submenu.id};
        for (const MenuItem& item : submenu.items)
            ids.push_back(item.kind == MenuItem::Kind::Separator ? 0 : item.id);
        result.push_back(ids);
    }
    return result;
}

const MenuItem* find(const std::vector<MenuItem>& bar, int id) {
    for (const MenuItem& submenu : bar) {
        if (submenu.id == id)
            return &submenu;
        for (const MenuItem& item : submenu.items) {
            if (item.kind != MenuItem::Kind::Separator && item.id == id)
                return &item;
        }
    }
    return nullptr;
}

TEST(MainMenu, BothLanguagesBuildTheSameBarWithTheirOwnCaptions) {
    const std::vector<std::vector<int>> expected{
        {100, 101, 102, 103, 0, 104, 111, 109, 110, 0, 107, 108, 0, 106},
        {200, 201, 202, 0, 203, 204, 0, 206, 0, 205, 0, 207},
        {300, 305, 306, 0, 307, 308},
        {400, 401},
        {500, 501, 502},
    };
    for (int language : {kLanguageEnglish, kLanguageFrench}) {
        const std::span<const std::string_view> entries = mainMenuEntries(language);
        // One empty entry closes each submenu, one more ends the bar.
        EXPECT_EQ(std::ranges::count(entries, ""sv), 6);
        EXPECT_EQ(entries.back(), "");
        EXPECT_EQ(entries[entries.size() - 2], "");
        EXPECT_EQ(shape(mainMenu(language)), expected) << "language " << language;
    }

    const std::vector<MenuItem> english = mainMenu(kLanguageEnglish);
    EXPECT_EQ(find(english, 100)->caption, "&File");
    EXPECT_EQ(find(english, 109)->caption, "Store Current Status to the matrix\"");
    EXPECT_EQ(find(english, 501)->caption, "&Help");
    const std::vector<MenuItem> french = mainMenu(kLanguageFrench);
    EXPECT_EQ(find(french, 109)->caption, "Mémoriser l'état de la grille");
    EXPECT_EQ(find(french, 206)->caption, "Controleur de commutation");
    EXPECT_EQ(find(french, 107)->caption, "&Paramètres");
    // Language values other than French fall back to English.
    EXPECT_EQ(find(mainMenu(0), 106)->caption, "&Quit");
}

TEST(MainMenu, OnlyTheSetupsAndSpecialFunctionsAreGreyedAndOnlyFourItemsCarryChecks) {
    for (const MenuItem& submenu : mainMenu(kLanguageFrench)) {
        for (const MenuItem& item : submenu.items) {
            if (item.kind == MenuItem::Kind::Separator)
                continue;
            const bool disabled = item.id == 308 || item.id == 110 || item.id == 111;
            const bool checkable = item.id == 201 || item.id == 202 || item.id == 205 || item.id == 206;
            EXPECT_EQ(item.enabled, !disabled) << item.id;
            EXPECT_EQ(item.checkable, checkable) << item.id;
        }
    }
}

TEST(MainMenu, BuilderReadsTheEntryFormsAndRefusesOthers) {
    const std::vector<std::string_view> entries{
        "#1#&One", "#11#Setup#1", "-", "#12#", "", "#2#Two", "", "", "#3#Never read",
    };
    const std::vector<MenuItem> bar = buildMenu(entries);
    ASSERT_EQ(bar.size(), 2U);
    ASSERT_EQ(bar[0].items.size(), 3U);
    EXPECT_EQ(bar[0].caption, "&One");
    EXPECT_EQ(bar[0].items[0].caption, "Setup#1"); // only the first two "#" delimit the id
    EXPECT_EQ(bar[0].items[1].kind, MenuItem::Kind::Separator);
    EXPECT_EQ(bar[0].items[2].caption, "");
    EXPECT_TRUE(bar[1].items.empty());
    // A list that stops without its closing entries still gives its last submenu.
    EXPECT_EQ(buildMenu(std::vector<std::string_view>{"#5#Five", "#51#Item"})[0].items.size(), 1U);

    for (std::string_view bad : {"Plain"sv, "#x#Letter id"sv, "#12"sv, "##No id"sv, "#0#Zero"sv})
        EXPECT_THROW(buildMenu(std::vector<std::string_view>{"#9#Menu", bad}), std::invalid_argument) << bad;
    // A separator cannot open a submenu.
    EXPECT_THROW(buildMenu(std::vector<std::string_view>{"-"}), std::invalid_argument);
}

TEST(MainMenu, StatusBarHelp) {
    const std::string path = "/opt/routelane/studio.cnx";
    EXPECT_EQ(frm1_MenuOver(102, kLanguageEnglish, path), "Saves the connexions in the file called: " + path);
    EXPECT_EQ(frm1_MenuOver(102, kLanguageFrench, path),
              "Sauvegarde ces commutations dans le fichier nommé: " + path);
    EXPECT_EQ(frm1_MenuOver(205, kLanguageFrench, path),
              "Ouvre une fenêtre contenant la liste des derniers évènements transmis et reçus.");
    EXPECT_EQ(frm1_MenuOver(106, kLanguageEnglish, path), "Exits Routelane4.");
    for (int withoutHelp : {104, 109, 207, 300, 305, 502 + 1, 0})
        EXPECT_EQ(frm1_MenuOver(withoutHelp, kLanguageEnglish, path), "") << withoutHelp;
}

TEST(MainMenu, ToolbarButtons) {
    MessageTable messages;
    messages.setLanguage(kLanguageFrench);
    const std::vector<ToolbarButton> buttons = toolbarButtons(messages);
    ASSERT_EQ(buttons.size(), 5U);
    EXPECT_TRUE(buttons[0].separator);
    EXPECT_EQ(buttons[0].menuId, 0);
    EXPECT_EQ(buttons[1].image, 1);
    EXPECT_EQ(buttons[1].tooltip, "");
    EXPECT_EQ(buttons[2].tooltip, "Ouvrir une page de commutation");
    EXPECT_EQ(buttons[4].image, 4);
    EXPECT_EQ(buttons[4].tooltip, "Quitter");

    const std::vector<int> ids{0, 0, 105, 101, 102, 106, 0};
    for (int index = 0; index <= 6; ++index)
        EXPECT_EQ(toolbarMenuId(index), ids[static_cast<std::size_t>(index)]) << index;
}

} // namespace
} // namespace rl4

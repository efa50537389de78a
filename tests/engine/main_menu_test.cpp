#include "engine/main_menu.h"
#include "engine/menu_ids.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <stdexcept>

namespace rl4 {
namespace {

using namespace std::string_view_literals;

// Per submenu: its id, then its items' ids (0 for a separator) with a mark for greyed (-) and checkable (+)
// items, so that both languages can be compared item by item.
std::vector<std::string> shape(const std::vector<MenuItem>& bar) {
    std::vector<std::string> result;
    for (const MenuItem& submenu : bar) {
        std::string ids = std::to_string(submenu.id);
        for (const MenuItem& item : submenu.items) {
            const bool separator = item.kind == MenuItem::Kind::Separator;
            ids += " " + std::to_string(separator ? 0 : item.id);
            if (!separator)
                ids += std::string(item.enabled ? "" : "-") + (item.checkable ? "+" : "");
        }
        result.push_back(ids);
    }
    return result;
}

const MenuItem& find(const std::vector<MenuItem>& bar, int id) {
    for (const MenuItem& submenu : bar)
        for (const MenuItem& item : submenu.items)
            if (item.id == id && item.kind != MenuItem::Kind::Separator)
                return item;
    return bar.at(0);
}

TEST(MainMenu, BothLanguagesBuildTheSameBarWithTheirOwnCaptions) {
    const std::vector<std::string> expected{"100 101 102 103 0 104 111- 109 110- 0 107 108 0 106",
                                            "200 201+ 202+ 0 203 204 0 206+ 0 205+ 0 207",
                                            "300 305 306 0 307 308-", "400 401", "500 501 502"};
    for (int language : {kLanguageEnglish, kLanguageFrench}) {
        // One empty entry closes each submenu, one more ends the bar.
        EXPECT_EQ(std::ranges::count(mainMenuEntries(language), ""sv), 6);
        EXPECT_EQ(shape(mainMenu(language)), expected) << "language " << language;
    }
    EXPECT_EQ(find(mainMenu(kLanguageEnglish), 109).caption, "Store Current Status to the matrix\"");
    EXPECT_EQ(find(mainMenu(kLanguageFrench), 206).caption, "Controleur de commutation");
    EXPECT_EQ(find(mainMenu(0), 106).caption, "&Quit") << "other languages fall back to English";
}

TEST(MainMenu, BuilderReadsTheEntryFormsAndRefusesOthers) {
    const std::vector<MenuItem> bar = buildMenu(
        std::vector<std::string_view>{"#1#&One", "#11#Setup#1", "-", "#12#", "", "#2#Two", "", "", "#3#X"});
    EXPECT_EQ(shape(bar), (std::vector<std::string>{"1 11 0 12", "2"})) << "nothing is read after the end";
    EXPECT_EQ(bar[0].items[0].caption, "Setup#1"); // only the first two "#" delimit the id
    // A list that stops without its closing entries still gives its last submenu.
    EXPECT_EQ(buildMenu(std::vector<std::string_view>{"#5#Five", "#51#Item"})[0].items.size(), 1U);
    for (std::string_view bad : {"Plain"sv, "#x#Letter id"sv, "#12"sv, "##No id"sv, "#0#Zero"sv})
        EXPECT_THROW(buildMenu(std::vector<std::string_view>{"#9#Menu", bad}), std::invalid_argument) << bad;
    EXPECT_THROW(buildMenu(std::vector<std::string_view>{"-"}), std::invalid_argument) << "a separator first";
}

TEST(MainMenu, StatusBarHelpAndToolbar) {
    const std::string path = "/opt/routelane/studio.cnx";
    EXPECT_EQ(frm1_MenuOver(102, kLanguageFrench, path),
              "Sauvegarde ces commutations dans le fichier nommé: " + path);
    EXPECT_EQ(frm1_MenuOver(106, kLanguageEnglish, path), "Exits Routelane4.");
    for (int withoutHelp : {104, 109, 207, 300, 305, 503, 0})
        EXPECT_EQ(frm1_MenuOver(withoutHelp, kLanguageEnglish, path), "") << withoutHelp;

    MessageTable messages;
    messages.setLanguage(kLanguageFrench);
    const std::vector<ToolbarButton> buttons = toolbarButtons(messages);
    ASSERT_EQ(buttons.size(), 5U);
    EXPECT_TRUE(buttons[0].separator);
    EXPECT_EQ(buttons[2].tooltip, "Ouvrir une page de commutation");
    EXPECT_EQ(buttons[4].tooltip, "Quitter");
    for (int index = 0; index <= 6; ++index)
        EXPECT_EQ(toolbarMenuId(index), (std::array{0, 0, 105, 101, 102, 106, 0})[index]) << index;
}

} // namespace
} // namespace rl4

#include "engine/main_menu.h"

#include "engine/menu_ids.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <stdexcept>

namespace rl4 {

namespace {

using namespace std::string_view_literals;

// The entries are the program's own: operators and their documentation know these captions.
constexpr std::array kEnglishEntries{
    "#100#&File"sv,
    "#101#&Open connexion file..."sv,
    "#102#&Save connexion file"sv,
    "#103#Save connexion file &as..."sv,
    "-"sv,
    "#104#Read the current status of the matrix"sv,
    "#111#Recall a status from..."sv,
    "#109#Store Current Status to the matrix\""sv,
    "#110#Store Current Status to..."sv,
    "-"sv,
    "#107#&SetUp"sv,
    "#108#Save Workspace"sv,
    "-"sv,
    "#106#&Quit"sv,
    ""sv,
    "#200#&Display"sv,
    "#201#Show all"sv,
    "#202#Show selected"sv,
    "-"sv,
    "#203#Select all"sv,
    "#204#Deselect all"sv,
    "-"sv,
    "#206#Switcher Control"sv,
    "-"sv,
    "#205#Historical list"sv,
    "-"sv,
    "#207#OSD screen refresh"sv,
    ""sv,
    "#300#&Tools"sv,
    "#305#Set all VCA's to minimum"sv,
    "#306#Set all VCA to maximum"sv,
    "-"sv,
    "#307#Debug"sv,
    "#308#Special functions"sv,
    ""sv,
    "#400#&Assignments"sv,
    "#401#Assignment Editor"sv,
    ""sv,
    "#500#&Help"sv,
    "#501#&Help"sv,
    "#502#Matrix Info"sv,
    ""sv,
    ""sv,
};

constexpr std::array kFrenchEntries{
    "#100#&Fichier"sv,
    "#101#&Ouvrir une page de commutation..."sv,
    "#102#&Enregistrer les commutations"sv,
    "#103#Enregistrer les commutations &sous..."sv,
    "-"sv,
    "#104#Lire l'état de la grille"sv,
    "#111#Rappeler l'état de la grille de..."sv,
    "#109#Mémoriser l'état de la grille"sv,
    "#110#Mémoriser l'état de la grille vers..."sv,
    "-"sv,
    "#107#&Paramètres"sv,
    "#108#Enregistrer la table de travail"sv,
    "-"sv,
    "#106#&Quitter"sv,
    ""sv,
    "#200#&Affichage"sv,
    "#201#Tout afficher"sv,
    "#202#Afficher les lignes sélectionnées"sv,
    "-"sv,
    "#203#Tout sélectionner"sv,
    "#204#Tout désélectionner"sv,
    "-"sv,
    "#206#Controleur de commutation"sv,
    "-"sv,
    "#205#Historique"sv,
    "-"sv,
    "#207#Rafraîchissement écran OSD"sv,
    ""sv,
    "#300#&Outils"sv,
    "#305#Tous les VCA au minimum"sv,
    "#306#Tous les VCA au maximum"sv,
    "-"sv,
    "#307#Debug"sv,
    "#308#Fonctions spéciales"sv,
    ""sv,
    "#400#&Assignations"sv,
    "#401#Editeur d'assignations"sv,
    ""sv,
    "#500#&Aide"sv,
    "#501#&Aide"sv,
    "#502#Information Matrice"sv,
    ""sv,
    ""sv,
};

// Shown greyed and never enabled: the setups and the special functions are not offered from the menu,
// though the dispatcher still performs the setups when another part of the program asks for them.
constexpr std::array kDisabledIds{menu_id::kSpecialFunctions, menu_id::kStoreToSetup, menu_id::kRecallSetup};
constexpr std::array kCheckableIds{menu_id::kShowAll, menu_id::kShowSelected, menu_id::kHistory,
                                   menu_id::kSwitcherControl};

struct HelpText {
    int id;
    std::string_view english;
    std::string_view french;
};

constexpr std::array kHelpTexts{
    HelpText{menu_id::kFile, "Switcher Files", "Fichiers de commutation"},
    HelpText{menu_id::kOpenConnexionFile,
             "Opens an existing connexion file, displays it and download it to the matrix.",
             "Ouvre un fichier de commutation existant, l'affiche et le transmet vers la grille de "
             "commutation."},
    HelpText{menu_id::kSaveConnexionFile, "Saves the connexions in the file called: ",
             "Sauvegarde ces commutations dans le fichier nommé: "},
    HelpText{menu_id::kSaveConnexionFileAs, "Saves the connexions in a file with a new name.",
             "Sauvegarde ces commutations dans un nouveau fichier."},
    HelpText{menu_id::kQuit, "Exits Routelane4.", "Quitte le programme Routelane4."},
    HelpText{menu_id::kSetUp, "Selects the port Com and the protocol.",
             "Sélection du port Com, du protocole et de la langue."},
    HelpText{menu_id::kSaveWorkspace, "Saves the windows positions and sizes as shown now.",
             "Sauvegarde la disposition et le format des fenêtres de cet écran."},
    HelpText{menu_id::kDisplay, "Display instructions", "Instructions concernant l'affichage"},
    HelpText{menu_id::kShowAll, "Shows all the destinations in the connexion sheet.",
             "Affiche toutes les destinations dans la feuille de commutation."},
    HelpText{menu_id::kShowSelected, "Shows only the checked lines of the connexion sheet.",
             "Affiche les destinations cochées dans la feuille de commutation."},
    HelpText{menu_id::kSelectAll, "Checks all the lines of the connexion sheet.",
             "Coche toutes les lignes de la feuille de commutation."},
    HelpText{menu_id::kDeselectAll, "Unchecks all the lines of the connexion sheet.",
             "Décoche toutes les lignes de la feuille de commutation."},
    HelpText{menu_id::kHistory, "Opens the window which contains the list of the last sent connexions.",
             "Ouvre une fenêtre contenant la liste des derniers évènements transmis et reçus."},
    HelpText{menu_id::kSwitcherControl, "Opens the window used for control the switching of the matrix.",
             "Ouvre une fenêtre permettant le contrôle des commutations vers la grille."},
    HelpText{menu_id::kAssignments, "Assignments Area.", "Zone d'assignation."},
    HelpText{menu_id::kAssignmentEditor,
             "Opens the window used to assign and name the source and destination objects.",
             "Ouvre une fenêtre permettant d'assigner et de nommer les objets sources et destinations."},
    HelpText{menu_id::kHelpMenu, "Help list.", "Aide."},
    HelpText{menu_id::kHelp, "Call a pdf WinHelp.", "Appel HTMLHelp."},
    HelpText{menu_id::kMatrixInfo, "Displays informations about the Matrix Routing Switcher.",
             "Affiche les informations techniques de la grille de commutation."},
};

struct ToolbarEntry {
    int image;
    int tooltipMessage; // 0: no tooltip
    int menuId;
};

// Index 1 is the separator that keeps the buttons off the window's edge.
constexpr std::array kToolbar{
    ToolbarEntry{0, 0, 0},
    ToolbarEntry{1, 0, menu_id::kDisconnectAll},
    ToolbarEntry{2, 12, menu_id::kOpenConnexionFile},
    ToolbarEntry{3, 13, menu_id::kSaveConnexionFile},
    ToolbarEntry{4, 14, menu_id::kQuit},
};

constexpr std::string_view kSeparatorEntry = "-";

// "#id#caption": the caption is everything after the second "#", so it may hold "#" itself.
MenuItem commandEntry(std::string_view entry) {
    const std::size_t idEnd =
        entry.size() > 1 && entry[0] == '#' ? entry.find('#', 1) : std::string_view::npos;
    int id = 0;
    if (idEnd != std::string_view::npos) {
        const auto [end, error] = std::from_chars(entry.data() + 1, entry.data() + idEnd, id);
        if (error == std::errc{} && end == entry.data() + idEnd && id > 0) {
            MenuItem item;
            item.id = id;
            item.caption = entry.substr(idEnd + 1);
            return item;
        }
    }
    throw std::invalid_argument("menu entry of no known form: \"" + std::string(entry) + "\"");
}

template <std::size_t N>
bool contains(const std::array<int, N>& ids, int id) {
    return std::ranges::find(ids, id) != ids.end();
}

void markStates(std::vector<MenuItem>& items) {
    for (MenuItem& item : items) {
        item.enabled = !contains(kDisabledIds, item.id);
        item.checkable = contains(kCheckableIds, item.id);
        markStates(item.items);
    }
}

} // namespace

std::span<const std::string_view> mainMenuEntries(int language) {
    if (language == kLanguageFrench)
        return kFrenchEntries;
    return kEnglishEntries;
}

std::vector<MenuItem> buildMenu(std::span<const std::string_view> entries) {
    std::vector<MenuItem> bar;
    MenuItem* submenu = nullptr;
    for (std::string_view entry : entries) {
        if (entry.empty()) {
            if (submenu == nullptr)
                break;
            submenu = nullptr;
        } else if (submenu == nullptr) {
            bar.push_back(commandEntry(entry));
            submenu = &bar.back();
            submenu->kind = MenuItem::Kind::Submenu;
        } else if (entry == kSeparatorEntry) {
            MenuItem separator;
            separator.kind = MenuItem::Kind::Separator;
            submenu->items.push_back(std::move(separator));
        } else {
            submenu->items.push_back(commandEntry(entry));
        }
    }
    return bar;
}

std::vector<MenuItem> mainMenu(int language) {
    std::vector<MenuItem> bar = buildMenu(mainMenuEntries(language));
    markStates(bar);
    return bar;
}

std::string frm1_MenuOver(int id, int language, const std::string& connexionPath) {
    const auto found = std::ranges::find(kHelpTexts, id, &HelpText::id);
    if (found == kHelpTexts.end())
        return "";
    std::string text(language == kLanguageFrench ? found->french : found->english);
    if (id == menu_id::kSaveConnexionFile)
        text += connexionPath;
    return text;
}

std::vector<ToolbarButton> toolbarButtons(MessageTable& messages) {
    std::vector<ToolbarButton> buttons;
    for (std::size_t i = 0; i < kToolbar.size(); ++i) {
        const ToolbarEntry& entry = kToolbar[i];
        buttons.push_back({.index = static_cast<int>(i) + 1,
                           .separator = entry.image == 0,
                           .image = entry.image,
                           .tooltip = entry.tooltipMessage == 0 ? "" : messages.text(entry.tooltipMessage),
                           .menuId = entry.menuId});
    }
    return buttons;
}

int toolbarMenuId(int index) {
    if (index < 1 || index > static_cast<int>(kToolbar.size()))
        return 0;
    return kToolbar[static_cast<std::size_t>(index) - 1].menuId;
}

} // namespace rl4

#include "assign/editor_menu.h"

#include "text/message_table.h"

#include <string_view>

namespace rl4 {

namespace {

struct MenuText {
    int id;
    std::string_view english;
    std::string_view french;
};

// The menu as it is declared: the order of the lines is the order on screen.
constexpr MenuText kMenu[] = {
    {editor_menu::kFile, "File", "Fichier"},
    {editor_menu::kOpen, "Open assignment file...", "Ouvrir une assignation..."},
    {kSeparatorId, "-", "-"},
    {editor_menu::kCreateNew, "Create new assignment", "Créer une nouvelle assignation"},
    {kSeparatorId, "-", "-"},
    {editor_menu::kSave, "&Save assignment", "&Enregistrer les assignations"},
    {editor_menu::kSaveAs, "Save assignment &as...", "Enregistrer les assignations &sous..."},
    {kSeparatorId, "-", "-"},
    {editor_menu::kQuit, "&Quit", "&Retour à la page commutation"},
    {editor_menu::kEdit, "&Edit", "&Editeur"},
    {editor_menu::kCut, "Cut", "Couper"},
    {editor_menu::kPaste, "Paste", "Coller"},
    {kSeparatorId, "-", "-"},
    {editor_menu::kInsertAbove, "Insert_upper", "Insérer au-dessus"},
    {editor_menu::kInsertBelow, "Insert below", "Insérer au-dessous"},
    {kSeparatorId, "-", "-"},
    {editor_menu::kDelete, "Delete", "Effacer"},
    {kSeparatorId, "-", "-"},
    {editor_menu::kChange, "Change", "Modifier"},
    {editor_menu::kView, "View", "Affichage"},
    {editor_menu::kSourceView, "Source Editor", "Edition des Sources"},
    {editor_menu::kDestinationView, "Destination Editor", "Edition des Destinations"},
    {editor_menu::kSpecialView, "Special function Editor", "Edition de fonctions spéciales"},
    {editor_menu::kLevels, "Levels", "Niveaux"},
    {editor_menu::kAdjustmentsEnable, "Adjustments enable", "Activation des réglages"},
    {kSeparatorId, "-", "-"},
    {editor_menu::kBalanced, "Balanced Input", "Entrée Symétrique"},
    {editor_menu::kUnbalanced, "Unbalanced Input", "Entrée Asymétrique"},
    {kSeparatorId, "-", "-"},
    {editor_menu::kAllBalanced, "Turn all inputs in Balanced mode",
     "Active toutes les entrées en mode Symétriques"},
    {editor_menu::kAllUnbalanced, "Turn all inputs in Unbalanced mode",
     "Active toutes les entrées en mode Asymétriques"},
    {kSeparatorId, "-", "-"},
    {editor_menu::kAdjustAll, "Ajustment of all input level to...",
     "Ajustement du niveau de toutes les entrées à..."},
    {kSeparatorId, "-", "-"},
    {editor_menu::kAudioMonitor, "Select this output as audio monitor",
     "Sélection de cette sortie comme moniteur audio"},
    {editor_menu::kMatrix, "Matrix", "Matrice"},
    {editor_menu::kUploadEeprom, "Upload EEPROM", "Téléchargement vers l'EEPROM"},
};

constexpr MenuText kHelp[] = {
    {editor_menu::kFile, "Files control", "Gestion des fichiers"},
    {editor_menu::kOpen, "Opens an existing assignment file", "Ouvre un fichier d'assignation existant"},
    {editor_menu::kCreateNew, "Creates a new assignment file", "Crée un nouveau fichier d'assignation"},
    {editor_menu::kSave,
     "Saves the assignments in the file called: ", "Sauvegarde les assignations dans le fichier nommé: "},
    {editor_menu::kSaveAs, "Saves the assignments in a file with a new name",
     "Sauvegarde les assignations dans un nouveau fichier"},
    {editor_menu::kQuit, "Closes this window and returns to the switching form",
     "Ferme cette fenêtre et retourne à la page de commutation"},
    {editor_menu::kEdit, "Functions for the edition", "Fonctions d'édition"},
    {editor_menu::kCut, "Cuts this line and put it into the memory",
     "Coupe cette ligne et la met en mémoire"},
    {editor_menu::kPaste, "Returns the memory to a new line above this one",
     "Remet la mémoire dans une nouvelle ligne au-dessus de celle-ci"},
    {editor_menu::kInsertAbove, "Creates a new line above this one",
     "Crée une nouvelle ligne au-dessus de celle-ci"},
    {editor_menu::kInsertBelow, "Creates a new line below this one",
     "Crée une nouvelle ligne au-dessous de celle-ci"},
    {editor_menu::kDelete, "Deletes this line", "Efface cette ligne"},
    {editor_menu::kChange, "Opens a window to change the name and assignments of this object",
     "Ouvre une fenêtre pour modifier le nom et les assignations de cet objet"},
    {editor_menu::kView, "Source/Destination switch", "Choix Sources/Destinations"},
    {editor_menu::kSourceView, "Displays the source list", "Affiche la liste des sources"},
    {editor_menu::kDestinationView, "Displays the destination list", "Affiche la liste des destinations"},
    {editor_menu::kLevels, "Audio level adjustments", "Réglages des niveaux audio"},
    {editor_menu::kBalanced, "Turns this input in balanced mode: 600 Ohms on symetrical connector (XLR)",
     "Met cette entrée en mode symétrique : 600 Ohms sur connecteur symétrique (XLR)"},
    {editor_menu::kUnbalanced, "Turns this input in unbalanced mode: 10 KOhms on asymetrical connector (RCA)",
     "Met cette entrée en mode asymétrique : 10 KOhms sur connecteur asymétrique (RCA)"},
    {editor_menu::kAdjustmentsEnable, "Enables the input level potentiometer (slider)",
     "Active le potentiomètre de niveau d'entrée (curseur)"},
    {editor_menu::kMatrix, "Matrix EEPROM", "EEPROM de la matrice"},
    {editor_menu::kUploadEeprom, "Loads this assignment form into the EEPROM of the matrix",
     "Charge cette liste d'assignations dans l'EEPROM de la matrice"},
};

std::string_view inLanguage(const MenuText& text, int language) {
    return language == kLanguageFrench ? text.french : text.english;
}

} // namespace

std::vector<MenuEntry> editorMenuEntries(int language) {
    std::vector<MenuEntry> entries;
    for (const MenuText& text : kMenu)
        entries.push_back({text.id, std::string(inLanguage(text, language))});
    return entries;
}

std::string editorMenuHelp(int id, int language, const std::string& activeFileName) {
    for (const MenuText& text : kHelp) {
        if (text.id != id)
            continue;
        std::string help(inLanguage(text, language));
        if (id == editor_menu::kSave)
            help += activeFileName;
        return help;
    }
    return {};
}

EditorMenu::EditorMenu() {
    for (const MenuText& text : kMenu) {
        if (text.id != kSeparatorId)
            marks_[text.id] = Marks{};
    }
}

bool EditorMenu::enabled(int id) const {
    const auto found = marks_.find(id);
    return found != marks_.end() && found->second.enabled;
}

bool EditorMenu::checked(int id) const {
    const auto found = marks_.find(id);
    return found != marks_.end() && found->second.checked;
}

void EditorMenu::setEnabled(int id, bool enabled) {
    const auto found = marks_.find(id);
    if (found != marks_.end())
        found->second.enabled = enabled;
}

void EditorMenu::setChecked(int id, bool checked) {
    const auto found = marks_.find(id);
    if (found != marks_.end())
        found->second.checked = checked;
}

} // namespace rl4

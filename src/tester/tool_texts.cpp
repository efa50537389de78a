#include "tester/tool_texts.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace rl4::tester {

namespace {

using enum TextId;

// The English texts, blanks and odd capitals included, are those the tool has always shown: operators and
// their notes know them. A French text keeps the "%1" of its English twin.
constexpr std::array<CaptionRow, kTextCount> kCaptions = {{
    {FunctionLabel, "Function", "Fonction"},
    {LayerLabel, "Layer", "Plan"},
    {MessageLabel, "Message", "Message"},
    {AnswerLabel, "Answer", "Réponse"},
    {Send, "Send", "Envoyer"},
    {SendOnChange, "Send on change", "Envoi au changement"},
    {Hexadecimal, "Hexadecimal", "Hexadécimal"},
    {Decimal, "Decimal", "Décimal"},
    {AudioMonitor, "Audio monitor", "Écoute audio"},
    {Cyclic, "Cyclic", "Cyclique"},
    {SendContinuously, "Send Continuously", "Envoi continu"},
    {StopSendingSalve, "STOP sending salve", "ARRÊT de l'envoi en salve"},
    {PortButton, "com ", "com "},

    {MenuFile, "&File", "&Fichier"},
    {MenuNew, "&New", "&Nouveau"},
    {MenuOpen, "&Open ...", "&Ouvrir ..."},
    {MenuSave, "&Save", "&Enregistrer"},
    {MenuSaveAs, "Save &as ...", "Enregistrer &sous ..."},
    {MenuExit, "E&xit", "&Quitter"},
    {MenuEdit, "&Edit", "&Édition"},
    {MenuCut, "Cu&t", "Cou&per"},
    {MenuCopy, "&Copy", "&Copier"},
    {MenuPaste, "&Paste", "C&oller"},
    {ToolBar, "Tool bar", "Barre d'outils"},
    {TipNew, "Create new document/clear editor", "Créer un document/effacer l'éditeur"},
    {TipOpen, "Open existing document", "Ouvrir un document existant"},
    {TipSave, "Save", "Enregistrer"},
    {PanelVideo, "Vidéo: ", "Vidéo : "},
    {PanelAudio, "Audio: ", "Audio : "},
    {PanelRgb, "RGBhv: ", "RGBhv : "},
    {PanelYc, "YC: ", "YC : "},
    {TipVideoSize, "Video Size", "Taille vidéo"},
    {TipAudioSize, "Audio Size", "Taille audio"},
    {TipRgbSize, "RGBhv Size", "Taille RGBhv"},
    {TipYcSize, "YC Size", "Taille YC"},
    {TipSendingStatus, "Sending status", "État de l'envoi"},
    {SentAt, "%1 at %2", "%1 à %2"},

    {SwitchWrite, "Switch : Write", "Commutation : Écriture"},
    {SwitchRead, "Switch : Read", "Commutation : Lecture"},
    {GainWrite, "Gain : Write", "Gain : Écriture"},
    {GainRead, "Gain : Read", "Gain : Lecture"},
    {BalanceWrite, "Bal/Unbal Write", "Sym/Asym Écriture"},
    {BalanceRead, "Bal/Unbal Read", "Sym/Asym Lecture"},
    {VcaWrite, "VCA Write", "VCA Écriture"},
    {VcaRead, "VCA Read", "VCA Lecture"},
    {SetupWrite, "VCA SetUp Write", "Config VCA Écriture"},
    {SetupRead, "VCA SetUp Read", "Config VCA Lecture"},
    {Input, "Input", "Entrée"},
    {Output, "Output", "Sortie"},
    {Level, "Level", "Niveau"},
    {Impedance, "Impedance", "Impédance"},
    {PowerOn, "Power on", "Mise sous tension"},
    {Slope, "Slope (Sec)", "Pente (s)"},
    {Video, "Video", "Vidéo"},
    {Audio, "Audio", "Audio"},
    {Rgb, "RGB", "RGB"},
    {Yc, "YC", "YC"},
    {Unused, "unused", "non utilisée"},
    {Decibels, "%1 dB", "%1 dB"},
    {Balanced, "Balanced", "Symétrique"},
    {Unbalanced, "Unbalanced", "Asymétrique"},
    {VcaMin, "VCA min", "VCA min"},
    {VcaMax, "VCA max", "VCA max"},
    {VcaRecall, "VCA recall", "VCA rappel"},

    {Switching, "switching", "commutation"},
    {ReadingSwitch, "reading switch", "lecture de la commutation"},
    {AdjustingGain, "adjusting gain", "réglage du gain"},
    {ReadingGain, "reading gain", "lecture du gain"},
    {SelectingBalance, "selecting bal/unbal", "choix sym/asym"},
    {ReadingBalance, "reading bal/unbal", "lecture sym/asym"},
    {AdjustingVca, "adjusting VCA", "réglage du VCA"},
    {ReadingVca, "reading VCA", "lecture du VCA"},
    {SettingSetup, "setting SetUp", "réglage de la config VCA"},
    {ReadingSetupFirst, "reading SetUp", "lecture de la config VCA"},
    {ReadingSetup, "reading Setup", "lecture de la config VCA"},

    {PortChoice, "Select port:|Com1|Com2|Com3|Com4|Cancel",
     "Choisissez le port :|Com1|Com2|Com3|Com4|Annuler"},
    {PortNotAvailable, "Com%1 port is not available", "Le port Com%1 n'est pas disponible"},
    {CannotCreate, "Cannot create %1: %2", "Impossible de créer %1 : %2"},
    {CannotWrite, "Cannot write %1: %2", "Impossible d'écrire %1 : %2"},
    {PortInUse, "Com%1 port is in use by %2", "Le port Com%1 est utilisé par %2"},
    {FolderInUse,
     "The folder %1 is in use by %2: close that protocol first, or give this one another folder (--data).",
     "Le dossier %1 est utilisé par %2 : fermez d'abord ce protocol, ou donnez un autre dossier à celui-ci "
     "(--data)."},
    {HolderProcess, "process %1", "le processus %1"},
    {HolderUnknown, "another program", "un autre programme"},
    {FileCut, "%1 is larger than a settings file can be: the last %2 bytes were not read.",
     "%1 est plus grand qu'un fichier de paramètres ne peut l'être : les %2 derniers octets n'ont pas été "
     "lus."},

    {Usage, R"(Usage: protocol [--data DIR] [--lang LANG]
Builds single 5-byte messages for a matrix routing switcher by hand, sends them once, on change or
continuously, and shows the bytes of each answer in decimal or hexadecimal.

Options:
  --data DIR   program folder (protocol.set, protocol.ports);
               default: the executable's folder when writable, else ~/.local/share/protocol
  --lang LANG  language of the texts, en or fr; default: French when the locale (LC_ALL, LC_MESSAGES,
               LANG) starts with fr, else English
  --help       show this text

Ports are chosen by number, 1 to 4. protocol.ports in the program folder maps a number to a device or a
serial device server, one N=TARGET a line (2=/dev/ttyUSB0, 3=socket://10.0.0.40:4001); a number without
a line is /dev/ttyS<N-1>.
The program folder serves one protocol at a time.
Exit status: 0 done, 64 wrong usage, 66 the program folder cannot be used (or another protocol has it).
)",
     R"(Usage : protocol [--data DOSSIER] [--lang LANGUE]
Construit à la main des messages de 5 octets pour une matrice de commutation, les envoie une fois, à
chaque changement ou en continu, et montre les octets de chaque réponse en décimal ou en hexadécimal.

Options :
  --data DOSSIER  dossier du programme (protocol.set, protocol.ports) ; par défaut : le dossier
                  de l'exécutable s'il est modifiable, sinon ~/.local/share/protocol
  --lang LANGUE   langue des textes, en ou fr ; par défaut : le français quand la locale (LC_ALL,
                  LC_MESSAGES, LANG) commence par fr, sinon l'anglais
  --help          affiche ce texte

Les ports se choisissent par leur numéro, de 1 à 4. protocol.ports, dans le dossier du programme, fait
correspondre un numéro à un périphérique ou à un serveur de ports série, une ligne N=CIBLE chacun
(2=/dev/ttyUSB0, 3=socket://10.0.0.40:4001) ; un numéro sans ligne est /dev/ttyS<N-1>.
Le dossier du programme ne sert qu'à un protocol à la fois.
Code de sortie : 0 fait, 64 mauvais usage, 66 le dossier du programme est inutilisable (ou un autre
protocol l'utilise).
)"},
    {TryHelp, "Try 'protocol --help'.", "Essayez « protocol --help »."},
    {UnknownOption, "unknown option '%1'", "option inconnue « %1 »"},
    {DataNeedsFolder, "--data needs a folder", "--data demande un dossier"},
    {LangNeedsLanguage, "--lang takes en or fr", "--lang prend en ou fr"},
    {UnreadableOptions, "cannot read the options: %1", "options illisibles : %1"},
    {QtTextsMissing, "Qt's French texts are not installed (%1)", "les textes français de Qt manquent (%1)"},
}};

bool startsWithFrench(const char* value) {
    return std::string_view(value).starts_with("fr");
}

} // namespace

std::string holderCaption(const OtherProcess& holder, Language language) {
    if (holder.pid <= 0)
        return caption(TextId::HolderUnknown, language);
    return caption(TextId::HolderProcess, language, {std::to_string(holder.pid)}) +
           (holder.command.empty() ? "" : " (" + holder.command + ")");
}

const CaptionRow* captionTable() {
    return kCaptions.data();
}

const char* caption(TextId id, Language language) {
    const auto row = std::find_if(kCaptions.begin(), kCaptions.end(),
                                  [id](const CaptionRow& r) { return r.id == id && r.english != nullptr; });
    if (row == kCaptions.end())
        return "";
    return language == Language::French && row->french && *row->french ? row->french : row->english;
}

std::string caption(TextId id, Language language, std::initializer_list<std::string_view> values) {
    // One pass, so that a value holding "%2" (a folder may) is not taken for a place to fill.
    const std::string_view text = caption(id, language);
    std::string filled;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t n =
            i + 1 < text.size() ? static_cast<std::size_t>(text[i + 1] - '1') : values.size();
        if (text[i] == '%' && n < values.size()) {
            filled += values.begin()[n];
            ++i;
        } else {
            filled += text[i];
        }
    }
    return filled;
}

LocaleVariables LocaleVariables::fromEnvironment() {
    return {std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")};
}

Language localeLanguage(const LocaleVariables& locale) {
    for (const char* value : {locale.lcAll, locale.lcMessages, locale.lang}) {
        if (value && *value)
            return startsWithFrench(value) ? Language::French : Language::English;
    }
    return Language::English;
}

} // namespace rl4::tester

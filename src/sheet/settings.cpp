#include "sheet/settings.h"

#include "platform/text_file.h"
#include "text/text_fields.h"

#include <charconv>
#include <limits>
#include <optional>
#include <vector>

namespace rl4 {

namespace {

constexpr int kReservedBeforePaths = 7; // lines 14..20
constexpr int kReservedBeforePort = 2;  // lines 23..24
constexpr int kReservedAtEnd = 2;       // lines 26..27

constexpr const char* kLanguageQuestion = "Select your language:|English|Français";
// Written for a language question left unanswered: no language, so the next start asks again.
constexpr int kLanguageUnanswered = 0;

// Lines of the file by their number from 1.
enum Line {
    kProtocolLine = 1,
    kShowAllLine,
    kMainLeftLine,
    kMainTopLine,
    kMainHeightLine,
    kMainWidthLine,
    kSwitcherLeftLine,
    kSwitcherTopLine,
    kHistoryLeftLine,
    kHistoryTopLine,
    kSwitcherOpenLine,
    kHistoryOpenLine,
    kLanguageLine,
    kConnexionPathLine = 21,
    kAssignmentPathLine,
    kPortLine = 25,
};

// A line that holds one whole number and nothing else but blanks.
std::optional<int> wholeNumber(std::string_view line) {
    const std::string_view text = trimBlanks(line);
    if (text.empty())
        return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

class SettingsLines {
public:
    explicit SettingsLines(const std::vector<std::string>& lines) : lines_(lines) {}

    std::optional<int> number(int line, int lowest, int highest) const {
        const auto value = present(line) ? wholeNumber(text(line)) : std::nullopt;
        if (!value || *value < lowest || *value > highest)
            return std::nullopt;
        return value;
    }

    // 0 is false; any other number is taken for true, as the program has always tested flags.
    void readFlag(int line, bool& flag) const {
        if (const auto value = number(line, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()))
            flag = *value != 0;
    }

    void readShort(int line, std::int16_t& target) const {
        if (const auto value = number(line, std::numeric_limits<std::int16_t>::min(),
                                      std::numeric_limits<std::int16_t>::max()))
            target = static_cast<std::int16_t>(*value);
    }

    void readChoice(int line, int first, int last, int& target) const {
        if (const auto value = number(line, first, last))
            target = *value;
    }

    // A path takes its whole line; a line of blanks names no file, so the start value stays.
    void readPath(int line, std::string& path) const {
        if (present(line) && text(line).find_first_not_of(" \t") != std::string::npos)
            path = text(line);
    }

private:
    bool present(int line) const { return line <= static_cast<int>(lines_.size()); }
    const std::string& text(int line) const { return lines_[static_cast<std::size_t>(line - 1)]; }

    const std::vector<std::string>& lines_;
};

// A question closed without an answer keeps English and is asked again at the next start.
void askLanguage(Prompt& prompt, Settings& settings) {
    const int answer = prompt.choiceBox(kLanguageQuestion, "", 1, PromptIcon::Exclamation);
    settings.language = answer == kLanguageFrench ? kLanguageFrench : kLanguageEnglish;
    settings.languageChosen = answer != kChoiceDismissed;
}

std::string flagText(bool flag) {
    return flag ? "-1" : "0";
}

void appendZeros(std::vector<std::string>& lines, int count) {
    lines.insert(lines.end(), static_cast<std::size_t>(count), "0");
}

} // namespace

Settings startSettings(const std::string& programFolder) {
    Settings settings;
    settings.connexionPath = programFolder + "/routelane4.cnx";
    settings.assignmentPath = programFolder + "/routelane4.agn";
    return settings;
}

std::string settingsFilePath(const std::string& programFolder) {
    return programFolder + "/routelane4.set";
}

std::uintmax_t ReadSettings(const std::string& path, Settings& settings, Prompt& prompt) {
    std::uintmax_t skipped = 0;
    const auto fileLines = readTextLines(path, &skipped);
    if (!fileLines) {
        askLanguage(prompt, settings);
        return 0;
    }
    const SettingsLines file(*fileLines);

    file.readChoice(kProtocolLine, 4, 5, settings.protocolLength);
    file.readFlag(kShowAllLine, settings.showAll);
    file.readShort(kMainLeftLine, settings.mainWindow.left);
    file.readShort(kMainTopLine, settings.mainWindow.top);
    file.readShort(kMainHeightLine, settings.mainHeight);
    file.readShort(kMainWidthLine, settings.mainWidth);
    file.readShort(kSwitcherLeftLine, settings.switcherWindow.left);
    file.readShort(kSwitcherTopLine, settings.switcherWindow.top);
    file.readShort(kHistoryLeftLine, settings.historyWindow.left);
    file.readShort(kHistoryTopLine, settings.historyWindow.top);
    file.readFlag(kSwitcherOpenLine, settings.switcherOpen);
    file.readFlag(kHistoryOpenLine, settings.historyOpen);
    if (const auto language = file.number(kLanguageLine, kLanguageEnglish, kLanguageFrench))
        settings.language = *language;
    else
        askLanguage(prompt, settings);
    file.readPath(kConnexionPathLine, settings.connexionPath);
    file.readPath(kAssignmentPathLine, settings.assignmentPath);
    file.readChoice(kPortLine, 0, kHighestPort, settings.port);
    return skipped;
}

std::string WriteSettings(const std::string& path, const Settings& settings, const Link& link) {
    std::vector<std::string> lines{
        std::to_string(link.protocolLength()),
        flagText(settings.showAll),
        std::to_string(settings.mainWindow.left),
        std::to_string(settings.mainWindow.top),
        std::to_string(settings.mainHeight),
        std::to_string(settings.mainWidth),
        std::to_string(settings.switcherWindow.left),
        std::to_string(settings.switcherWindow.top),
        std::to_string(settings.historyWindow.left),
        std::to_string(settings.historyWindow.top),
        flagText(settings.switcherOpen),
        flagText(settings.historyOpen),
        std::to_string(settings.languageChosen ? settings.language : kLanguageUnanswered),
    };
    appendZeros(lines, kReservedBeforePaths);
    lines.push_back(settings.connexionPath);
    lines.push_back(settings.assignmentPath);
    appendZeros(lines, kReservedBeforePort);
    lines.push_back(std::to_string(link.portNumber() != 0 ? link.portNumber() : settings.port));
    appendZeros(lines, kReservedAtEnd);
    return writeTextLines(path, lines);
}

} // namespace rl4

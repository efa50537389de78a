#include "platform/port_map_file.h"

#include "platform/socket_channel.h"
#include "platform/text_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <optional>
#include <string_view>
#include <utility>

namespace rl4 {

namespace {

constexpr const char* kBlanks = " \t\r\n";

// The number a line maps, read as PortMap reads it, whatever its target; nothing for comments, blank lines
// and lines of no number.
std::optional<int> numberOfLine(const std::string& line) {
    const std::string content = line.substr(0, line.find('#'));
    const auto equals = content.find('=');
    if (equals == std::string::npos)
        return std::nullopt;
    const std::string text = trimmedOfBlanks(content.substr(0, equals));
    int number = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    if (text.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return number;
}

// The line's comment, and the blanks before it, were the operator's words: they stay.
std::string mappedLine(const std::string& old, int number, const std::string& target) {
    std::string line = std::to_string(number) + "=" + target;
    const auto hash = old.find('#');
    if (hash == std::string::npos)
        return line;
    const auto lastWord = old.find_last_not_of(kBlanks, hash - 1);
    const std::string gap = old.substr(lastWord + 1, hash - lastWord - 1);
    return line + (gap.empty() ? " " : gap) + old.substr(hash);
}

bool writableTarget(const std::string& target) {
    const bool control = std::any_of(target.begin(), target.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
    return !control && target.find('#') == std::string::npos &&
           fromWindows1252(toWindows1252(target)) == target;
}

// "Socket:/host:4001" or "socket://host" would be kept as a device path that never opens: whatever
// begins with the scheme's word, in any case, is taken as meant for a server and must be a whole address.
bool badServerAddress(const std::string& target) {
    constexpr std::string_view kWord = "socket:";
    const bool meantForServer = target.size() >= kWord.size() &&
                                std::equal(kWord.begin(), kWord.end(), target.begin(), [](char a, char b) {
                                    return a == std::tolower(static_cast<unsigned char>(b));
                                });
    return meantForServer && !SocketChannel::wellFormed(target);
}

PortMappingRefusal refusalOf(int number, const std::string& target) {
    if (number < PortMap::kFirstMapped || number > PortMap::kLastMapped)
        return PortMappingRefusal::NumberOutOfRange;
    if (target.empty())
        return PortMappingRefusal::NoTarget;
    if (!writableTarget(target))
        return PortMappingRefusal::TargetNotWritable;
    if (badServerAddress(target))
        return PortMappingRefusal::BadServerAddress;
    return PortMappingRefusal::None;
}

struct MappingWords {
    const char* english;
    const char* french;
};

// In the order of PortMappingRefusal.
constexpr std::array<MappingWords, 8> kMappingWords{{
    {"{path}: port {n} now reaches {target}", "{path} : le port {n} mène maintenant à {target}"},
    {"Port number {n} is not {first} to {last}", "Le numéro de port {n} n'est pas de {first} à {last}"},
    {"Port {n} needs a target: a device path or socket://HOST:PORT",
     "Le port {n} demande une cible : un chemin d'appareil ou socket://HÔTE:PORT"},
    {"{target} cannot be a target in {path}: it holds a #, a control character or a character Windows-1252 "
     "lacks",
     "{target} ne peut pas être une cible dans {path} : elle contient un #, un caractère de contrôle ou un "
     "caractère absent de Windows-1252"},
    {"{target} is no serial device server address: write socket://HOST:PORT, with a port from 1 to 65535",
     "{target} n'est pas l'adresse d'un serveur de ports série : écrivez socket://HÔTE:PORT, avec un port de "
     "1 "
     "à 65535"},
    {"Cannot read the file {path}; it is left as it is",
     "Impossible de lire le fichier {path} ; il est laissé tel quel"},
    {"The file {path} is too large to be written again without losing its end; it is left as it is",
     "Le fichier {path} est trop grand pour être réécrit sans en perdre la fin ; il est laissé tel quel"},
    {"Cannot write the file {path}: {reason}", "Impossible d'écrire le fichier {path} : {reason}"},
}};

} // namespace

PortMappingEdit mapPortInLines(std::vector<std::string> lines, int number, const std::string& target) {
    const std::string wanted = trimmedOfBlanks(target);
    const PortMappingRefusal refusal = refusalOf(number, wanted);
    if (refusal != PortMappingRefusal::None)
        return {std::move(lines), refusal};
    std::vector<std::string> edited;
    bool mapped = false;
    for (std::string& line : lines) {
        if (numberOfLine(line) != number) {
            edited.push_back(std::move(line));
        } else if (!mapped) {
            edited.push_back(mappedLine(line, number, wanted));
            mapped = true;
        }
    }
    if (!mapped)
        edited.push_back(mappedLine("", number, wanted));
    return {std::move(edited), PortMappingRefusal::None};
}

PortMappingResult writePortMapping(const std::string& folder, int number, const std::string& target,
                                   const std::string& fileName) {
    PortMappingResult result{PortMappingRefusal::None, folder + "/" + fileName, number,
                             trimmedOfBlanks(target), ""};
    result.refusal = refusalOf(number, result.target);
    if (!result.done())
        return result;

    std::vector<std::string> lines;
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(result.path, error))) {
        std::uintmax_t skipped = 0;
        std::optional<std::vector<std::string>> read = readTextLines(result.path, &skipped);
        if (!read) {
            result.refusal = PortMappingRefusal::FileUnreadable;
            return result;
        }
        if (skipped > 0) {
            result.refusal = PortMappingRefusal::FileTooLarge;
            return result;
        }
        lines = std::move(*read);
    }
    const PortMappingEdit edit = mapPortInLines(std::move(lines), number, result.target);
    if (const auto failure = replaceTextFile(result.path, edit.lines)) {
        result.refusal = PortMappingRefusal::WriteFailed;
        result.path = failure->path;
        result.reason = failure->reason;
    }
    return result;
}

std::string PortMappingResult::describe(PortTextLanguage language) const {
    const MappingWords& words = kMappingWords[static_cast<std::size_t>(refusal)];
    const std::string_view text = language == PortTextLanguage::French ? words.french : words.english;
    const std::pair<std::string_view, std::string> values[] = {
        {"{path}", path},
        {"{n}", std::to_string(number)},
        {"{target}", "\"" + quotedLine(target) + "\""},
        {"{first}", std::to_string(PortMap::kFirstMapped)},
        {"{last}", std::to_string(PortMap::kLastMapped)},
        {"{reason}", reason},
    };
    // One pass, so that a value holding a "{...}" of its own is left as it is.
    std::string filled;
    for (std::size_t i = 0; i < text.size();) {
        const auto value = std::find_if(std::begin(values), std::end(values), [&](const auto& v) {
            return text.compare(i, v.first.size(), v.first) == 0;
        });
        if (value == std::end(values)) {
            filled += text[i++];
        } else {
            filled += value->second;
            i += value->first.size();
        }
    }
    return filled;
}

} // namespace rl4

#include "control/control_line.h"

#include <sstream>

namespace rl4 {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t') || byte == 0x7F;
}

ControlRequest malformed(std::string why) {
    return ControlRequest{{}, std::move(why)};
}

void tagLines(std::string& block, const std::string& text, const char* tag) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        block += tag + line + '\n';
}

} // namespace

ControlRequest parseControlLine(std::string_view line) {
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    if (line.size() > kLongestControlLine)
        return malformed("line longer than " + std::to_string(kLongestControlLine) + " bytes");
    ControlRequest request;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i == line.size())
            return request;
        std::string word;
        if (line[i] == '"') {
            for (++i;; ++i) {
                if (i == line.size())
                    return malformed("a quoted word has no closing quote");
                if (line[i] == '"')
                    break;
                if (isControl(line[i]))
                    return malformed("control character in the line");
                if (line[i] == '\\') {
                    if (++i == line.size() || (line[i] != '"' && line[i] != '\\'))
                        return malformed("inside quotes a backslash goes only before \" or \\");
                }
                word += line[i];
            }
            ++i;
            if (i < line.size() && !isBlank(line[i]))
                return malformed("a closing quote must end its word");
        } else {
            for (; i < line.size() && !isBlank(line[i]); ++i) {
                if (isControl(line[i]))
                    return malformed("control character in the line");
                if (line[i] == '"')
                    return malformed("a quote inside a word");
                word += line[i];
            }
        }
        request.words.push_back(std::move(word));
    }
}

std::string quoteControlWord(const std::string& word) {
    if (!word.empty() && word.find_first_of(" \t\"\\") == std::string::npos)
        return word;
    std::string quoted = "\"";
    for (char c : word) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

std::string controlAnswer(const std::string& printed, const std::string& notices, int status,
                          const std::string& reason) {
    std::string block;
    tagLines(block, printed, "> ");
    tagLines(block, notices, "! ");
    if (status == 0)
        return block + "OK\n";
    std::string oneLine = reason;
    for (char& c : oneLine)
        if (c == '\n' || c == '\r')
            c = ' ';
    return block + "ERR " + std::to_string(status) + (oneLine.empty() ? "" : " " + oneLine) + '\n';
}

} // namespace rl4

#include "platform/port_map.h"

#include "platform/text_file.h"

#include <cctype>
#include <charconv>

namespace rl4 {

namespace {

std::optional<int> wholeNumber(const std::string& text) {
    int number = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    if (text.empty() || error != std::errc() || stop != end)
        return std::nullopt;
    return number;
}

} // namespace

PortMap PortMap::load(const std::string& folder, const std::string& fileName) {
    const std::string path = folder + "/" + fileName;
    std::uintmax_t skipped = 0;
    const auto lines = readTextLines(path, &skipped);
    if (!lines)
        return {};
    PortMap map = parse(*lines, fileName);
    if (skipped > 0)
        map.problems_.push_back(fileName + ": too large; " + std::to_string(skipped) + " bytes after line " +
                                std::to_string(lines->size()) + " were not read");
    return map;
}

PortMap PortMap::parse(const std::vector<std::string>& lines, const std::string& fileName) {
    PortMap map;
    for (std::size_t i = 0; i < lines.size(); ++i)
        map.parseLine(lines[i], static_cast<int>(i) + 1, fileName);
    return map;
}

void PortMap::parseLine(const std::string& line, int lineNumber, const std::string& fileName) {
    const std::string content = trimmedOfBlanks(line.substr(0, line.find('#')));
    if (content.empty())
        return;
    const auto problem = [&](const std::string& what) {
        problems_.push_back(fileName + " line " + std::to_string(lineNumber) + ": " + what);
    };
    const auto equals = content.find('=');
    if (equals == std::string::npos) {
        problem("\"" + quotedLine(content) + "\" is not of the form N=TARGET");
        return;
    }
    const std::string numberText = trimmedOfBlanks(content.substr(0, equals));
    const std::string target = trimmedOfBlanks(content.substr(equals + 1));
    const auto number = wholeNumber(numberText);
    if (!number || *number < kFirstMapped || *number > kLastMapped) {
        problem("port number \"" + quotedLine(numberText) + "\" is not " + std::to_string(kFirstMapped) +
                " to " + std::to_string(kLastMapped));
        return;
    }
    if (target.empty()) {
        problem("port " + numberText + " has no target");
        return;
    }
    if (const auto earlier = lineOfPort_.find(*number); earlier != lineOfPort_.end())
        problem("port " + numberText + " was already mapped on line " + std::to_string(earlier->second) +
                "; this line replaces it");
    targets_[*number] = target;
    lineOfPort_[*number] = lineNumber;
}

std::string PortMap::target(int n) const {
    if (n < kFirstPort || n > kLastPort)
        return "";
    if (const auto mapped = targets_.find(n); mapped != targets_.end())
        return mapped->second;
    return "/dev/ttyS" + std::to_string(n - 1);
}

std::optional<std::string> PortMap::targetOfDevice(const std::string& name) const {
    if (name.size() < 4)
        return std::nullopt;
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::tolower(static_cast<unsigned char>(name[i])) != "com"[i])
            return std::nullopt;
    }
    const auto number = wholeNumber(name.substr(3));
    if (!number || *number < kFirstPort || *number > kLastPort)
        return std::nullopt;
    return target(*number);
}

bool PortMap::set(int n, std::string target) {
    if (n < kFirstPort || n > kLastPort || target.empty())
        return false;
    targets_[n] = std::move(target);
    return true;
}

} // namespace rl4

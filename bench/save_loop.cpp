// Writes one file over and over, alternating two contents, until it is killed: scripts/kill-during-save
// kills it at random moments and checks that the file is always one of the two, whole.
//   rl4_save_loop --references DIR   writes the two contents to DIR/first and DIR/second, and ends
//   rl4_save_loop [--count N] FILE   writes FILE N times (to time a write), or for ever

#include "platform/text_file.h"

#include <cstdio>
#include <string>
#include <vector>

// About the size of a full assignment file, and different on every line and in length, so that any mix of
// the two or any cut shows.
static std::vector<std::string> content(bool first) {
    std::vector<std::string> lines;
    for (int i = 1; i <= 600; ++i)
        lines.push_back((first ? "Camera " : "Monitor in rack ") + std::to_string(i) + "|" +
                        std::to_string(i % 17) + "|257|257|" + std::to_string(first ? i : 600 - i));
    return lines;
}

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const bool references = args.size() == 2 && args[0] == "--references";
    const bool counted = args.size() == 3 && args[0] == "--count";
    if (args.size() != 1 && !references && !counted) {
        std::fprintf(stderr, "usage: rl4_save_loop --references DIR | [--count N] FILE\n");
        return 2;
    }
    const std::vector<std::string> contents[] = {content(true), content(false)};
    const unsigned long count = references ? 2 : counted ? std::stoul(args[1]) : 0;
    for (unsigned long i = 0; count == 0 || i < count; ++i) {
        const std::string path = references ? args[1] + (i == 0 ? "/first" : "/second") : args.back();
        if (const auto failure = rl4::replaceTextFile(path, contents[i % 2])) {
            std::fprintf(stderr, "rl4_save_loop: %s\n", failure->describe().c_str());
            return 1;
        }
    }
    return 0;
}

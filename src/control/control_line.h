#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rl4 {

// The control socket speaks in lines. A client sends one command a line: words apart by blanks or tabs,
// a word in double quotes when it holds blanks (a file name), with \" and \\ inside the quotes. The
// program answers each command with a block: lines of what routelane4ctl would print, each behind a tag,
// then one final line.
//
//   > text        a line the command printed (routelane4ctl's standard output)
//   ! text        a notice (routelane4ctl's standard error: a message the window program would show)
//   * event       a change seen while watching: "* route DEST SOURCE LAYER", "* vca DEST LEVEL",
//                 "* online", "* offline" (these may come at any time, also inside a block)
//   OK            the command is done (exit status 0)
//   ERR CODE text the command failed: CODE is routelane4ctl's exit status, or 65 for a line that is not
//                 a command, 75 when the program stayed busy longer than the client waits, 77 for a
//                 TCP client without the token
inline constexpr std::size_t kLongestControlLine = 4096;

enum ControlStatus { kBadLine = 65, kBusy = 75, kRefused = 77 };

struct ControlRequest {
    std::vector<std::string> words; // empty for a blank line, which asks nothing
    std::string error;              // why the line is not a command
};

// One line without its line feed (a carriage return before it is dropped).
ControlRequest parseControlLine(std::string_view line);
// A word as parseControlLine takes it back.
std::string quoteControlWord(const std::string& word);

// The answer block of a command: its printed text and notices, each line tagged, and the final line.
std::string controlAnswer(const std::string& printed, const std::string& notices, int status,
                          const std::string& reason);

} // namespace rl4

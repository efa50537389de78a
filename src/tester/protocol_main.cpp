// protocol: builds single 5-byte messages for a matrix routing switcher by hand, sends them once, on
// change or continuously, and shows the bytes of each answer.

#include "platform/port_map.h"
#include "platform/program_folder.h"
#include "platform/system_clock.h"
#include "tester/protocol_tool.h"
#include "tester/qt_tool_prompt.h"
#include "tester/tool_port.h"
#include "tester/tool_window.h"

#include <QApplication>
#include <iostream>
#include <optional>
#include <string_view>

namespace rl4::tester {
namespace {

constexpr const char* kProgram = "protocol";

constexpr const char* kUsage = R"(Usage: protocol [--data DIR]
Builds single 5-byte messages for a matrix routing switcher by hand, sends them once, on change or
continuously, and shows the bytes of each answer in decimal or hexadecimal.

Options:
  --data DIR   program folder (protocol.set, protocol.ports);
               default: the executable's folder when writable, else ~/.local/share/protocol
  --help       show this text

Ports are chosen by number, 1 to 4. protocol.ports in the program folder maps a number to a device or a
serial device server, one N=TARGET a line (2=/dev/ttyUSB0, 3=socket://10.0.0.40:4001); a number without
a line is /dev/ttyS<N-1>.
Exit status: 0 done, 64 wrong usage, 66 the program folder cannot be used.
)";

enum ExitCode { kDone = 0, kUsageError = 64, kFileError = 66 };

struct Options {
    std::optional<std::string> data;
    bool help = false;
};

// Read before the window system starts, so that help and usage errors need no display.
std::optional<Options> parseOptions(int argc, char** argv, std::string& error) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--data" && i + 1 < argc) {
            options.data = argv[++i];
        } else {
            error = arg == "--data" ? "--data needs a folder" : "unknown option '" + std::string(arg) + "'";
            return std::nullopt;
        }
    }
    return options;
}

int run(const std::string& folder) {
    const PortMap map = PortMap::load(folder, kPortMapFile);
    for (const std::string& problem : map.problems())
        std::cerr << kProgram << ": " << problem << '\n';

    ToolPortOpener opener(map);
    SystemClock clock;
    QtToolPrompt prompt;
    ProtocolTool tool(folder, opener, clock, prompt);
    tool.ReadToolSettings();
    ToolWindow window(tool);
    prompt.setParent(&window);
    window.show();
    tool.OpenPort();
    window.refresh();
    window.startLoop();
    return QApplication::exec();
}

} // namespace
} // namespace rl4::tester

int main(int argc, char** argv) {
    using namespace rl4::tester;
    std::string error;
    const std::optional<Options> options = parseOptions(argc, argv, error);
    if (!options) {
        std::cerr << kProgram << ": " << error << "\nTry '" << kProgram << " --help'.\n";
        return kUsageError;
    }
    if (options->help) {
        std::cout << kUsage;
        return kDone;
    }
    const rl4::FolderChoice choice = rl4::programFolder(options->data, rl4::executablePath(), kProgram);
    if (!choice.error.empty()) {
        std::cerr << kProgram << ": " << choice.error << '\n';
        return kFileError;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(kProgram);
    return run(choice.folder);
}

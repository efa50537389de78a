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

std::optional<std::optional<std::string>> dataOption(const QStringList& args, std::string& error) {
    std::optional<std::string> data;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == "--data" && i + 1 < args.size()) {
            data = args[++i].toStdString();
        } else {
            error = args[i] == "--data" ? "--data needs a folder"
                                        : "unknown option '" + args[i].toStdString() + "'";
            return std::nullopt;
        }
    }
    return data;
}

int run(QApplication& app) {
    std::string error;
    const auto data = dataOption(QApplication::arguments(), error);
    if (!data) {
        std::cerr << kProgram << ": " << error << "\nTry '" << kProgram << " --help'.\n";
        return kUsageError;
    }
    const FolderChoice choice = programFolder(*data, executablePath(), kProgram);
    if (!choice.error.empty()) {
        std::cerr << kProgram << ": " << choice.error << '\n';
        return kFileError;
    }
    const PortMap map = PortMap::load(choice.folder, kPortMapFile);
    for (const std::string& problem : map.problems())
        std::cerr << kProgram << ": " << problem << '\n';

    ToolPortOpener opener(map);
    SystemClock clock;
    QtToolPrompt prompt;
    ProtocolTool tool(choice.folder, opener, clock, prompt);
    tool.ReadToolSettings();
    ToolWindow window(tool);
    prompt.setParent(&window);
    window.show();
    tool.OpenPort();
    window.refresh();
    window.startLoop();
    return app.exec();
}

} // namespace
} // namespace rl4::tester

int main(int argc, char** argv) {
    // Help needs no window system: a terminal without a display gets it too.
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h") {
            std::cout << rl4::tester::kUsage;
            return rl4::tester::kDone;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(rl4::tester::kProgram);
    return rl4::tester::run(app);
}

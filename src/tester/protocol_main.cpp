// protocol: builds single 5-byte messages for a matrix routing switcher by hand, sends them once, on
// change or continuously, and shows the bytes of each answer.

#include "platform/port_map.h"
#include "platform/program_folder.h"
#include "platform/program_folder_lock.h"
#include "platform/system_clock.h"
#include "platform/text_file.h"
#include "tester/protocol_tool.h"
#include "tester/qt_language.h"
#include "tester/qt_tool_prompt.h"
#include "tester/termination_notice.h"
#include "tester/tool_options.h"
#include "tester/tool_port.h"
#include "tester/tool_settings.h"
#include "tester/tool_window.h"

#include <QApplication>
#include <iostream>

namespace rl4::tester {
namespace {

constexpr const char* kProgram = "protocol";

enum ExitCode { kDone = 0, kUsageError = 64, kFileError = 66 };

// Two tools on one folder would write over each other's settings. The lock file is the tool's own, so that
// it may share a folder with routelane4.
constexpr const char* kLockFile = ".protocol.lock";

int run(const std::string& folder, Language language) {
    const QtLanguage qtLanguage(language);
    const rl4::ProgramFolderLock lock(folder, kLockFile);
    if (lock.holder()) {
        const std::string refusal =
            caption(TextId::FolderInUse, language, {folder, holderCaption(*lock.holder(), language)});
        std::cerr << kProgram << ": " << refusal << '\n';
        QtToolPrompt().messageBox(refusal);
        return kFileError;
    }
    if (lock.held()) {
        rl4::removeLeftoverTemporaries(settingsPath(folder));
        rl4::removeLeftoverTemporaries(folder + "/" + kPortMapFile);
    }
    if (!qtLanguage.loaded())
        std::cerr << kProgram << ": "
                  << caption(TextId::QtTextsMissing, language,
                             {QtLanguage::translationsFolder().toStdString()})
                  << '\n';
    const PortMap map = PortMap::load(folder, kPortMapFile);
    for (const std::string& problem : map.problems())
        std::cerr << kProgram << ": " << problem << '\n';

    ToolPortOpener opener(map);
    SystemClock clock;
    QtToolPrompt prompt;
    ProtocolTool tool(folder, opener, clock, prompt, language);
    // A signal may come while a message box of the start waits for an answer, before the event loop runs.
    ToolWindow* shown = nullptr;
    bool ended = false;
    const TerminationNotice termination([&] {
        ended = true;
        prompt.stopAsking();
        if (shown)
            shown->close();
    });
    tool.ReadToolSettings();
    if (ended)
        return kDone;
    ToolWindow window(tool);
    shown = &window;
    prompt.setParent(&window);
    window.show();
    tool.OpenPort();
    // Closed by a signal during the port's message box: the settings are written, the loop never starts.
    if (ended)
        return kDone;
    window.refresh();
    window.startLoop();
    return QApplication::exec();
}

} // namespace
} // namespace rl4::tester

int main(int argc, char** argv) {
    using namespace rl4::tester;
    const ToolOptions options = parseToolOptions(argc, argv, LocaleVariables::fromEnvironment());
    if (!options.error.empty()) {
        std::cerr << kProgram << ": " << options.error << '\n'
                  << caption(TextId::TryHelp, options.language) << '\n';
        return kUsageError;
    }
    if (options.help) {
        std::cout << caption(TextId::Usage, options.language);
        return kDone;
    }
    const rl4::FolderChoice choice = rl4::programFolder(options.data, rl4::executablePath(), kProgram);
    if (!choice.error.empty()) {
        std::cerr << kProgram << ": " << choice.error << '\n';
        return kFileError;
    }
    // Before any thread starts, so that no thread takes these signals away from the event loop.
    blockTerminationSignals();
    QApplication app(argc, argv);
    QApplication::setApplicationName(kProgram);
    return run(choice.folder, options.language);
}

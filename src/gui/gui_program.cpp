#include "gui/gui_program.h"

#include "control/command_words.h"
#include "engine/folder_claim.h"
#include "gui/gui_demo.h"
#include "gui/gui_session.h"
#include "gui/gui_signals.h"
#include "gui/qt_prompt.h"
#include "link/history_csv.h"
#include "platform/program_folder.h"

#include <QApplication>
#include <iostream>
#include <optional>
#include <string_view>

namespace rl4 {
namespace {

constexpr const char* kProgram = "routelane4";

constexpr const char* kUsage = R"(Usage: routelane4 [--data DIR | --demo] [--listen [HOST:]PORT] [--log FILE]
Controls a matrix routing switcher over a serial line or a serial device server.

Options:
  --data DIR   program folder (routelane4.set, routelane4.agn, routelane4.cnx, routelane4.ports);
               default: the executable's folder when writable, else ~/.local/share/routelane4
  --demo       runs against the software matrix (matrixsim, found beside the program or named by
               $ROUTELANE4_MATRIXSIM) in a folder of its own, removed at the end; your files are left alone
  --listen [HOST:]PORT
               takes commands over TCP too (127.0.0.1 unless HOST says otherwise), from clients that
               present the token on the first line of routelane4.token in the program folder (mode 0600)
  --log FILE   appends every frame exchanged with the matrix to FILE as a CSV line, as the history
               window lists it (time,sent,received,instruction,object,in,out,ms), window open or not
  --help       show this text

SIGINT and SIGTERM close the program as its Quit command does, without asking anything: connexions
changed since the last save go to NAME.recovered.cnx beside the connexion file (said on the standard
error), and the next start offers to load them.
A program folder serves one program at a time: a second routelane4 on it says which process has it and
ends.
Exit status: 0 done, 64 wrong usage, 66 the program folder or the log cannot be used (or another program
has the folder), 69 the demo cannot start.
)";

// Beside the exit statuses routelane4ctl has too.
constexpr int kDemoError = 69;

struct Options {
    std::optional<std::string> data;
    std::optional<std::string> log;
    bool demo = false;
    std::optional<std::string> listen;
};

std::optional<Options> parseOptions(const QStringList& args, std::string& error) {
    Options options;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == "--demo") {
            options.demo = true;
        } else if (arg == "--data" && i + 1 < args.size()) {
            options.data = args[++i].toStdString();
        } else if (arg == "--listen" && i + 1 < args.size()) {
            options.listen = args[++i].toStdString();
        } else if (arg == "--log" && i + 1 < args.size()) {
            options.log = args[++i].toStdString();
        } else {
            error = arg == "--data"     ? "--data needs a folder"
                    : arg == "--listen" ? "--listen needs [HOST:]PORT"
                    : arg == "--log"    ? "--log needs a file"
                                        : "unknown option '" + arg.toStdString() + "'";
            return std::nullopt;
        }
    }
    if (options.demo && options.data) {
        error = "--demo makes a folder of its own: give it no --data";
        return std::nullopt;
    }
    return options;
}

int run(QApplication& app) {
    std::string error;
    const std::optional<Options> options = parseOptions(QApplication::arguments(), error);
    if (!options) {
        std::cerr << kProgram << ": " << error << "\nTry '" << kProgram << " --help'.\n";
        return kUsageError;
    }

    // Before anything starts: an operator who asked for a log must not find out after the session that
    // there was none.
    std::unique_ptr<FrameLog> log;
    if (options->log && !(log = FrameLog::open(*options->log, error))) {
        std::cerr << kProgram << ": cannot write the frame log " << *options->log << ": " << error << '\n';
        return kFileError;
    }

    const std::string executable = executablePath();
    std::unique_ptr<DemoMatrix> demo;
    std::string folder;
    if (options->demo) {
        demo = DemoMatrix::start(executable, kLanguageEnglish, error);
        if (!demo) {
            std::cerr << kProgram << ": " << error << '\n';
            return kDemoError;
        }
        folder = demo->folder();
    } else {
        const FolderChoice choice = programFolder(options->data, executable);
        if (!choice.error.empty()) {
            std::cerr << kProgram << ": " << choice.error << '\n';
            return kFileError;
        }
        folder = choice.folder;
    }

    QtPrompt prompt;
    const FolderClaim claim(folder);
    if (claim.refused()) {
        std::cerr << kProgram << ": " << claim.refusal() << '\n';
        prompt.messageBox(claim.refusal(), PromptButtons::Ok, kProgram, PromptIcon::Critical);
        return kFileError;
    }
    GuiSession session(folder, prompt);
    if (log)
        session.engine().link().setRowLog(log.get());
    // Without its socket the program still runs; only other programs cannot reach it.
    const std::string noControl = session.listenForControl();
    if (!noControl.empty())
        std::cerr << kProgram << ": no control socket: " << noControl << '\n';
    if (options->listen) {
        const std::string noTcp = session.listenForControlOverTcp(*options->listen);
        if (!noTcp.empty())
            std::cerr << kProgram << ": no TCP listener: " << noTcp << '\n';
    }
    TerminationWatcher termination;
    QObject::connect(&termination, &TerminationWatcher::terminationRequested, &session,
                     &GuiSession::requestQuit);
    QObject::connect(&session, &GuiSession::finished, &app, &QApplication::quit);
    session.start();
    const int status = app.exec();
    if (log && !log->writeError().empty())
        std::cerr << kProgram << ": the frame log " << log->path() << " misses rows: " << log->writeError()
                  << '\n';
    return status;
}

} // namespace

int runRoutelane4(int argc, char** argv) {
    // Help needs no window system: a terminal without a display gets it too.
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h") {
            std::cout << kUsage;
            return kDone;
        }
    }
    // Before any thread starts, so that every thread leaves these signals to the event loop.
    blockTerminationSignals();
    QApplication app(argc, argv);
    QApplication::setApplicationName(kProgram);
    // The main window's close ends the program, after its shutdown; a tool window's close does not.
    QApplication::setQuitOnLastWindowClosed(false);
    return run(app);
}

} // namespace rl4

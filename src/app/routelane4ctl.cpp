// routelane4ctl: the engine driven from a shell.

#include "app/console_prompt.h"
#include "app/ctl_options.h"
#include "link/engine.h"
#include "link/matrix_search.h"
#include "platform/mapped_port_opener.h"
#include "platform/program_folder.h"
#include "platform/system_clock.h"
#include "platform/text_file.h"

#include <iostream>
#include <optional>

namespace rl4 {
namespace {

constexpr const char* kProgram = "routelane4ctl";

constexpr const char* kUsage =
    R"(Usage: routelane4ctl [--data DIR] [--port N] [--protocol 4|5] [--target TARGET] COMMAND ...
Drives a matrix routing switcher from a shell, with the settings, assignment and connexion files of the
program folder as the window program uses them.

Commands:
  identify                       identity request; without an answer, the start-up port search
  send LETTER DATA1 DATA2        one 5-byte instruction (LETTER a character, e.g. V)
  send CODE,MACHINE DATA1 DATA2  one 4-byte instruction
  status                         reads the matrix: output sizes, then per destination its number, name
                                 and source on each used layer (tab-separated)
  route DEST SOURCE [--layer L]  switches source SOURCE to destination DEST on every layer both use, or
                                 on one (video|audio|rgb|yc)
  load FILE.cnx                  reads a connexion file and sends its routing to the matrix
  save FILE.cnx                  reads the matrix and writes its routing to a connexion file
  vca DEST LEVEL                 sets the VCA level (0..31) of a destination
  vca-all min|max                sets every destination's VCA to its minimum or maximum
  store                          makes the matrix store its current status
  setup store|delete|recall N    setup N (1..7) of the matrix, 4-byte form only
  disconnect-all                 disconnects every output of every layer, without asking

DEST and SOURCE are object numbers of the assignment (routelane4.agn).

Options:
  --data DIR        program folder (routelane4.set, routelane4.agn, routelane4.cnx, routelane4.ports);
                    default: the executable's folder when writable, else ~/.local/share/routelane4
  --port N          serial port number, through the port map (0: no port, the matrix is simulated)
  --protocol 4|5    frame form; default from routelane4.set (5 without it)
  --target TARGET   device path or socket://HOST:PORT for the port, bypassing the port map
  --help            show this text

Exit status: 0 done, 1 no matrix found or no such object, 2 the matrix refused or did not answer,
64 wrong usage, 66 a file or folder cannot be used.
)";

enum ExitCode { kDone = 0, kNotFound = 1, kNoAnswer = 2, kUsageError = 64, kFileError = 66 };

int usageError(const std::string& message) {
    std::cerr << kProgram << ": " << message << "\nTry '" << kProgram << " --help'.\n";
    return kUsageError;
}

int failure(int code, const std::string& message) {
    std::cerr << kProgram << ": " << message << '\n';
    return code;
}

// Keeps the last history row the link produces, as the history window would list it.
class CtlListener : public EngineListener {
public:
    void historyRowAdded(const HistoryRow& row) override { last = row; }
    std::optional<HistoryRow> last;
};

std::optional<Layer> layerNamed(const std::string& name) {
    static constexpr const char* kNames[] = {"video", "audio", "rgb", "yc"};
    for (Layer layer : kLayers)
        if (name == kNames[layerIndex(layer)])
            return layer;
    return std::nullopt;
}

class CtlSession {
public:
    CtlSession(const CtlOptions& options, const std::string& folder)
        : options_(options), opener_(PortMap::load(folder)),
          engine_(folder, clock_, opener_, prompt_, listener_) {
        for (const std::string& problem : opener_.map().problems())
            std::cerr << kProgram << ": " << problem << '\n';
    }

    int run(const std::string& command, const std::vector<std::string>& args) {
        if (command == "identify")
            return args.empty() ? identify() : usageError("identify takes no arguments");
        if (command == "send")
            return send(args);
        if (command == "status")
            return args.empty() ? status() : usageError("status takes no arguments");
        if (command == "route")
            return route(args);
        if (command == "load")
            return args.size() == 1 ? load(args[0]) : usageError("load takes one file name");
        if (command == "save")
            return args.size() == 1 ? save(args[0]) : usageError("save takes one file name");
        if (command == "vca")
            return vca(args);
        if (command == "vca-all")
            return vcaAll(args);
        if (command == "store")
            return args.empty() ? store() : usageError("store takes no arguments");
        if (command == "setup")
            return setup(args);
        if (command == "disconnect-all")
            return args.empty() ? disconnectAll() : usageError("disconnect-all takes no arguments");
        return usageError("unknown command '" + command + "'");
    }

private:
    // The settings give port and protocol; the options override them.
    void openPort() {
        engine_.readSettingsAndOpenPort();
        Link& link = engine_.link;
        link.closePort();
        if (options_.port)
            link.portNumber = *options_.port;
        if (options_.protocol)
            link.protocolLength = *options_.protocol;
        if (options_.target)
            opener_.map().set(link.portNumber, *options_.target);
        link.OpenPort();
    }

    // The port and the assignment, with nothing known of the routing yet.
    void openWithAssignment() {
        openPort();
        engine_.loadAssignment();
        engine_.routing.markAllUnknown();
    }

    int answered(long failedBefore, const std::string& what) {
        const long failed = engine_.link.failedCommands - failedBefore;
        if (failed == 0)
            return kDone;
        return failure(kNoAnswer, what + ": the matrix refused or did not answer " + std::to_string(failed) +
                                      " instruction" + (failed > 1 ? "s" : ""));
    }

    const AssignmentTable& table() const { return engine_.assignments.activeTable; }

    std::optional<int> destinationNumber(const std::string& text) const {
        return parseNumber(text, 1, usableCount(table().destinationCount));
    }

    int identify() {
        openPort();
        const SearchOutcome outcome = identifyMatrix(engine_.link, nullptr);
        if (!outcome.found) {
            std::cout << "no matrix found\n";
            return kNotFound;
        }
        std::cout << "matrix N°" << engine_.link.matrixIdentity << " port " << engine_.link.portNumber
                  << " protocol " << engine_.link.protocolLength << '\n';
        return kDone;
    }

    int send(const std::vector<std::string>& args) {
        if (args.size() != 3)
            return usageError("send takes an instruction and two data values");
        const auto data1 = parseNumber(args[1], 0, 257);
        const auto data2 = parseNumber(args[2], 0, 257);
        if (!data1 || !data2)
            return usageError("data values are numbers from 0 to 257");
        CommandParams cmd;
        const std::string& instruction = args[0];
        const auto comma = instruction.find(',');
        const int form = comma == std::string::npos ? 5 : 4;
        if (form == 5) {
            if (instruction.size() != 1)
                return usageError("a 5-byte instruction is one character, such as V");
            cmd.cmdLetter = static_cast<unsigned char>(instruction[0]);
        } else {
            const auto code = parseNumber(instruction.substr(0, comma), 0, 127);
            const auto machine = parseNumber(instruction.substr(comma + 1), 0, 31);
            if (!code || !machine)
                return usageError(
                    "a 4-byte instruction is CODE,MACHINE with a code 0..127 and a machine 0..31");
            cmd.cmdCode = *code;
            cmd.cmdMachine = *machine;
        }
        if (options_.protocol && *options_.protocol != form)
            return usageError("--protocol " + std::to_string(*options_.protocol) + " does not match a " +
                              std::to_string(form) + "-byte instruction");
        cmd.cmdData1 = *data1;
        cmd.cmdData2 = *data2;

        openPort();
        Link& link = engine_.link;
        link.protocolLength = form;
        link.cmd = cmd;
        link.historyOpen = true;
        link.SendCommand();
        // No row reaches the history when nothing at all came back; show the exchange all the same.
        const HistoryRow row = listener_.last ? *listener_.last : link.lastRow();
        std::cout << row.sent << '\t' << row.received << '\t' << row.instr << '\t' << row.object << '\t'
                  << row.in << '\t' << row.out << '\t' << row.responseMs << '\n';
        return link.replyError ? kNoAnswer : kDone;
    }

    int status() {
        openWithAssignment();
        engine_.statusReader.ReadMatrixStatus();
        const MatrixSizes& sizes = engine_.assignments.sizes;
        std::cout << "outputs\tvideo " << sizes.videoOut << "\taudio " << sizes.audioOut << "\trgb "
                  << sizes.rgbOut << "\tyc " << sizes.ycOut << '\n';
        SwitchingSheet& sheet = engine_.sheet;
        sheet.showAll = true;
        sheet.FillSheet();
        for (const SheetRow& row : sheet.rows()) {
            std::cout << row.destination;
            for (std::size_t i = 1; i < row.cells.size(); ++i)
                std::cout << '\t' << row.cells[i];
            std::cout << '\n';
        }
        return sizes.videoOut + sizes.audioOut + sizes.rgbOut + sizes.ycOut > 0
                   ? kDone
                   : failure(kNoAnswer, "status: the matrix did not answer");
    }

    int route(const std::vector<std::string>& args) {
        std::optional<Layer> only;
        std::vector<std::string> numbers;
        for (std::size_t i = 0; i < args.size(); ++i) {
            if (args[i] == "--layer") {
                if (i + 1 == args.size() || !(only = layerNamed(args[i + 1])))
                    return usageError("--layer is video, audio, rgb or yc");
                ++i;
            } else {
                numbers.push_back(args[i]);
            }
        }
        if (numbers.size() != 2)
            return usageError("route takes a destination and a source");
        openWithAssignment();
        const auto d = destinationNumber(numbers[0]);
        const auto s = parseNumber(numbers[1], 1, usableCount(table().sourceCount));
        if (!d)
            return failure(kNotFound, "no destination " + numbers[0] + " in the assignment");
        if (!s)
            return failure(kNotFound, "no source " + numbers[1] + " in the assignment");

        std::vector<Layer> layers;
        for (Layer layer : kLayers)
            if ((!only || layer == *only) && table().destinations[*d].output(layer) != NotAssigned &&
                table().sources[*s].input(layer) != NotAssigned) {
                engine_.routing.wanted(layer, *d) = *s;
                layers.push_back(layer);
            }
        if (layers.empty())
            return failure(kNotFound, "source " + numbers[1] + " cannot reach destination " + numbers[0] +
                                          (only ? " on that layer" : " on any layer"));
        const long failedBefore = engine_.link.failedCommands;
        engine_.routingCommands.DownloadRouting();
        std::cout << table().sources[*s].name << " -> " << table().destinations[*d].name << " on";
        for (Layer layer : layers)
            std::cout << ' ' << layerCodes(layer).readLetter;
        std::cout << '\n';
        return answered(failedBefore, "route");
    }

    int load(const std::string& path) {
        if (!fileExists(path))
            return failure(kFileError, "cannot read " + path);
        openWithAssignment();
        engine_.connexionFile.ReadConnexionFile(path);
        const long failedBefore = engine_.link.failedCommands;
        const long sentBefore = engine_.link.shotCount;
        engine_.routingCommands.DownloadRouting();
        std::cout << "loaded " << path << ": " << engine_.link.shotCount - sentBefore << " switches sent\n";
        return answered(failedBefore, "load");
    }

    int save(const std::string& path) {
        openWithAssignment();
        engine_.statusReader.ReadMatrixStatus();
        const MatrixSizes& sizes = engine_.assignments.sizes;
        if (sizes.videoOut + sizes.audioOut + sizes.rgbOut + sizes.ycOut == 0)
            return failure(kNoAnswer, "save: the matrix did not answer");
        if (!engine_.connexionFile.WriteConnexionFile(path))
            return kFileError;
        std::cout << "saved " << path << ": " << usableCount(table().destinationCount) << " destinations\n";
        return kDone;
    }

    int vca(const std::vector<std::string>& args) {
        if (args.size() != 2)
            return usageError("vca takes a destination and a level");
        const auto level = parseNumber(args[1], kVcaMinimum, kVcaMaximum);
        if (!level)
            return usageError("a VCA level is a number from 0 to 31");
        openWithAssignment();
        const auto d = destinationNumber(args[0]);
        if (!d)
            return failure(kNotFound, "no destination " + args[0] + " in the assignment");
        if (table().destinations[*d].Aou == NotAssigned)
            return failure(kNotFound, "destination " + args[0] + " has no audio output");
        const long failedBefore = engine_.link.failedCommands;
        engine_.vca.SelectVcaDestination(*d);
        engine_.vca.sli1_Change(*level);
        std::cout << table().destinations[*d].name << " VCA " << vcaLevelText(*level) << '\n';
        return answered(failedBefore, "vca");
    }

    int vcaAll(const std::vector<std::string>& args) {
        if (args.size() != 1 || (args[0] != "min" && args[0] != "max"))
            return usageError("vca-all takes min or max");
        openWithAssignment();
        const int level = args[0] == "min" ? kVcaMinimum : kVcaMaximum;
        const long failedBefore = engine_.link.failedCommands;
        const long sentBefore = engine_.link.shotCount;
        engine_.vca.SetAllVca(level);
        std::cout << "VCA " << vcaLevelText(level) << " on " << engine_.link.shotCount - sentBefore
                  << " destinations\n";
        return answered(failedBefore, "vca-all");
    }

    int store() {
        openPort();
        const long failedBefore = engine_.link.failedCommands;
        engine_.setups.StoreStatus();
        std::cout << "status stored\n";
        return answered(failedBefore, "store");
    }

    int setup(const std::vector<std::string>& args) {
        if (args.size() != 2 || (args[0] != "store" && args[0] != "delete" && args[0] != "recall"))
            return usageError("setup takes store, delete or recall and a setup number");
        const auto n = parseNumber(args[1], 1, 7);
        if (!n)
            return usageError("setups are numbered 1 to 7");
        openWithAssignment();
        if (engine_.link.protocolLength != 4)
            return usageError("setups exist only in the 4-byte form (--protocol 4)");
        const long failedBefore = engine_.link.failedCommands;
        if (args[0] == "store")
            engine_.setups.storeSetup(*n);
        else if (args[0] == "delete")
            engine_.setups.deleteSetup(*n);
        else
            engine_.setups.recallSetup(*n);
        std::cout << "setup " << *n << ' ' << args[0] << (args[0] == "store" ? "d" : "ed") << '\n';
        return answered(failedBefore, "setup");
    }

    int disconnectAll() {
        openWithAssignment();
        // The sizes come from the assignment file until the matrix is read.
        prompt_.yesNoAnswer = kAnswerYes;
        const long failedBefore = engine_.link.failedCommands;
        engine_.routingCommands.DisconnectAll();
        std::cout << "all destinations disconnected\n";
        return answered(failedBefore, "disconnect-all");
    }

    const CtlOptions& options_;
    SystemClock clock_;
    ConsolePrompt prompt_{std::cerr};
    CtlListener listener_;
    MappedPortOpener opener_;
    Engine engine_;
};

int run(const std::vector<std::string>& args) {
    const CtlParse parse = parseCtlOptions(args);
    if (!parse.error.empty())
        return usageError(parse.error);
    const CtlOptions& options = parse.options;
    if (options.help) {
        std::cout << kUsage;
        return kDone;
    }
    if (options.command.empty())
        return usageError("no command given");
    if (options.target && options.port == 0)
        return usageError("--target needs a port number other than 0");

    const FolderChoice folder = programFolder(options.data, executablePath());
    if (!folder.error.empty())
        return failure(kFileError, folder.error);
    CtlSession session(options, folder.folder);
    return session.run(options.command.front(),
                       std::vector<std::string>(options.command.begin() + 1, options.command.end()));
}

} // namespace
} // namespace rl4

int main(int argc, char** argv) {
    return rl4::run(std::vector<std::string>(argv + 1, argv + argc));
}

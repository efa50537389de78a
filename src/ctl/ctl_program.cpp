#include "ctl/ctl_program.h"

#include "ctl/console_prompt.h"
#include "ctl/ctl_debug.h"
#include "ctl/ctl_new_assignment.h"
#include "ctl/ctl_options.h"
#include "ctl/ctl_upload_eeprom.h"
#include "engine/engine.h"
#include "engine/folder_claim.h"
#include "link/matrix_search.h"
#include "platform/mapped_port_opener.h"
#include "platform/program_folder.h"
#include "platform/system_clock.h"
#include "platform/text_file.h"
#include "text/fault_texts.h"

#include <functional>
#include <iostream>
#include <optional>
#include <unistd.h>

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
  new-assignment [OPTIONS] FILE.agn
                                 writes a new assignment for a matrix of the given sizes, as the
                                 assignment editor's size dialog builds it (see new-assignment --help)
  upload-eeprom [--yes] [--image FILE]
                                 writes the assignment into the matrix's EEPROM, showing the
                                 percentage written; both questions are answered Yes only with --yes.
                                 --image writes the image the upload would send to FILE (one line of
                                 32 bytes in hexadecimal per EEPROM line) and sends nothing
  debug write|read|read-v1|read-v12 [--sources A-B] [--destinations A-B] [--layers vary]
        [--pause MS] [--cycles N]
                                 the debug window's test loops: switches sources A-B to destinations A-B
                                 (write), reads them back (read), or reads video output 1, or 1 and 2, in
                                 a loop; layers by letter (v video, a audio, r rgb, y yc); one line per
                                 step with the error and command counts, until N cycles are done or
                                 Ctrl-C; exit status 2 when some answer was missing or refused

DEST and SOURCE are object numbers of the assignment (routelane4.agn).

Options:
  --data DIR        program folder (routelane4.set, routelane4.agn, routelane4.cnx, routelane4.ports);
                    default: the executable's folder when writable, else ~/.local/share/routelane4
  --port N          serial port number, through the port map (0: no port, the matrix is simulated)
  --protocol 4|5    frame form; default from routelane4.set (5 without it)
  --target TARGET   device path or socket://HOST:PORT for the port, bypassing the port map
  --help            show this text

save and load keep the program folder to themselves while they run, as routelane4 does: another program
on the folder makes them stop at once. A port another program holds is never used: the port search goes
on without it, any other command stops before sending anything.

Exit status: 0 done, 1 no matrix found or no such object (upload-eeprom: not uploaded, or with
errors), 2 the matrix refused or did not answer, or its port is in use, 64 wrong usage, 66 a file or
folder cannot be used (another program has the folder).
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

// Keeps the last history row the link produces, as the history window would list it, and says when a
// status reading begins.
class CtlListener : public EngineListener {
public:
    void historyRowAdded(const HistoryRow& row) override { last = row; }
    void statusReadingStarted() override {
        if (statusReadingStarts)
            statusReadingStarts();
    }
    void eepromWindowChanged() override {
        if (eepromChanged)
            eepromChanged();
    }
    void eepromUploadRunning(bool running) override {
        if (eepromRunning)
            eepromRunning(running);
    }
    std::optional<HistoryRow> last;
    std::function<void()> statusReadingStarts;
    std::function<void()> eepromChanged;
    std::function<void(bool)> eepromRunning;
};

const char* layerName(Layer layer) {
    static constexpr const char* kNames[] = {"video", "audio", "rgb", "yc"};
    return kNames[layerIndex(layer)];
}

std::optional<Layer> layerNamed(const std::string& name) {
    for (Layer layer : kLayers)
        if (name == layerName(layer))
            return layer;
    return std::nullopt;
}

// A data value of `send`: one the wire carries unchanged, or 257, the not-assigned mark.
std::optional<int> dataValue(const std::string& text) {
    const auto value = parseNumber(text, 0, NotAssigned);
    return value && Link::wireCarries(*value) ? value : std::nullopt;
}

// Why the last instruction brought no recognised answer, from the first byte the link read.
std::string failureReason(const Link& link, const HistoryRow& row) {
    constexpr int kNothingRead = 0xFF;
    constexpr int kNothingWithin300Ms = 0xFE;
    constexpr int kErrorReport = 0x50;
    if (link.firstByte() == kNothingRead || link.firstByte() == kNothingWithin300Ms)
        return "no answer from the matrix";
    if (link.firstByte() == kNak)
        return "the matrix refused the instruction (NAK)";
    if (link.protocolLength() == 4 && link.firstByte() == kErrorReport)
        return "the matrix reported an error: " + row.in + " " + row.out;
    return "the answer was not understood";
}

// Ends a command before it sends anything: its frames would mix with those of the program that has the port.
struct PortInUse {
    std::string message;
};

// The commands that write files where the window program may be writing too.
bool writesFiles(const std::string& command) {
    return command == "save" || command == "load";
}

class CtlSession {
public:
    CtlSession(const CtlOptions& options, const std::string& folder)
        : options_(options), opener_(PortMap::load(folder)),
          engine_(folder, clock_, opener_, prompt_, listener_) {
        for (const std::string& problem : opener_.map().problems())
            std::cerr << kProgram << ": " << problem << '\n';
        listener_.statusReadingStarts = [this] {
            if (!failedAtStatusReading_)
                failedAtStatusReading_ = engine_.link().failedCommands();
        };
    }

    int run(const std::string& command, const std::vector<std::string>& args) {
        try {
            return dispatch(command, args);
        } catch (const PortInUse& refused) {
            return failure(kNoAnswer, refused.message);
        }
    }

private:
    int dispatch(const std::string& command, const std::vector<std::string>& args) {
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
        if (command == "upload-eeprom")
            return uploadEeprom(args);
        if (command == "debug")
            return debug(args);
        return usageError("unknown command '" + command + "'");
    }

    // The settings give port and protocol; the options override them before any port is opened, since
    // opening a port resets the line of whatever device is on it. A port that cannot be opened is reported
    // with the reason, except where the port search follows.
    void openPort(bool reportClosedPort = true) {
        engine_.readSettingsAndOpenPort([this](Link& link) {
            if (options_.port)
                link.setPortNumber(*options_.port);
            if (options_.protocol)
                link.setProtocolLength(*options_.protocol);
            if (options_.target)
                opener_.map().set(link.portNumber(), *options_.target);
        });
        const Link& link = engine_.link();
        const auto holder = inUseHolder(link.portFailure());
        if (reportClosedPort && holder)
            throw PortInUse{portInUseText(engine_.messages(), link.portNumber(), *holder)};
        if (reportClosedPort && link.portError() && link.portNumber() != 0)
            std::cerr << kProgram << ": port " << link.portNumber() << " ("
                      << opener_.map().target(link.portNumber()) << "): " << opener_.lastFailure() << '\n';
    }

    // The port and the assignment, with nothing known of the routing yet.
    void openWithAssignment() {
        openPort();
        engine_.loadAssignment();
        engine_.routing().markAllUnknown();
    }

    // Counts the instructions that failed since `failedBefore`, up to a status reading that followed them:
    // that reading ends every layer on a refused output. `done` is printed only when none failed.
    int answered(long failedBefore, const std::string& what, const std::string& done) {
        const long failed = failedAtStatusReading_.value_or(engine_.link().failedCommands()) - failedBefore;
        if (failed == 0) {
            std::cout << done << '\n';
            return kDone;
        }
        return failure(kNoAnswer, what + ": the matrix refused or did not answer " + std::to_string(failed) +
                                      " instruction" + (failed > 1 ? "s" : ""));
    }

    const AssignmentTable& table() const { return engine_.assignments().activeTable; }

    std::optional<int> destinationNumber(const std::string& text) const {
        return parseNumber(text, 1, usableCount(table().destinationCount));
    }

    int identify() {
        openPort(false);
        const SearchOutcome outcome = identifyMatrix(engine_.link(), nullptr);
        for (const PortHolder& held : outcome.portsInUse)
            std::cerr << kProgram << ": " << portInUseText(engine_.messages(), held.port, held.holder)
                      << '\n';
        if (!outcome.found) {
            std::cout << "no matrix found\n";
            return kNotFound;
        }
        std::cout << "matrix N°" << engine_.link().matrixIdentity() << " port " << engine_.link().portNumber()
                  << " protocol " << engine_.link().protocolLength() << '\n';
        return kDone;
    }

    int send(const std::vector<std::string>& args) {
        if (args.size() != 3)
            return usageError("send takes an instruction and two data values");
        const auto data1 = dataValue(args[1]);
        const auto data2 = dataValue(args[2]);
        if (!data1 || !data2)
            return usageError("data values are numbers from 0 to 255, or 257 (not assigned, sent as 255)");
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
        Link& link = engine_.link();
        link.setProtocolLength(form);
        link.setHistoryOpen(true);
        const SendResult sent = link.SendCommand(cmd);
        // No row reaches the history when nothing at all came back; show the exchange all the same.
        const HistoryRow row = listener_.last ? *listener_.last : link.lastRow();
        std::cout << row.sent << '\t' << row.received << '\t' << row.instr << '\t' << row.object << '\t'
                  << row.in << '\t' << row.out << '\t' << row.responseMs << '\n';
        return sent.replyError ? failure(kNoAnswer, "send: " + failureReason(link, row)) : kDone;
    }

    int status() {
        openWithAssignment();
        engine_.statusReader().ReadMatrixStatus();
        const MatrixSizes& sizes = engine_.assignments().sizes;
        std::cout << "outputs\tvideo " << sizes.videoOut << "\taudio " << sizes.audioOut << "\trgb "
                  << sizes.rgbOut << "\tyc " << sizes.ycOut << '\n';
        SwitchingSheet& sheet = engine_.sheet();
        sheet.restoreShowAll(true);
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
        if (!parseNumber(numbers[0], 1, kMaxObjects) || !parseNumber(numbers[1], 1, kMaxObjects))
            return usageError("destinations and sources are object numbers from 1 to " +
                              std::to_string(kMaxObjects));
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
                engine_.routing().wanted(layer, *d) = *s;
                layers.push_back(layer);
            }
        if (layers.empty())
            return failure(kNotFound, "source " + numbers[1] + " cannot reach destination " + numbers[0] +
                                          (only ? " on that layer" : " on any layer"));
        const long failedBefore = engine_.link().failedCommands();
        engine_.routingCommands().DownloadRouting();
        std::string done = table().sources[*s].name + " -> " + table().destinations[*d].name + " on";
        for (Layer layer : layers)
            done += std::string(" ") + layerName(layer);
        return answered(failedBefore, "route", done);
    }

    int load(const std::string& path) {
        if (!fileExists(path))
            return failure(kFileError, "cannot read " + path);
        openWithAssignment();
        if (!engine_.connexionFile().ReadConnexionFile(path))
            return kFileError;
        const long failedBefore = engine_.link().failedCommands();
        const long sentBefore = engine_.link().shotCount();
        engine_.routingCommands().DownloadRouting();
        return answered(failedBefore, "load",
                        "loaded " + path + ": " + std::to_string(engine_.link().shotCount() - sentBefore) +
                            " switches sent");
    }

    int save(const std::string& path) {
        openWithAssignment();
        engine_.statusReader().ReadMatrixStatus();
        const MatrixSizes& sizes = engine_.assignments().sizes;
        if (sizes.videoOut + sizes.audioOut + sizes.rgbOut + sizes.ycOut == 0)
            return failure(kNoAnswer, "save: the matrix did not answer");
        if (!engine_.connexionFile().WriteConnexionFile(path))
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
        const long failedBefore = engine_.link().failedCommands();
        engine_.vca().SelectVcaDestination(*d);
        engine_.vca().sli1_Change(*level);
        return answered(failedBefore, "vca", table().destinations[*d].name + " VCA " + vcaLevelText(*level));
    }

    int vcaAll(const std::vector<std::string>& args) {
        if (args.size() != 1 || (args[0] != "min" && args[0] != "max"))
            return usageError("vca-all takes min or max");
        openWithAssignment();
        const int level = args[0] == "min" ? kVcaMinimum : kVcaMaximum;
        const long failedBefore = engine_.link().failedCommands();
        const long sentBefore = engine_.link().shotCount();
        engine_.vca().SetAllVca(level);
        return answered(failedBefore, "vca-all",
                        "VCA " + vcaLevelText(level) + " on " +
                            std::to_string(engine_.link().shotCount() - sentBefore) + " destinations");
    }

    int store() {
        openPort();
        const long failedBefore = engine_.link().failedCommands();
        engine_.setups().StoreStatus();
        return answered(failedBefore, "store", "status stored");
    }

    int setup(const std::vector<std::string>& args) {
        if (args.size() != 2 || (args[0] != "store" && args[0] != "delete" && args[0] != "recall"))
            return usageError("setup takes store, delete or recall and a setup number");
        const auto n = parseNumber(args[1], 1, 7);
        if (!n)
            return usageError("setups are numbered 1 to 7");
        openWithAssignment();
        if (engine_.link().protocolLength() != 4)
            return usageError("setups exist only in the 4-byte form (--protocol 4)");
        const long failedBefore = engine_.link().failedCommands();
        if (args[0] == "store")
            engine_.setups().storeSetup(*n);
        else if (args[0] == "delete")
            engine_.setups().deleteSetup(*n);
        else
            engine_.setups().recallSetup(*n);
        // "store" and "delete" take a d, "recall" an ed.
        return answered(failedBefore, "setup",
                        "setup " + std::to_string(*n) + ' ' + args[0] + (args[0] == "recall" ? "ed" : "d"));
    }

    int disconnectAll() {
        openWithAssignment();
        // Every layer the matrix has, as far as it answers, not only the connectors of the assignment.
        engine_.statusReader().ReadMatrixStatus();
        MatrixSizes& sizes = engine_.assignments().sizes;
        if (sizes.videoOut + sizes.audioOut + sizes.rgbOut + sizes.ycOut == 0)
            return failure(kNoAnswer, "disconnect-all: the matrix did not answer");
        std::string layers;
        for (Layer layer : kLayers)
            if (sizes.out(layer) > 0)
                layers += std::string(" ") + layerName(layer);
        prompt_.yesNoAnswer = kAnswerYes;
        failedAtStatusReading_.reset();
        const long failedBefore = engine_.link().failedCommands();
        engine_.routingCommands().DisconnectAll();
        return answered(failedBefore, "disconnect-all", "all outputs disconnected on" + layers);
    }

    // The window program's upload, with its questions answered beforehand and its percentage on one line.
    int uploadEeprom(const std::vector<std::string>& args) {
        const UploadEepromRequest request = parseUploadEeprom(args);
        if (!request.error.empty())
            return usageError(request.error);
        if (request.image) {
            engine_.readSettingsAndOpenPort([this](Link& link) {
                link.setPortNumber(0);
                if (options_.protocol)
                    link.setProtocolLength(*options_.protocol);
            });
            engine_.loadAssignment();
            const std::string reason = writeUploadImage(engine_, *request.image);
            if (!reason.empty())
                return failure(kFileError, "cannot write " + *request.image + ": " + reason);
            std::cout << "wrote " << *request.image << '\n';
            return kDone;
        }
        openWithAssignment();
        // Every message would wait its whole time-out: thousands of them, for nothing.
        if (engine_.link().portError() && engine_.link().portNumber() != 0)
            return failure(kNotFound, "upload-eeprom: no port, nothing sent");
        prompt_.yesNoAnswer = request.yes ? kAnswerYes : kAnswerNo;
        UploadProgressLine progress(std::cout);
        listener_.eepromRunning = [&progress](bool running) { progress.running(running); };
        listener_.eepromChanged = [this, &progress] {
            progress.show(engine_.eeprom().window().pourcenteeprom);
        };
        const UploadOutcome outcome = engine_.uploadEeprom();
        if (outcome == UploadOutcome::Succeeded)
            return kDone;
        if (outcome == UploadOutcome::Refused)
            return failure(kNotFound, "upload-eeprom: nothing sent" +
                                          std::string(request.yes ? "" : " (--yes answers the questions)"));
        return failure(kNotFound, "upload-eeprom: " + std::to_string(engine_.eeprom().messagesFailed()) +
                                      " of " + std::to_string(engine_.eeprom().messagesSent()) +
                                      " messages got no recognised answer");
    }

    int debug(const std::vector<std::string>& args) {
        const DebugParse parse = parseDebugCommand(args);
        if (!parse.error.empty())
            return usageError(parse.error);
        openWithAssignment();
        return runDebugCommand(engine_, parse.command, std::cout, std::cerr, ::isatty(STDOUT_FILENO) == 1);
    }

    const CtlOptions& options_;
    SystemClock clock_;
    ConsolePrompt prompt_{std::cerr};
    CtlListener listener_;
    MappedPortOpener opener_;
    Engine engine_;
    // Failed instructions counted when the first status reading of the command began.
    std::optional<long> failedAtStatusReading_;
};

} // namespace

int runRoutelane4ctl(const std::vector<std::string>& args) {
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
    // A new assignment needs neither the matrix nor the program folder.
    if (options.command.front() == "new-assignment")
        return runNewAssignment(std::vector<std::string>(options.command.begin() + 1, options.command.end()),
                                std::cout, std::cerr);

    const FolderChoice folder = programFolder(options.data, executablePath());
    if (!folder.error.empty())
        return failure(kFileError, folder.error);
    std::optional<FolderClaim> claim;
    if (writesFiles(options.command.front())) {
        claim.emplace(folder.folder);
        if (claim->refused())
            return failure(kFileError, claim->refusal());
    }
    CtlSession session(options, folder.folder);
    return session.run(options.command.front(),
                       std::vector<std::string>(options.command.begin() + 1, options.command.end()));
}

} // namespace rl4

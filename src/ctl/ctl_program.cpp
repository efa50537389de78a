#include "ctl/ctl_program.h"

#include "control/command_words.h"
#include "control/console_prompt.h"
#include "control/control_client.h"
#include "control/control_socket.h"
#include "control/matrix_commands.h"
#include "ctl/ctl_debug.h"
#include "ctl/ctl_new_assignment.h"
#include "ctl/ctl_options.h"
#include "ctl/ctl_upload_eeprom.h"
#include "engine/engine.h"
#include "engine/folder_claim.h"
#include "link/history_csv.h"
#include "link/matrix_search.h"
#include "platform/mapped_port_opener.h"
#include "platform/program_folder.h"
#include "platform/serial_devices.h"
#include "platform/system_clock.h"
#include "platform/text_file.h"
#include "text/fault_texts.h"

#include <cerrno>
#include <cstring>
#include <functional>
#include <iostream>
#include <optional>
#include <unistd.h>

namespace rl4 {
namespace {

constexpr const char* kProgram = "routelane4ctl";

constexpr const char* kUsage =
    R"(Usage: routelane4ctl [--data DIR] [--port N] [--protocol 4|5] [--target TARGET] [--log FILE]
                     [--direct | --via SOCKET] COMMAND ...
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
  watch                          prints the changes a running routelane4 sees (see below)
  ports                          ports 1 to 16 with their targets (routelane4.ports), then the serial
                                 devices found that no port reaches, with maker, product and serial
                                 number (tab-separated); opens nothing
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

While a routelane4 runs on the program folder, identify, status, route, load, save, vca, vca-all, store,
setup and disconnect-all go to it through its control socket, with the same output and exit status;
--port, --protocol and --target open the port here instead. watch prints every routing, VCA and on-line
change that routelane4 sees, one line each, until it ends.

Options:
  --data DIR        program folder (routelane4.set, routelane4.agn, routelane4.cnx, routelane4.ports);
                    default: the executable's folder when writable, else ~/.local/share/routelane4
  --port N          serial port number, through the port map (0: no port, the matrix is simulated)
  --protocol 4|5    frame form; default from routelane4.set (5 without it)
  --target TARGET   device path or socket://HOST:PORT for the port, bypassing the port map
  --direct          opens the port even when a routelane4 runs on the program folder
  --via SOCKET      sends the command to the routelane4 listening on SOCKET, or on HOST:PORT (TCP, with
                    the token of routelane4.token in the program folder)
  --log FILE        appends every frame exchanged with the matrix to FILE as a CSV line
                    (time,sent,received,instruction,object,in,out,ms), a header line first in a new file
  --help            show this text

save and load keep the program folder to themselves while they run, as routelane4 does: another program
on the folder makes them stop at once. A port another program holds is never used: the port search goes
on without it, any other command stops before sending anything.

Exit status: 0 done, 1 no matrix found or no such object (upload-eeprom: not uploaded, or with
errors), 2 the matrix refused or did not answer, or its port is in use, 64 wrong usage, 66 a file or
folder cannot be used (another program has the folder), 69 the running routelane4 cannot be reached,
75 it stayed busy (a long operation, a dialog) too long, 77 its TCP listener refused the token.
)";

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

class CtlSession : private CommandHost {
public:
    CtlSession(const CtlOptions& options, const std::string& folder, FrameLog* log)
        : options_(options), opener_(PortMap::load(folder)),
          engine_(folder, clock_, opener_, prompt_, listener_) {
        engine_.link().setRowLog(log);
        for (const std::string& problem : opener_.map().problems())
            std::cerr << kProgram << ": " << problem << '\n';
        listener_.statusReadingStarts = [this] { commands_.statusReadingStarted(); };
    }

    // A line lost on the way fails the command whatever it managed before, and says why.
    int run(const std::string& command, const std::vector<std::string>& args) {
        try {
            const int code = runCommand(command, args);
            if (!engine_.link().lineLost())
                return code;
            failure(kNoAnswer, command + ": " + engine_.lineLostText());
            return code == kDone ? kNoAnswer : code;
        } catch (const PortInUse& refused) {
            return failure(kNoAnswer, refused.message);
        }
    }

private:
    int runCommand(const std::string& command, const std::vector<std::string>& args) {
        if (command == "send")
            return send(args);
        if (const std::optional<int> status = commands_.run(command, args))
            return *status;
        if (command == "upload-eeprom")
            return uploadEeprom(args);
        if (command == "debug")
            return debug(args);
        if (command == "ports")
            return args.empty() ? ports() : usageError("ports takes no arguments");
        return usageError("unknown command '" + command + "'");
    }

    void prepare(bool withAssignment) override {
        if (withAssignment)
            openWithAssignment();
        else
            openPort();
    }
    bool findMatrix() override {
        openPort(false);
        const SearchOutcome outcome = identifyMatrix(engine_.link(), nullptr);
        for (const PortHolder& held : outcome.portsInUse)
            std::cerr << kProgram << ": " << portInUseText(engine_.messages(), held.port, held.holder)
                      << '\n';
        return outcome.found;
    }
    void answerQuestions(int answer) override { prompt_.yesNoAnswer = answer; }
    std::ostream& out() override { return std::cout; }
    int fail(int code, const std::string& message) override {
        return code == kUsageError ? usageError(message) : failure(code, message);
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

    // The same table as the configuration dialog's; a listing that fails still shows the map.
    int ports() {
        const SerialDeviceListing listing = listSerialDevices();
        if (!listing.error.empty())
            std::cerr << kProgram << ": cannot list the serial devices: " << listing.error << '\n';
        for (const std::string& line :
             formatPortTable(portTable(opener_.map(), listing.devices), PortTextLanguage::English))
            std::cout << line << '\n';
        return kDone;
    }

    const CtlOptions& options_;
    SystemClock clock_;
    ConsolePrompt prompt_{std::cerr};
    CtlListener listener_;
    MappedPortOpener opener_;
    Engine engine_;
    MatrixCommands commands_{engine_, *this};
};

// A routelane4 running on the program folder holds the port: the command goes to it through its control
// socket. Options that choose a port mean that port, opened here. Nothing when the command is to run here.
std::optional<int> runThroughSocket(const CtlOptions& options, const std::string& folder) {
    const std::string& command = options.command.front();
    const bool portChosen = options.port || options.protocol || options.target;
    if (options.direct || (portChosen && !options.via) || !runsThroughControlSocket(command)) {
        if (command == "watch")
            return usageError("watch needs a running routelane4 and no --direct or port options");
        return std::nullopt;
    }
    const std::string path = options.via ? *options.via : controlSocketPath(folder);
    ControlClient client(std::cout, std::cerr, kProgram);
    // HOST:PORT (no '/' in it) is a TCP listener, which wants the token kept in the program folder.
    if (path.find('/') == std::string::npos && path.find(':') != std::string::npos) {
        const TokenFile token = readTokenFile(folder + "/routelane4.token");
        if (!token.error.empty())
            return failure(kFileError, token.error);
        if (const int status = client.connectTcp(path, token.token); status != kDone)
            return status;
    } else if (!client.connect(path)) {
        if (!options.via && command != "watch")
            return std::nullopt;
        return failure(kUnavailable, "no routelane4 listens on " + path + ": " + std::strerror(errno));
    }
    if (command == "watch")
        return options.command.size() == 1 ? client.watch() : usageError("watch takes no arguments");
    if (options.log)
        std::cerr << kProgram << ": " << *options.log
                  << " stays as it is: the running routelane4 exchanges the frames, and its own --log "
                     "records them\n";
    return client.run(options.command);
}

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
    if (const std::optional<int> status = runThroughSocket(options, folder.folder))
        return *status;
    std::optional<FolderClaim> claim;
    if (writesFiles(options.command.front())) {
        claim.emplace(folder.folder);
        if (claim->refused())
            return failure(kFileError, claim->refusal());
    }
    std::unique_ptr<FrameLog> log;
    std::string logError;
    if (options.log && !(log = FrameLog::open(*options.log, logError)))
        return failure(kFileError, "cannot write the frame log " + *options.log + ": " + logError);
    CtlSession session(options, folder.folder, log.get());
    const int status =
        session.run(options.command.front(),
                    std::vector<std::string>(options.command.begin() + 1, options.command.end()));
    // A command that did its work still fails when its record of the exchange is incomplete.
    if (log && !log->writeError().empty()) {
        const int logStatus =
            failure(kFileError, "the frame log " + *options.log + " misses rows: " + log->writeError());
        return status == kDone ? logStatus : status;
    }
    return status;
}

} // namespace rl4

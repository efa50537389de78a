// routelane4ctl: the engine driven from a shell.

#include "app/console_prompt.h"
#include "app/ctl_options.h"
#include "link/link.h"
#include "link/matrix_search.h"
#include "platform/mapped_port_opener.h"
#include "platform/program_folder.h"
#include "platform/system_clock.h"
#include "sheet/settings.h"

#include <iostream>
#include <optional>

namespace rl4 {
namespace {

constexpr const char* kProgram = "routelane4ctl";

constexpr const char* kUsage =
    R"(Usage: routelane4ctl [--data DIR] [--port N] [--protocol 4|5] [--target TARGET] COMMAND ...
Drives a matrix routing switcher from a shell.

Commands:
  identify                       identity request; without an answer, the start-up port search
  send LETTER DATA1 DATA2        one 5-byte instruction (LETTER a character, e.g. V)
  send CODE,MACHINE DATA1 DATA2  one 4-byte instruction

Options:
  --data DIR        program folder (routelane4.set, routelane4.ports); default: the executable's
                    folder when writable, else ~/.local/share/routelane4
  --port N          serial port number, through the port map (0: no port, the matrix is simulated)
  --protocol 4|5    frame form; default from routelane4.set (5 without it)
  --target TARGET   device path or socket://HOST:PORT for the port, bypassing the port map
  --help            show this text

Exit status: 0 done, 1 no matrix found, 2 the matrix refused or did not answer,
64 wrong usage, 66 a file or folder cannot be used.
)";

enum ExitCode { kDone = 0, kNoMatrix = 1, kNoAnswer = 2, kUsageError = 64, kFileError = 66 };

int usageError(const std::string& message) {
    std::cerr << kProgram << ": " << message << "\nTry '" << kProgram << " --help'.\n";
    return kUsageError;
}

// Keeps the history rows the link produces, as the history window would list them.
class RowCapture : public LinkListener {
public:
    void historyRowAdded(const HistoryRow& row) override { last = row; }
    std::optional<HistoryRow> last;
};

void printRow(const HistoryRow& row) {
    std::cout << row.sent << '\t' << row.received << '\t' << row.instr << '\t' << row.object << '\t' << row.in
              << '\t' << row.out << '\t' << row.responseMs << '\n';
}

class CtlSession {
public:
    CtlSession(const CtlOptions& options, const std::string& folder)
        : explicitProtocol_(options.protocol.has_value()), settings_(startSettings(folder)),
          opener_(PortMap::load(folder)), link_(clock_, opener_) {
        ReadSettings(settingsFilePath(folder), settings_, prompt_);
        for (const std::string& problem : opener_.map().problems())
            std::cerr << kProgram << ": " << problem << '\n';
        link_.portNumber = options.port.value_or(settings_.port);
        link_.protocolLength = options.protocol.value_or(settings_.protocolLength);
        if (options.target)
            opener_.map().set(link_.portNumber, *options.target);
        link_.setListener(&rows_);
        link_.OpenPort();
    }

    int identify() {
        const SearchOutcome outcome = identifyMatrix(link_, nullptr);
        if (!outcome.found) {
            std::cout << "no matrix found\n";
            return kNoMatrix;
        }
        std::cout << "matrix N°" << link_.matrixIdentity << " port " << link_.portNumber << " protocol "
                  << link_.protocolLength << '\n';
        return kDone;
    }

    int send(const std::vector<std::string>& args) {
        if (args.size() != 3)
            return usageError("send takes an instruction and two data values");
        const auto data1 = parseNumber(args[1], 0, 257);
        const auto data2 = parseNumber(args[2], 0, 257);
        if (!data1 || !data2)
            return usageError("data values are numbers from 0 to 257");
        CommandParams& cmd = link_.cmd;
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
        if (form != link_.protocolLength && explicitProtocol_)
            return usageError("--protocol " + std::to_string(link_.protocolLength) + " does not match a " +
                              std::to_string(form) + "-byte instruction");
        link_.protocolLength = form;
        cmd.cmdData1 = *data1;
        cmd.cmdData2 = *data2;

        link_.historyOpen = true;
        link_.SendCommand();
        // No row reaches the history when nothing at all came back; show the exchange all the same.
        printRow(rows_.last ? *rows_.last : link_.lastRow());
        return link_.replyError ? kNoAnswer : kDone;
    }

private:
    bool explicitProtocol_;
    SystemClock clock_;
    ConsolePrompt prompt_{std::cerr};
    Settings settings_;
    MappedPortOpener opener_;
    Link link_;
    RowCapture rows_;
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
    if (!folder.error.empty()) {
        std::cerr << kProgram << ": " << folder.error << '\n';
        return kFileError;
    }
    CtlSession session(options, folder.folder);

    const std::string& command = options.command.front();
    const std::vector<std::string> commandArgs(options.command.begin() + 1, options.command.end());
    if (command == "identify") {
        if (!commandArgs.empty())
            return usageError("identify takes no arguments");
        return session.identify();
    }
    if (command == "send")
        return session.send(commandArgs);
    return usageError("unknown command '" + command + "'");
}

} // namespace
} // namespace rl4

int main(int argc, char** argv) {
    return rl4::run(std::vector<std::string>(argv + 1, argv + argc));
}

#include "ctl/ctl_debug.h"

#include "ctl/ctl_options.h"

#include <csignal>
#include <string_view>

namespace rl4 {

namespace {

constexpr int kFailed = kNoAnswer;
constexpr int kLongestPauseMillis = 600'000;
constexpr int kMostCycles = 1'000'000'000;
// Erases what a longer line before left on a terminal.
constexpr const char* kEraseToEnd = "\x1b[K";

struct LoopWord {
    std::string_view word;
    DebugLoop loop;
};
constexpr LoopWord kLoopWords[] = {{"write", DebugLoop::Write},
                                   {"read", DebugLoop::Read},
                                   {"read-v1", DebugLoop::ReadVideo1},
                                   {"read-v12", DebugLoop::ReadVideo12}};
constexpr std::string_view kLayerLetters = "vary";

// A signal handler may only set a flag: the loop looks at it between its steps. It has to be a global, as
// the handler is given nothing else.
volatile std::sig_atomic_t interruptPending = 0;

extern "C" void noteInterrupt(int) {
    interruptPending = 1;
}

// SIGINT ends the loop instead of the program while it runs.
class InterruptWatch {
public:
    InterruptWatch() {
        interruptPending = 0;
        struct sigaction action {};
        action.sa_handler = noteInterrupt;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &previous_);
    }
    ~InterruptWatch() { ::sigaction(SIGINT, &previous_, nullptr); }
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    bool interrupted() const { return interruptPending != 0; }

private:
    struct sigaction previous_ {};
};

// "A-B" or "A", numbers from 1.
std::optional<std::pair<int, int>> parseRange(const std::string& text) {
    const auto dash = text.find('-');
    const auto first = parseNumber(text.substr(0, dash), 1, kMaxObjects);
    const auto last = dash == std::string::npos ? first : parseNumber(text.substr(dash + 1), 1, kMaxObjects);
    if (!first || !last || *first > *last)
        return std::nullopt;
    return std::pair{*first, *last};
}

std::optional<std::array<bool, 4>> parseLayers(const std::string& text) {
    std::array<bool, 4> layers{};
    for (char letter : text) {
        const auto index = kLayerLetters.find(letter);
        if (index == std::string_view::npos || layers[index])
            return std::nullopt;
        layers[index] = true;
    }
    if (text.empty())
        return std::nullopt;
    return layers;
}

// Prints one line per step and notes SIGINT between steps.
class StepPrinter : public DebugListener {
public:
    StepPrinter(DebugModel& model, const Link& link, const InterruptWatch& interrupt, std::ostream& out,
                bool terminal)
        : model_(model), link_(link), interrupt_(interrupt), out_(out), terminal_(terminal) {}

    void debugStepDone() override {
        if (terminal_)
            out_ << '\r' << model_.lbldebug() << '\t' << counters() << kEraseToEnd << std::flush;
        else
            // Flushed, so that a pipe (tee, a log watcher) follows the loop as it runs.
            out_ << model_.lbldebug() << '\t' << counters() << std::endl;
        printed_ = true;
    }
    void debugLetEventsRun() override {
        if (interrupt_.interrupted())
            model_.requestStop();
    }
    void finish() {
        if (terminal_ && printed_)
            out_ << '\n';
        out_ << counters() << '\n';
    }

private:
    std::string counters() const {
        return "errors " + std::to_string(model_.errorCount()) + "\tcommands " +
               std::to_string(link_.shotCount());
    }

    DebugModel& model_;
    const Link& link_;
    const InterruptWatch& interrupt_;
    std::ostream& out_;
    bool terminal_;
    bool printed_ = false;
};

} // namespace

DebugParse parseDebugCommand(const std::vector<std::string>& args) {
    DebugParse parse;
    DebugCommand& command = parse.command;
    if (args.empty()) {
        parse.error = "debug takes write, read, read-v1 or read-v12";
        return parse;
    }
    for (const LoopWord& word : kLoopWords)
        if (args[0] == word.word)
            command.loop = word.loop;
    if (command.loop == DebugLoop::None) {
        parse.error = "debug takes write, read, read-v1 or read-v12, not '" + args[0] + "'";
        return parse;
    }
    for (std::size_t i = 1; i < args.size(); i += 2) {
        const std::string& option = args[i];
        if (i + 1 == args.size()) {
            parse.error = "option " + option + " needs a value";
            return parse;
        }
        const std::string& value = args[i + 1];
        if (option == "--sources" || option == "--destinations") {
            const auto range = parseRange(value);
            if (!range) {
                parse.error = option + " takes a range of object numbers such as 1-8, not '" + value + "'";
                return parse;
            }
            (option == "--sources" ? command.sources : command.destinations) = range;
        } else if (option == "--layers") {
            command.layers = parseLayers(value);
            if (!command.layers) {
                parse.error = "--layers takes letters among v, a, r and y (such as va), not '" + value + "'";
                return parse;
            }
        } else if (option == "--pause") {
            command.pauseMillis = parseNumber(value, 0, kLongestPauseMillis);
            if (!command.pauseMillis) {
                parse.error = "--pause takes milliseconds from 0 to " + std::to_string(kLongestPauseMillis);
                return parse;
            }
        } else if (option == "--cycles") {
            const auto cycles = parseNumber(value, 1, kMostCycles);
            if (!cycles) {
                parse.error = "--cycles takes a number of cycles from 1";
                return parse;
            }
            command.cycles = *cycles;
        } else {
            parse.error = "unknown debug option '" + option + "'";
            return parse;
        }
    }
    return parse;
}

int runDebugCommand(Engine& engine, const DebugCommand& command, std::ostream& out, std::ostream& err,
                    bool terminal) {
    DebugModel& model = engine.debug();
    model.frmdebug_Load();
    DebugChoices& choices = model.choices();
    if (command.sources) {
        if (command.sources->second > model.sourceCount()) {
            err << "routelane4ctl: no source " << command.sources->second << " in the assignment\n";
            return kNotFound;
        }
        choices.firstSource = command.sources->first;
        choices.lastSource = command.sources->second;
    }
    if (command.destinations) {
        if (command.destinations->second > model.destinationCount()) {
            err << "routelane4ctl: no destination " << command.destinations->second << " in the assignment\n";
            return kNotFound;
        }
        choices.firstDestination = command.destinations->first;
        choices.lastDestination = command.destinations->second;
    }
    if (command.layers)
        choices.layers = *command.layers;
    const bool byLayer = command.loop == DebugLoop::Write || command.loop == DebugLoop::Read;
    if (byLayer && choices.layers == std::array<bool, 4>{}) {
        err << "routelane4ctl: the assignment gives the matrix no layer: choose some with --layers\n";
        return kUsageError;
    }
    choices.pauseMillis = command.pauseMillis;
    choices.cycleLimit = command.cycles;

    InterruptWatch interrupt;
    StepPrinter printer(model, engine.link(), interrupt, out, terminal);
    model.setListener(printer);
    switch (command.loop) {
    case DebugLoop::Write:
        model.cmddebugwrite_Click();
        break;
    case DebugLoop::Read:
        model.cmddebugread_Click();
        break;
    case DebugLoop::ReadVideo1:
        model.readvideo1_Click();
        break;
    case DebugLoop::ReadVideo12:
        model.readvideo12_Click();
        break;
    case DebugLoop::None:
        break;
    }
    printer.finish();
    model.setListener(engine.listener());
    return model.errorCount() == 0 ? kDone : kFailed;
}

} // namespace rl4

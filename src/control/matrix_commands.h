#pragma once

#include "control/command_words.h"
#include "engine/engine.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace rl4 {

// What a command needs from whoever runs it: routelane4ctl opens the port for each command, the running
// window program has it open already.
class CommandHost {
public:
    virtual ~CommandHost() = default;

    // The port of the settings (or the options), reporting one that cannot be opened; then, when asked,
    // the assignment, with nothing known of the routing yet.
    virtual void prepare(bool withAssignment) = 0;
    // Asks the matrix who it is; true when it answered.
    virtual bool findMatrix() = 0;
    // The answer every Yes/No question of the command gets.
    virtual void answerQuestions(int answer) = 0;
    // What the command prints.
    virtual std::ostream& out() = 0;
    // Ends the command with an exit status other than kDone and the reason.
    virtual int fail(int code, const std::string& message) = 0;
};

// The commands on the matrix that routelane4ctl and the control socket share, with the same words and
// exit status on both.
class MatrixCommands {
public:
    MatrixCommands(Engine& engine, CommandHost& host) : engine_(engine), host_(host) {}

    // Nothing when `command` is not one of them.
    std::optional<int> run(const std::string& command, const std::vector<std::string>& args);
    // The engine's notice: the matrix status is being read.
    void statusReadingStarted();

private:
    int answered(long failedBefore, const std::string& what, const std::string& done);
    const AssignmentTable& table() const { return engine_.assignments().activeTable; }
    std::optional<int> destinationNumber(const std::string& text) const;

    int identify();
    int status();
    int route(const std::vector<std::string>& args);
    int load(const std::string& path);
    int save(const std::string& path);
    int vca(const std::vector<std::string>& args);
    int vcaAll(const std::vector<std::string>& args);
    int store();
    int setup(const std::vector<std::string>& args);
    int disconnectAll();

    Engine& engine_;
    CommandHost& host_;
    // Failed instructions counted when the first status reading of the command began.
    std::optional<long> failedAtStatusReading_;
};

} // namespace rl4

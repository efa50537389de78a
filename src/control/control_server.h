#pragma once

#include "control/divertable_prompt.h"
#include "control/matrix_commands.h"
#include "engine/engine.h"
#include "platform/clock.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <string>

namespace rl4 {

// The control socket of the running window program: many clients, each sending commands a line at a time
// (see control_line.h), which run one at a time through the engine between the main loop's passes, as
// the operator's commands do. Nothing here blocks: a client is read and written as far as its socket lets,
// and one that stops reading while its answers pile up past a bound is dropped.
//
// The owner calls service() whenever pollFd() is readable (and now and then, for the time-outs of clients
// that wait while the program is busy), and makes listener() hear the engine's notices, which `watch`
// passes on to the clients that asked.
class ControlServer {
public:
    struct Limits {
        // Answers and events waiting for a client that does not read.
        std::size_t pendingOutput = 256 * 1024;
        // Lines read ahead of the command that runs.
        std::size_t queuedLines = 64;
        // How long a command waits for a busy program unless its client says otherwise (`wait MS`).
        int waitMillis = 10'000;
    };

    // `busy` tells when a command must wait: a long operation holds the link, a dialog waits for the
    // operator, the start-up is not over.
    ControlServer(Engine& engine, DivertablePrompt& prompt, Clock& clock, std::function<bool()> busy,
                  Limits limits);
    ControlServer(Engine& engine, DivertablePrompt& prompt, Clock& clock, std::function<bool()> busy)
        : ControlServer(engine, prompt, clock, std::move(busy), Limits{}) {}
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    // Listens on a socket path (see listenControlSocket); the error text when it cannot.
    std::string listen(const std::string& path);
    const std::string& path() const { return path_; }
    // Listens on TCP too ([HOST:]PORT, HOST 127.0.0.1 when not given), for clients that say `token TOKEN`
    // first; the error text when it cannot.
    std::string listenTcp(const std::string& hostAndPort, const std::string& token);
    // The port it listens on (the system's choice for port 0); 0 without a TCP listener.
    int tcpPort() const;

    // Readable when a client connects, sends, or can take more of its answers.
    int pollFd() const { return poll_; }
    void service();
    // Clients connected, for a test or a status line.
    std::size_t clientCount() const;

    // The engine's notices that watching clients hear; the owner joins it to the engine's listeners.
    EngineListener& listener() { return listener_; }

private:
    struct Client {
        int fd = -1;
        std::string input;
        bool discarding = false; // inside a line already answered as too long
        bool inputEnded = false;
        struct Line {
            std::string text;
            std::int64_t arrivedMicros = 0;
            bool tooLong = false;
        };
        std::deque<Line> lines;
        std::string output;
        std::uint32_t interest = 0;
        bool watching = false;
        bool admitted = true;
        bool gone = false;
        int waitMillis = 0;
    };

    class Listener : public EngineListener {
    public:
        explicit Listener(ControlServer& server) : server_(server) {}
        void routingReported(Layer layer, int destination, int source) override;
        void vcaReported(int destination, int level) override;
        void onLineChanged(bool onLine) override;
        void statusReadingStarted() override;

    private:
        ControlServer& server_;
    };

    bool watchListening(int fd);
    void acceptClients(int listening);
    void admit(Client& client, const std::vector<std::string>& words);
    void readFrom(Client& client);
    void takeLines(Client& client);
    void runLines();
    bool runOne(Client& client);
    std::string answer(Client& client, const std::vector<std::string>& words);
    std::string runMatrixCommand(const std::vector<std::string>& words, bool& known);
    void flush(Client& client);
    void send(Client& client, const std::string& text);
    void tell(const std::string& event);
    void watchInterest(Client& client);
    void removeGone();

    Engine& engine_;
    DivertablePrompt& prompt_;
    Clock& clock_;
    std::function<bool()> busy_;
    Limits limits_;
    Listener listener_{*this};
    std::string path_;
    int listening_ = -1;
    int tcpListening_ = -1;
    std::string token_;
    unsigned long inode_ = 0;
    int poll_ = -1;
    // Readable while lines wait that the last service left for the next.
    int wake_ = -1;
    std::list<Client> clients_;
    // A command runs: a dialog's event loop inside it may call service() again, which then only moves
    // bytes.
    bool running_ = false;
    MatrixCommands* commands_ = nullptr;
    // What watching clients were last told, so that a report that changes nothing stays quiet.
    std::array<RoutingTable::PerDestination, 4> toldRouting_{};
    RoutingTable::PerDestination toldVca_{};
    int toldOnLine_ = -1;
};

} // namespace rl4

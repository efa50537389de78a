#include "control/control_server.h"

#include "control/command_words.h"
#include "control/console_prompt.h"
#include "control/control_line.h"
#include "control/control_socket.h"
#include "link/matrix_search.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sstream>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace rl4 {

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
// A client that sends faster than the program reads gets its turn again at the next service.
constexpr std::size_t kReadPerService = 4 * kReadChunk;
constexpr int kLongestWaitMillis = 24 * 3600 * 1000;
constexpr std::uint32_t kRemoved = ~0U;
constexpr int kCommandsPerService = 16;

constexpr const char* kHelp = "commands: identify, status, route DEST SOURCE [--layer L], load FILE.cnx, "
                              "save FILE.cnx, vca DEST LEVEL, vca-all min|max, store, "
                              "setup store|delete|recall N, disconnect-all; watch, unwatch, wait MS, help";

// How a command reached through the socket finds the program: port open, assignment loaded, routing known.
// Its output and notices are kept for the answer; its questions are answered as routelane4ctl answers them.
class SocketHost : public CommandHost {
public:
    explicit SocketHost(Engine& engine) : engine_(engine) {}

    void prepare(bool) override {}
    bool findMatrix() override {
        requestIdentity(engine_.link());
        return !engine_.link().replyError() && matrixAnswered(engine_.link());
    }
    void answerQuestions(int answer) override { prompt.yesNoAnswer = answer; }
    std::ostream& out() override { return printed; }
    int fail(int code, const std::string& message) override {
        status = code;
        reason = message;
        return code;
    }

    std::ostringstream printed;
    std::ostringstream notices;
    ConsolePrompt prompt{notices};
    int status = kDone;
    std::string reason;

private:
    Engine& engine_;
};

} // namespace

ControlServer::ControlServer(Engine& engine, DivertablePrompt& prompt, Clock& clock,
                             std::function<bool()> busy, Limits limits)
    : engine_(engine), prompt_(prompt), clock_(clock), busy_(std::move(busy)), limits_(limits) {
    toldVca_.fill(NotAssigned);
    for (auto& layer : toldRouting_)
        layer.fill(NotAssigned);
}

ControlServer::~ControlServer() {
    for (Client& client : clients_)
        ::close(client.fd);
    if (listening_ >= 0) {
        removeControlSocket(path_, inode_);
        ::close(listening_);
    }
    if (tcpListening_ >= 0)
        ::close(tcpListening_);
    if (poll_ >= 0)
        ::close(poll_);
    if (wake_ >= 0)
        ::close(wake_);
}

bool ControlServer::watchListening(int fd) {
    if (poll_ < 0) {
        poll_ = ::epoll_create1(EPOLL_CLOEXEC);
        wake_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        epoll_event wake{};
        wake.events = EPOLLIN;
        wake.data.fd = wake_;
        if (poll_ < 0 || wake_ < 0 || ::epoll_ctl(poll_, EPOLL_CTL_ADD, wake_, &wake) != 0)
            return false;
    }
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = fd;
    return ::epoll_ctl(poll_, EPOLL_CTL_ADD, fd, &event) == 0;
}

std::string ControlServer::listen(const std::string& path) {
    const ListeningSocket socket = listenControlSocket(path);
    if (socket.fd < 0)
        return socket.error;
    if (!watchListening(socket.fd)) {
        ::close(socket.fd);
        removeControlSocket(path, socket.inode);
        return "cannot watch the control socket";
    }
    listening_ = socket.fd;
    inode_ = socket.inode;
    path_ = path;
    return "";
}

std::string ControlServer::listenTcp(const std::string& hostAndPort, const std::string& token) {
    if (token.empty())
        return "a TCP listener needs a token";
    const ListeningSocket socket = listenTcpSocket(hostAndPort);
    if (socket.fd < 0)
        return socket.error;
    if (!watchListening(socket.fd)) {
        ::close(socket.fd);
        return "cannot watch the TCP listener";
    }
    tcpListening_ = socket.fd;
    token_ = token;
    return "";
}

int ControlServer::tcpPort() const {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (tcpListening_ < 0 ||
        ::getsockname(tcpListening_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return address.ss_family == AF_INET6 ? ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port)
                                         : ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
}

std::size_t ControlServer::clientCount() const {
    std::size_t count = 0;
    for (const Client& client : clients_)
        count += client.gone ? 0 : 1;
    return count;
}

// Only the descriptors the poll reports are touched, so that an idle pass costs one system call however many
// clients are connected; what is left (more than a pass takes) keeps the poll descriptor readable.
void ControlServer::service() {
    std::uint64_t woken = 0;
    [[maybe_unused]] const auto read = ::read(wake_, &woken, sizeof woken);
    epoll_event events[64];
    const int count = poll_ < 0 ? 0 : ::epoll_wait(poll_, events, 64, 0);
    for (int i = 0; i < count; ++i) {
        const int fd = events[i].data.fd;
        if (fd == listening_ || fd == tcpListening_) {
            acceptClients(fd);
            continue;
        }
        for (Client& client : clients_) {
            if (client.fd != fd || client.gone)
                continue;
            // Gone altogether (not only done sending), a client cannot take its answers: it leaves at once,
            // and its lines not yet run go with it.
            if ((events[i].events & (EPOLLHUP | EPOLLERR)) != 0) {
                client.gone = true;
                watchInterest(client);
            } else if ((events[i].events & EPOLLIN) != 0) {
                readFrom(client);
            }
        }
    }
    if (!running_)
        runLines();
    for (Client& client : clients_)
        flush(client);
    if (!running_)
        removeGone();
}

void ControlServer::acceptClients(int listening) {
    while (true) {
        const int fd = ::accept4(listening, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        Client& client = clients_.emplace_back();
        client.fd = fd;
        client.waitMillis = limits_.waitMillis;
        // Anybody who reaches the port can connect: only the token lets a command through.
        client.admitted = listening != tcpListening_;
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.fd = fd;
        client.interest = EPOLLIN;
        if (::epoll_ctl(poll_, EPOLL_CTL_ADD, fd, &event) != 0)
            client.gone = true;
    }
}

void ControlServer::readFrom(Client& client) {
    if (client.inputEnded || client.lines.size() >= limits_.queuedLines)
        return;
    char buffer[kReadChunk];
    for (std::size_t read = 0; read < kReadPerService;) {
        const ssize_t got = ::recv(client.fd, buffer, sizeof buffer, 0);
        if (got == 0) {
            client.inputEnded = true;
            break;
        }
        if (got < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                client.gone = true;
            break;
        }
        client.input.append(buffer, static_cast<std::size_t>(got));
        read += static_cast<std::size_t>(got);
        takeLines(client);
        if (client.lines.size() >= limits_.queuedLines)
            break;
    }
}

// A line too long is answered once, when its turn comes, and its bytes are thrown away as they arrive
// rather than kept: a client cannot make the program hold more than one line's worth.
void ControlServer::takeLines(Client& client) {
    std::size_t start = 0;
    for (std::size_t end; (end = client.input.find('\n', start)) != std::string::npos; start = end + 1) {
        if (client.discarding)
            client.discarding = false;
        else
            client.lines.push_back({client.input.substr(start, end - start), clock_.nowMicros(), false});
    }
    client.input.erase(0, start);
    if (!client.discarding && client.input.size() > kLongestControlLine + 1) {
        client.lines.push_back({"", clock_.nowMicros(), true});
        client.discarding = true;
    }
    if (client.discarding)
        client.input.clear();
}

// The clients take turns, a line each, so that one with many lines queued does not hold the others back.
// After a share of them the event loop gets its turn, and the wake-up descriptor brings the program back for
// the rest; lines that came meanwhile wait in their sockets, which keep the poll readable.
void ControlServer::runLines() {
    int share = kCommandsPerService;
    for (bool ran = true; ran && share > 0;) {
        ran = false;
        for (Client& client : clients_)
            if (share > 0 && !client.gone && !client.lines.empty() && runOne(client)) {
                ran = true;
                --share;
            }
    }
    if (share == 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(wake_, &one, sizeof one);
    }
}

// False when the line must wait for the program to be free.
bool ControlServer::runOne(Client& client) {
    const Client::Line& line = client.lines.front();
    const ControlRequest request =
        line.tooLong
            ? ControlRequest{{}, "line longer than " + std::to_string(kLongestControlLine) + " bytes"}
            : parseControlLine(line.text);
    // A stranger on the TCP port gets one try.
    if (!client.admitted && !request.error.empty()) {
        client.lines.pop_front();
        admit(client, {});
        return true;
    }
    if (!request.error.empty() || request.words.empty()) {
        if (!request.error.empty())
            send(client, controlAnswer("", "", kBadLine, request.error));
        client.lines.pop_front();
        return true;
    }
    if (!client.admitted) {
        client.lines.pop_front();
        admit(client, request.words);
        return true;
    }
    const std::string& word = request.words.front();
    const bool session = word == "watch" || word == "unwatch" || word == "wait" || word == "help";
    if (!session && (busy_() || engine_.assignmentEditorOpen())) {
        const std::int64_t waited = clock_.nowMicros() - line.arrivedMicros;
        if (waited < static_cast<std::int64_t>(client.waitMillis) * 1000)
            return false;
        send(client, controlAnswer("", "", kBusy,
                                   "busy: the program stayed occupied for " +
                                       std::to_string(client.waitMillis) + " ms"));
        client.lines.pop_front();
        return true;
    }
    const std::vector<std::string> words = request.words;
    client.lines.pop_front();
    const std::string reply = answer(client, words);
    send(client, reply);
    return true;
}

// A client of the TCP listener says the token first; anything else, or a wrong token, ends the connection.
void ControlServer::admit(Client& client, const std::vector<std::string>& words) {
    const bool presented = !words.empty() && words[0] == "token";
    const std::string given = presented && words.size() == 2 ? words[1] : std::string();
    // The same time whatever the token given, so that its bytes cannot be guessed one by one.
    unsigned difference = given.size() != token_.size() ? 1U : 0U;
    for (std::size_t i = 0; i < token_.size(); ++i)
        difference |= static_cast<unsigned char>(token_[i]) ^
                      static_cast<unsigned char>(i < given.size() ? given[i] : 0);
    if (difference == 0 && !given.empty()) {
        client.admitted = true;
        send(client, controlAnswer("", "", kDone, ""));
        return;
    }
    send(client, controlAnswer("", "", kRefused, presented ? "wrong token" : "token required"));
    client.lines.clear();
    client.inputEnded = true;
    flush(client);
    client.gone = true;
}

std::string ControlServer::answer(Client& client, const std::vector<std::string>& words) {
    const std::string& word = words.front();
    const std::size_t argCount = words.size() - 1;
    if (word == "help")
        return controlAnswer(kHelp, "", kDone, "");
    if (word == "watch" || word == "unwatch") {
        if (argCount != 0)
            return controlAnswer("", "", kUsageError, word + " takes no arguments");
        if (word == "watch" && !client.watching)
            toldRouting_ = engine_.routing().matrixSource;
        client.watching = word == "watch";
        return controlAnswer("", "", kDone, "");
    }
    if (word == "wait") {
        const auto millis = argCount == 1 ? parseNumber(words[1], 0, kLongestWaitMillis) : std::nullopt;
        if (!millis)
            return controlAnswer("", "", kUsageError, "wait takes a time in milliseconds");
        client.waitMillis = *millis;
        return controlAnswer("", "", kDone, "");
    }
    SocketHost host(engine_);
    MatrixCommands commands(engine_, host);
    const std::vector<std::string> args(words.begin() + 1, words.end());
    running_ = true;
    commands_ = &commands;
    prompt_.divert(&host.prompt);
    const std::optional<int> status = commands.run(word, args);
    prompt_.divert(nullptr);
    commands_ = nullptr;
    running_ = false;
    if (!status)
        return controlAnswer("", "", kUsageError, "unknown command '" + word + "' (help lists them)");
    // A command that failed in the engine (a file that cannot be read) has told why in a notice already.
    return controlAnswer(host.printed.str(), host.notices.str(), *status, host.reason);
}

void ControlServer::send(Client& client, const std::string& text) {
    if (client.gone)
        return;
    client.output += text;
    flush(client);
}

void ControlServer::flush(Client& client) {
    while (!client.gone && !client.output.empty()) {
        const ssize_t sent = ::send(client.fd, client.output.data(), client.output.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                client.gone = true;
            break;
        }
        client.output.erase(0, static_cast<std::size_t>(sent));
    }
    if (client.output.size() > limits_.pendingOutput)
        client.gone = true;
    // A client that said all it had to say leaves once answered.
    if (client.inputEnded && client.lines.empty() && client.output.empty() && !client.watching)
        client.gone = true;
    watchInterest(client);
}

// Level-triggered: a client stays out of the poll for what it cannot be served (more lines while its queue is
// full, room to write with nothing to write), and out altogether once gone, or its hang-up would wake the
// program again and again until it is removed.
void ControlServer::watchInterest(Client& client) {
    if (client.gone) {
        if (client.interest != kRemoved)
            ::epoll_ctl(poll_, EPOLL_CTL_DEL, client.fd, nullptr);
        client.interest = kRemoved;
        return;
    }
    const std::uint32_t wanted =
        (client.inputEnded || client.lines.size() >= limits_.queuedLines ? 0U : EPOLLIN) |
        (client.output.empty() ? 0U : EPOLLOUT);
    if (wanted == client.interest)
        return;
    epoll_event event{};
    event.events = wanted;
    event.data.fd = client.fd;
    ::epoll_ctl(poll_, EPOLL_CTL_MOD, client.fd, &event);
    client.interest = wanted;
}

void ControlServer::removeGone() {
    for (auto it = clients_.begin(); it != clients_.end();) {
        if (it->gone) {
            watchInterest(*it);
            ::close(it->fd);
            it = clients_.erase(it);
        } else {
            ++it;
        }
    }
}

void ControlServer::tell(const std::string& event) {
    for (Client& client : clients_)
        if (client.watching)
            send(client, "* " + event + '\n');
}

void ControlServer::Listener::routingReported(Layer layer, int destination, int source) {
    int& told =
        server_
            .toldRouting_[static_cast<std::size_t>(layerIndex(layer))][static_cast<std::size_t>(destination)];
    if (told == source)
        return;
    told = source;
    server_.tell("route " + std::to_string(destination) + ' ' + std::to_string(source) + ' ' +
                 layerName(layer));
}

void ControlServer::Listener::vcaReported(int destination, int level) {
    int& told = server_.toldVca_[static_cast<std::size_t>(destination)];
    if (told == level)
        return;
    told = level;
    server_.tell("vca " + std::to_string(destination) + ' ' + std::to_string(level));
}

void ControlServer::Listener::onLineChanged(bool onLine) {
    if (server_.toldOnLine_ == (onLine ? 1 : 0))
        return;
    server_.toldOnLine_ = onLine ? 1 : 0;
    server_.tell(onLine ? "online" : "offline");
}

void ControlServer::Listener::statusReadingStarted() {
    if (server_.commands_ != nullptr)
        server_.commands_->statusReadingStarted();
}

} // namespace rl4

// The window program's start-up, memory and idle load, measured in a process of its own as the operator
// starts it: from the process's start to the filled sheet, on the demo's software matrix ("demo") or on the
// demo's files with every port leading nowhere ("no-ports"); then the resident memory; then the CPU time the
// idle program takes over a number of seconds with its main loop running. Drawn offscreen, with every
// question answered at once, so that nobody's answer is timed. Prints one "name value" line per figure.

#include "gui/gui_demo.h"
#include "gui/gui_session.h"
#include "gui/gui_signals.h"
#include "gui/main_window.h"
#include "platform/program_folder.h"
#include "platform/text_file.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace rl4 {
namespace {

constexpr int kStartMillis = 20000;

// Seconds since this process started, from the kernel's record of its start.
double secondsSinceProcessStart() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    // Field 22, counted after the command name, which may hold blanks but ends with the last ')'.
    std::size_t at = text.rfind(')');
    for (int field = 2; field < 22 && at != std::string::npos; ++field)
        at = text.find(' ', at + 1);
    const double startTicks = at == std::string::npos ? 0.0 : std::stod(text.substr(at + 1));
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9 - startTicks / ::sysconf(_SC_CLK_TCK);
}

double residentMebibytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmRSS:"))
            return std::stod(line.substr(6)) / 1024.0;
    return 0.0;
}

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void runEventsFor(int millis, GuiSession* session = nullptr) {
    QEventLoop loop;
    QTimer::singleShot(millis, &loop, &QEventLoop::quit);
    if (session != nullptr)
        QObject::connect(session, &GuiSession::ready, &loop, &QEventLoop::quit);
    loop.exec();
}

int run(bool noPorts, int idleSeconds) {
    std::string error;
    const std::unique_ptr<DemoMatrix> demo = DemoMatrix::start(executablePath(), kLanguageEnglish, error);
    if (!demo) {
        std::fprintf(stderr, "rl4_window_bench: %s\n", error.c_str());
        return 1;
    }
    if (noPorts) {
        std::vector<std::string> lines;
        for (int port = 1; port <= 8; ++port)
            lines.push_back(std::to_string(port) + "=" + demo->folder() + "/absent" + std::to_string(port));
        writeTextLines(demo->folder() + "/routelane4.ports", lines);
    }
    SilentPrompt prompt;
    GuiSession session(demo->folder(), prompt);
    session.start();
    runEventsFor(kStartMillis, &session);
    if (!session.startedUp()) {
        std::fprintf(stderr, "rl4_window_bench: the program did not start up\n");
        return 1;
    }
    const double startUp = secondsSinceProcessStart();
    const bool filled = !session.engine().sheet().rows().empty();
    std::printf("startup_s %.3f\nsheet_rows %zu\n", startUp, session.engine().sheet().rows().size());
    // What the start-up left settles first (the first paint, the matrix's last frames).
    runEventsFor(1000);
    std::printf("rss_mib %.1f\n", residentMebibytes());
    if (idleSeconds > 0) {
        const double before = cpuSeconds();
        runEventsFor(idleSeconds * 1000);
        std::printf("idle_cpu_percent %.2f\n", 100.0 * (cpuSeconds() - before) / idleSeconds);
    }
    std::fflush(stdout);
    session.mainWindow().close();
    return filled ? 0 : 1;
}

} // namespace
} // namespace rl4

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "demo";
    const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 10;
    if ((mode != "demo" && mode != "no-ports") || idleSeconds < 0) {
        std::fprintf(stderr, "usage: rl4_window_bench demo|no-ports [IDLE_SECONDS]\n");
        return 64;
    }
    rl4::blockTerminationSignals();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("ROUTELANE4_MATRIXSIM"))
        qputenv("ROUTELANE4_MATRIXSIM", RL4_MATRIXSIM);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    return rl4::run(mode == "no-ports", idleSeconds);
}

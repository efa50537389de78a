// The window program's session (main window, main loop, everything routelane4 runs) against matrixsim on a
// pseudo-terminal: the matrix is unplugged, then plugged in again, and the on-line indicator watched as the
// operator would. Prints how long it took to read "OFF LINE", the processor time the program used while off
// line, how long it took to read "ON LINE" again, and the switch instructions the matrix received on the way
// back. scripts/unplug-check runs it; exit status 0 when every figure is within its bound. A second argument
// names a PNG file for the main window as it stands off line.

#include "gui/gui_session.h"
#include "gui/main_window.h"
#include "gui/qt_prompt.h"
#include "support/engine_rig.h"
#include "support/sim_process.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPixmap>
#include <QStatusBar>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <sys/resource.h>

namespace rl4::test {
namespace {

constexpr int kOffLineBoundMillis = 1000;
// The idle main loop wakes every 20 ms; a program that spun on the dead line would use the whole core.
constexpr double kIdleCpuShare = 0.05;

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

Lines logLines(const std::string& log) {
    Lines lines;
    std::istringstream in(fileBytes(log));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

int switchFrames(const Lines& lines, std::size_t from) {
    int count = 0;
    for (std::size_t i = from; i < lines.size(); ++i)
        for (const char* letter : {"56", "41", "52", "59"})
            if (lines[i].starts_with(std::string("RX 02 ") + letter))
                ++count;
    return count;
}

// Milliseconds until the indicator reads `caption` (the event loop running meanwhile), or -1.
long untilIndicator(const QLabel& indicator, const char* caption, int limitMillis) {
    QElapsedTimer timer;
    timer.start();
    if (!QTest::qWaitFor([&] { return indicator.text() == caption; }, limitMillis))
        return -1;
    return static_cast<long>(timer.elapsed());
}

int run(int offLineSeconds, const std::string& shotPath) {
    TempFolder folder;
    const std::string pty = folder.path("matrix");
    const std::string log = folder.path("matrix.log");
    SimProcess matrix({"--pty", pty, "--log", log});
    if (!matrix.waitReady()) {
        std::printf("matrixsim did not start\n");
        return 2;
    }
    writeCrLf(folder.path("routelane4.set"), settingsLines(folder.folder(), 5, 1));
    writeCrLf(folder.path("routelane4.agn"), sampleAssignmentLines());
    Lines ports;
    for (int n = 1; n <= 8; ++n)
        ports.push_back(std::to_string(n) + "=" + (n == 1 ? pty : folder.path("absent")));
    writeCrLf(folder.path("routelane4.ports"), ports);

    QtPrompt prompt;
    GuiSession session(folder.folder(), prompt);
    session.start();
    const auto* indicator = session.mainWindow().findChild<QLabel*>("lblonline");
    if (indicator == nullptr || !QTest::qWaitFor([&] { return session.startedUp(); }, 30000) ||
        !QTest::qWaitFor([&] { return indicator->text() == "ON LINE"; }, 5000)) {
        std::printf("the program did not come on line at start\n");
        return 2;
    }

    matrix.writeLine("unplug");
    matrix.readLine();
    const long toOffLine = untilIndicator(*indicator, "OFF LINE", 5000);
    // Off line, before the first retry is due.
    const double cpuBefore = cpuSeconds();
    QElapsedTimer idle;
    idle.start();
    QTest::qWait(offLineSeconds * 1000);
    const double idleSeconds = static_cast<double>(idle.elapsed()) / 1000.0;
    const double cpuUsed = cpuSeconds() - cpuBefore;
    const std::string status = session.mainWindow().statusBar()->currentMessage().toStdString();
    if (!shotPath.empty())
        session.mainWindow().grab().save(QString::fromStdString(shotPath));

    const std::size_t logBefore = logLines(log).size();
    matrix.writeLine("replug");
    matrix.waitReady();
    const long retryMillis = Link::kLineRetryMicros / 1000;
    const long toOnLine = untilIndicator(*indicator, "ON LINE", static_cast<int>(retryMillis) + 10000);
    // The reading of the current destination's VCA level ends the way back, after the status reading: the
    // switches, had there been any, would have come before it.
    const bool wayBackEnded = QTest::qWaitFor(
        [&] {
            const Lines lines = logLines(log);
            return std::any_of(lines.begin() + static_cast<std::ptrdiff_t>(std::min(logBefore, lines.size())),
                               lines.end(),
                               [](const std::string& line) { return line.starts_with("RX 02 6E"); });
        },
        10000);
    const Lines after = logLines(log);
    const int switches = switchFrames(after, logBefore);

    matrix.writeLine("quit");
    matrix.wait();
    std::printf("status bar while off line: %s\n", status.c_str());
    std::printf("OFF LINE %ld ms after unplug (bound %d ms)\n", toOffLine, kOffLineBoundMillis);
    std::printf("processor time while off line: %.3f s over %.1f s (%.2f%%)\n", cpuUsed, idleSeconds,
                100.0 * cpuUsed / idleSeconds);
    std::printf("ON LINE %ld ms after replug (retry interval %ld ms plus the identity and on-line request)\n",
                toOnLine, retryMillis);
    std::printf("frames the matrix received after replug: %zu, switch frames among them: %d%s\n",
                after.size() - logBefore, switches, wayBackEnded ? "" : " (the way back did not end)");
    const bool good = toOffLine >= 0 && toOffLine <= kOffLineBoundMillis &&
                      cpuUsed < kIdleCpuShare * idleSeconds && toOnLine >= 0 && wayBackEnded && switches == 0;
    std::printf("%s\n", good ? "unplug-check: good" : "unplug-check: FAILED");
    return good ? 0 : 1;
}

} // namespace
} // namespace rl4::test

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 2;
    return rl4::test::run(seconds > 0 ? seconds : 2, argc > 2 ? argv[2] : "");
}

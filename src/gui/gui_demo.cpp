#include "gui/gui_demo.h"

#include "assign/assignment_file.h"
#include "gui/gui_signals.h"
#include "platform/mapped_port_opener.h"
#include "platform/system_clock.h"
#include "platform/text_file.h"
#include "sheet/settings.h"
#include "text/prompt.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <array>

namespace rl4 {

namespace {

constexpr const char* kSimulatorVariable = "ROUTELANE4_MATRIXSIM";
constexpr const char* kMatrixLink = "matrix";
constexpr const char* kMatrixLog = "matrix.log";
constexpr int kDemoStartMillis = 5000;
constexpr int kStopMillis = 2000;

// The demo window opens large enough for every column and the VCA panel (twips).
constexpr std::int16_t kDemoWidth = 15000;
constexpr std::int16_t kDemoHeight = 9000;

struct DemoSource {
    const char* name;
    std::array<int, 4> inputs; // Video, Audio, RGB, YC
};

struct DemoDestination {
    const char* name;
    std::array<int, 4> outputs;
};

constexpr int kNone = NotAssigned;

// Cameras, players and monitors on all four layers of the simulator's default sizes.
constexpr std::array kSources{
    DemoSource{"Camera 1", {1, 1, kNone, 1}}, DemoSource{"Camera 2", {2, 2, kNone, 2}},
    DemoSource{"Camera 3", {3, 3, kNone, 3}}, DemoSource{"Player A", {4, 4, 1, kNone}},
    DemoSource{"Player B", {5, 5, 2, kNone}}, DemoSource{"Graphics", {6, kNone, 3, 4}},
};
constexpr std::array kDestinations{
    DemoDestination{"Monitor 1", {1, 1, kNone, 1}},    DemoDestination{"Monitor 2", {2, 2, kNone, 2}},
    DemoDestination{"Recorder", {3, 3, kNone, kNone}}, DemoDestination{"Projector", {4, kNone, 1, 3}},
    DemoDestination{"Studio out", {5, 5, 2, 4}},
};

// What the matrix routes when the demo starts, as its front panel would have set it: layer, output, input.
constexpr std::array kCrosspoints{
    "panel V 1 1", "panel A 1 1", "panel Y 1 1", "panel V 2 2", "panel A 2 4", "panel Y 2 2", "panel V 3 4",
    "panel A 3 4", "panel V 4 6", "panel R 1 3", "panel Y 3 4", "panel V 5 5", "panel A 5 5", "panel R 2 2",
};

bool executable(const QString& path) {
    const QFileInfo file(path);
    return file.isFile() && file.isExecutable();
}

int logLineCount(const QString& path) {
    QFile log(path);
    if (!log.open(QIODevice::ReadOnly))
        return 0;
    return static_cast<int>(log.readAll().count('\n'));
}

} // namespace

std::string DemoMatrix::findMatrixSimulator(const std::string& executablePath) {
    const QString chosen = qEnvironmentVariable(kSimulatorVariable);
    if (!chosen.isEmpty())
        return executable(chosen) ? chosen.toStdString() : std::string();
    const QDir beside = QFileInfo(QString::fromStdString(executablePath)).absoluteDir();
    for (const QString& candidate : {beside.filePath("matrixsim"), beside.filePath("../sim/matrixsim")}) {
        if (executable(candidate))
            return QDir::cleanPath(candidate).toStdString();
    }
    // A program copied or linked elsewhere still finds the installed matrix.
    return QStandardPaths::findExecutable("matrixsim").toStdString();
}

std::unique_ptr<DemoMatrix> DemoMatrix::start(const std::string& executablePath, int language,
                                              std::string& error) {
    const std::string simulator = findMatrixSimulator(executablePath);
    if (simulator.empty()) {
        error = "cannot find matrixsim beside the program or on PATH; set " + std::string(kSimulatorVariable);
        return nullptr;
    }
    std::unique_ptr<DemoMatrix> demo(new DemoMatrix);
    if (!demo->dir_.isValid()) {
        error = "cannot make a temporary folder: " + demo->dir_.errorString().toStdString();
        return nullptr;
    }
    demo->folder_ = demo->dir_.path().toStdString();
    error = demo->startSimulator(simulator);
    if (error.empty())
        error = demo->makeCrosspoints();
    if (error.empty())
        error = demo->writeFiles(language);
    return error.empty() ? std::move(demo) : nullptr;
}

DemoMatrix::~DemoMatrix() {
    if (simulator_.state() == QProcess::NotRunning)
        return;
    simulator_.terminate();
    if (!simulator_.waitForFinished(kStopMillis))
        simulator_.kill();
    simulator_.waitForFinished(kStopMillis);
}

std::string DemoMatrix::startSimulator(const std::string& simulator) {
    const QDir folder(dir_.path());
    // The program keeps SIGINT and SIGTERM for its event loop; the simulator must get them as usual.
    simulator_.setChildProcessModifier([] { unblockTerminationSignals(); });
    simulator_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    simulator_.start(QString::fromStdString(simulator),
                     {"--pty", folder.filePath(kMatrixLink), "--log", folder.filePath(kMatrixLog)});
    const QDeadlineTimer deadline(kDemoStartMillis);
    while (!deadline.hasExpired()) {
        while (simulator_.canReadLine()) {
            if (simulator_.readLine().trimmed() == "ready")
                return "";
        }
        if (!simulator_.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            break;
    }
    return "matrixsim did not start: " + simulator_.errorString().toStdString();
}

// The crosspoints go in before the program opens the port, which drops the frames that announce them;
// the program then finds them in the matrix's status.
std::string DemoMatrix::makeCrosspoints() {
    const QString log = QDir(dir_.path()).filePath(kMatrixLog);
    const int before = logLineCount(log);
    for (const char* line : kCrosspoints)
        simulator_.write(QByteArray(line) + '\n');
    simulator_.waitForBytesWritten(kDemoStartMillis);
    const int expected = before + static_cast<int>(kCrosspoints.size());
    const QDeadlineTimer deadline(kDemoStartMillis);
    while (logLineCount(log) < expected) {
        if (deadline.hasExpired())
            return "matrixsim did not take the demo's crosspoints";
        QThread::msleep(10);
    }
    return "";
}

std::string DemoMatrix::writeFiles(int language) {
    const std::string matrix = QDir(dir_.path()).filePath(kMatrixLink).toStdString();
    const std::string failure = writeTextLines(folder_ + "/" + PortMap::kFileName,
                                               {"# the software matrix of the demo", "1=" + matrix});
    if (!failure.empty())
        return "cannot write the port map: " + failure;

    SilentPrompt prompt;
    MessageTable messages;
    messages.setLanguage(language);
    auto assignments = std::make_unique<Assignments>();
    assignments->setFixedSpecialNames();
    AssignmentTable& table = assignments->activeTable;
    table.sourceCount = static_cast<int>(kSources.size());
    table.destinationCount = static_cast<int>(kDestinations.size());
    for (std::size_t i = 0; i < kSources.size(); ++i) {
        Source& source = table.sources[i + 1];
        source.name = kSources[i].name;
        for (Layer layer : kLayers)
            source.input(layer) = kSources[i].inputs[static_cast<std::size_t>(layerIndex(layer))];
    }
    for (std::size_t i = 0; i < kDestinations.size(); ++i) {
        Destination& destination = table.destinations[i + 1];
        destination.name = kDestinations[i].name;
        destination.Shw = -1;
        for (Layer layer : kLayers)
            destination.output(layer) = kDestinations[i].outputs[static_cast<std::size_t>(layerIndex(layer))];
    }
    Settings settings = startSettings(folder_);
    assignments->activeFileName = settings.assignmentPath;
    if (!WriteAssignmentFile(*assignments, messages, prompt))
        return "cannot write the demo's assignment: " + prompt.lastMessage;

    settings.language = language;
    settings.mainWidth = kDemoWidth;
    settings.mainHeight = kDemoHeight;
    SystemClock clock;
    MappedPortOpener noPorts{PortMap()};
    Link link(clock, noPorts);
    link.setPortNumber(1);
    link.setProtocolLength(5);
    const std::string settingsFailure = WriteSettings(settingsFilePath(folder_), settings, link);
    return settingsFailure.empty() ? "" : "cannot write the demo's settings: " + settingsFailure;
}

} // namespace rl4

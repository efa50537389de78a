// protocol_screenshots: pictures of the protocol tool on the software matrix, drawn offscreen, for the
// documentation and for a look at the layout without a desktop: the window with an answer in hexadecimal,
// the same in decimal, and the port choice box; then the window and the port choice box in French.

#include "platform/port_map.h"
#include "platform/system_clock.h"
#include "platform/text_file.h"
#include "tester/protocol_tool.h"
#include "tester/qt_language.h"
#include "tester/qt_tool_prompt.h"
#include "tester/tool_port.h"
#include "tester/tool_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <iostream>

namespace rl4::tester {
namespace {

constexpr const char* kProgram = "protocol_screenshots";
constexpr int kWaitMillis = 5000;

bool save(QWidget* widget, const QString& folder, const char* name) {
    const QString path = QDir(folder).filePath(QString(name) + ".png");
    const bool saved = widget->grab().save(path);
    std::cout << (saved ? "wrote " : "cannot write ") << path.toStdString() << '\n';
    return saved;
}

// Lets the window's loop run until `done` holds, or the time is up.
template <typename Condition>
bool waitFor(const ProtocolTool& tool, Condition done) {
    const QDeadlineTimer deadline(kWaitMillis);
    while (!done() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    if (done())
        return true;
    std::cerr << kProgram << ": no answer came; the last reads";
    for (const std::string& label : tool.replyLabels())
        std::cerr << " [" << label << "]";
    std::cerr << '\n';
    return false;
}

bool answerShown(const ProtocolTool& tool) {
    return tool.replyLabels()[0] != " " && !tool.replyLabels()[0].empty();
}

// The five bytes of one answer, as the window shows them after the last read.
bool wholeAnswer(const ProtocolTool& tool, const std::string& stx, const std::string& mode,
                 const std::string& etx) {
    const auto& labels = tool.replyLabels();
    return labels[0] == stx && labels[1] == mode && labels[4] == etx;
}

// On a busy machine an answer may come in two reads, which the window shows as two answers: the picture
// would show the second half. The message is then sent once more.
template <typename Condition>
bool sentAndAnswered(QWidget& window, const ProtocolTool& tool, Condition done) {
    constexpr int kAttempts = 3;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (attempt > 0)
            window.findChild<QPushButton*>("cmdsend")->click();
        if (waitFor(tool, done))
            return true;
    }
    return false;
}

// The pictures of one language: English for the window in hexadecimal and decimal, French for the window.
struct Shots {
    Language language;
    const char* window;
    const char* decimal; // nullptr: none
    const char* portChoice;
};

int shoot(const QString& output, const Shots& shots) {
    const QtLanguage qtLanguage(shots.language);
    QTemporaryDir folder;
    const QString pty = folder.filePath("matrix");
    QProcess matrix;
    matrix.start(RL4_MATRIXSIM, {"--pty", pty});
    bool ready = false;
    while (!ready && matrix.waitForReadyRead(kWaitMillis)) {
        while (matrix.canReadLine())
            ready = ready || matrix.readLine().startsWith("ready");
    }
    if (!ready) {
        std::cerr << kProgram
                  << ": the software matrix did not start: " << matrix.readAllStandardError().toStdString()
                  << "\n";
        return 1;
    }
    const std::string data = folder.path().toStdString();
    writeTextLines(data + "/" + kPortMapFile, {"2=" + pty.toStdString()});

    ToolPortOpener opener(PortMap::load(data, kPortMapFile));
    SystemClock clock;
    QtToolPrompt prompt;
    ProtocolTool tool(data, opener, clock, prompt, shots.language);
    tool.ReadToolSettings();
    ToolWindow window(tool);
    prompt.setParent(&window);
    window.show();
    tool.OpenPort();
    window.startLoop();
    bool ok = waitFor(tool, [&tool] { return answerShown(tool); });

    // Input 3 to output 1, sent as the value changes.
    window.findChild<QCheckBox*>("chksend")->click();
    emit window.findChild<QComboBox*>("cbinput")->activated(3);
    ok = sentAndAnswered(window, tool, [&tool] { return wholeAnswer(tool, "02h", "56h", "03h"); }) &&
         save(&window, output, shots.window) && ok;

    if (shots.decimal) {
        window.findChild<QRadioButton*>("optdec")->click();
        window.findChild<QPushButton*>("cmdsend")->click();
        ok = sentAndAnswered(window, tool, [&tool] { return wholeAnswer(tool, "2", "86", "3"); }) &&
             save(&window, output, shots.decimal) && ok;
    }

    bool boxSaved = false;
    QTimer::singleShot(200, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            boxSaved = save(box, output, shots.portChoice);
            // Cancel, the last button, whatever its language.
            box->findChildren<QPushButton*>().back()->click();
        }
    });
    window.findChild<QPushButton*>("cmdport")->click();
    window.close();
    matrix.kill();
    matrix.waitForFinished();
    return ok && boxSaved ? 0 : 1;
}

} // namespace
} // namespace rl4::tester

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::cerr << "Usage: " << rl4::tester::kProgram << " OUTPUT_FOLDER\n";
        return 64;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::cerr << rl4::tester::kProgram << ": cannot make " << argv[1] << '\n';
        return 66;
    }
    using rl4::tester::Language;
    const int english = rl4::tester::shoot(
        folder, {Language::English, "protocol_hex", "protocol_decimal", "protocol_port_choice"});
    const int french = rl4::tester::shoot(
        folder, {Language::French, "protocol_french", nullptr, "protocol_french_port_choice"});
    return english != 0 ? english : french;
}

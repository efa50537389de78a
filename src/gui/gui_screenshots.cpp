#include "gui/debug_window.h"
#include "gui/gui_demo.h"
#include "gui/gui_editor_factory.h"
#include "gui/gui_program.h"
#include "gui/gui_session.h"
#include "gui/gui_signals.h"
#include "gui/gui_tool_window_factories.h"
#include "gui/gui_upload_shots.h"
#include "gui/main_window.h"
#include "gui/script_prompt.h"
#include "platform/program_folder.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <iostream>

namespace rl4 {
namespace {

constexpr const char* kScreenshotsProgram = "routelane4_screenshots";
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 800;
// Long enough for a few passes of the main loop after the resize.
constexpr int kSettleMillis = 200;
constexpr int kStartMillis = 20000;

void waitFor(GuiSession& session, int millis) {
    QEventLoop loop;
    QTimer::singleShot(millis, &loop, &QEventLoop::quit);
    QObject::connect(&session, &GuiSession::ready, &loop, &QEventLoop::quit);
    loop.exec();
}

bool shoot(const QString& outputFolder, int language, const char* suffix) {
    std::string error;
    const std::unique_ptr<DemoMatrix> demo = DemoMatrix::start(executablePath(), language, error);
    if (!demo) {
        std::cerr << kScreenshotsProgram << ": " << error << '\n';
        return false;
    }
    // Nobody is there to answer: a question the pictures do not plan for is reported, not waited on.
    ScriptPrompt prompt;
    GuiSession session(demo->folder(), prompt);
    session.start();
    waitFor(session, kStartMillis);
    if (!session.startedUp()) {
        std::cerr << kScreenshotsProgram << ": the program did not start up\n";
        return false;
    }
    MainWindow& window = session.mainWindow();
    window.resize(kScreenWidth, kScreenHeight);
    waitFor(session, kSettleMillis);
    const QString path = QDir(outputFolder).filePath(QString("main_window_%1.png").arg(suffix));
    const bool saved = window.grab().save(path);
    std::cout << (saved ? "wrote " : "cannot write ") << path.toStdString() << '\n';
    const bool editor =
        saveEditorScreenshots(outputFolder, suffix, session.commands(), session.toolWindows());
    const bool tools =
        saveToolWindowScreenshots(outputFolder, suffix, session.commands(), session.toolWindows());
    const bool debug = saveDebugWindowScreenshot(outputFolder, suffix, session.commands(),
                                                 session.toolWindows(), session.engine());
    const bool upload = saveUploadScreenshots(outputFolder, suffix, session, prompt);
    window.close();
    return saved && editor && tools && debug && upload && prompt.unscriptedQuestions() == 0;
}

} // namespace

int runScreenshots(int argc, char** argv) {
    blockTerminationSignals();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc != 2) {
        std::cerr << "Usage: " << kScreenshotsProgram << " OUTPUT_FOLDER\n";
        return 64;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::cerr << kScreenshotsProgram << ": cannot make " << argv[1] << '\n';
        return 66;
    }
    const bool english = shoot(folder, kLanguageEnglish, "en");
    const bool french = shoot(folder, kLanguageFrench, "fr");
    return english && french ? 0 : 1;
}

} // namespace rl4

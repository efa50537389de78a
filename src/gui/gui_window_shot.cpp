#include "gui/gui_window_shot.h"

#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <iostream>

namespace rl4 {

namespace {

// Long enough for the windows to lay themselves out and paint.
constexpr int kShotSettleMillis = 100;

void settle() {
    QEventLoop loop;
    QTimer::singleShot(kShotSettleMillis, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

bool saveWindow(QWidget* window, const QString& folder, const QString& name, const QString& suffix) {
    if (window == nullptr || !window->isVisible()) {
        std::cerr << "the window for " << name.toStdString() << " did not open\n";
        return false;
    }
    settle();
    const QString path = QDir(folder).filePath(QString("%1_%2.png").arg(name, suffix));
    const bool saved = window->grab().save(path);
    std::cout << (saved ? "wrote " : "cannot write ") << path.toStdString() << '\n';
    return saved;
}

} // namespace rl4

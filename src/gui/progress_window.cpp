#include "gui/progress_window.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace rl4 {

namespace {

constexpr const char* kCaption = "Port reading";
constexpr const char* kSearching = "Searching matrix...";
constexpr int kFirstPort = 1;
constexpr int kLastPort = 8;
// The status reading sets the bar to the output being read; it never asks beyond this one.
constexpr int kLastOutputRead = 129;
constexpr int kWidth = 320;

} // namespace

ProgressWindow::ProgressWindow(QWidget* parent)
    : QDialog(parent), lbllecture_(new QLabel(this)), prolecture_(new QProgressBar(this)) {
    setObjectName("frmlecture");
    setWindowTitle(kCaption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    lbllecture_->setObjectName("lbllecture");
    prolecture_->setObjectName("prolecture");
    prolecture_->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbllecture_);
    layout->addWidget(prolecture_);
    setMinimumWidth(kWidth);
}

void ProgressWindow::begin(const QString& label, int minimum, int maximum) {
    if (depth_++ == 0)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    lbllecture_->setText(label);
    prolecture_->setRange(minimum, maximum);
    prolecture_->setValue(minimum);
    show();
    raise();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// The engine holds the event loop until it is done: let the windows paint what changed, and nothing else.
void ProgressWindow::step(int value) {
    prolecture_->setValue(value);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProgressWindow::end() {
    hide();
    if (depth_ > 0 && --depth_ == 0)
        QApplication::restoreOverrideCursor();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProgressWindow::portSearchStarted() {
    begin(kSearching, kFirstPort, kLastPort);
}

void ProgressWindow::portSearchProgress(int port) {
    step(port);
}

void ProgressWindow::portSearchFinished() {
    end();
}

void ProgressWindow::statusReadingStarted() {
    begin("", 0, kLastOutputRead);
}

void ProgressWindow::statusReadingProgress(const std::string& layerText, int output) {
    lbllecture_->setText(QString::fromStdString(layerText));
    step(output);
}

void ProgressWindow::statusReadingFinished() {
    end();
}

} // namespace rl4

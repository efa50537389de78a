#include "gui/eeprom_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QScrollBar>
#include <QVBoxLayout>

namespace rl4 {

namespace {

constexpr int kListLines = 14;

QString uploadCaption(int language) {
    return language == kLanguageFrench ? "Téléchargement vers l'EEPROM" : "Upload EEPROM";
}

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

// An empty range would make the bar a busy indicator, which says nothing of how far the run is.
void setBar(QProgressBar* bar, int minimum, int maximum, int value) {
    bar->setRange(minimum, std::max(maximum, minimum + 1));
    bar->setValue(std::clamp(value, bar->minimum(), bar->maximum()));
}

} // namespace

EepromWindow::EepromWindow(Engine& engine, QWidget* parent)
    : QWidget(parent, Qt::Window), engine_(engine), lblloadeeprom_(new QLabel(this)),
      proeeprom_(new QProgressBar(this)), pourcenteeprom_(new QLabel(this)), lblproeeprom_(new QLabel(this)),
      lblprotexte_(new QLabel(this)), protexte_(new QProgressBar(this)),
      lbloadeeprom_(new QListWidget(this)) {
    setObjectName("frmloadeeprom");
    lblloadeeprom_->setObjectName("lblloadeeprom");
    proeeprom_->setObjectName("proeeprom");
    pourcenteeprom_->setObjectName("pourcenteeprom");
    lblproeeprom_->setObjectName("lblproeeprom");
    lblprotexte_->setObjectName("lblprotexte");
    protexte_->setObjectName("protexte");
    lbloadeeprom_->setObjectName("lbloadeeprom");

    QFont bold = lblloadeeprom_->font();
    bold.setBold(true);
    lblloadeeprom_->setFont(bold);
    for (QProgressBar* bar : {proeeprom_, protexte_})
        bar->setTextVisible(false);
    // The bar keeps its length while the percentage grows to its widest.
    pourcenteeprom_->setMinimumWidth(
        pourcenteeprom_->fontMetrics().horizontalAdvance("100% EEprom written "));
    // The entries are columns of hexadecimal bytes under a header: they line up only in a fixed font.
    lbloadeeprom_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    lbloadeeprom_->setSelectionMode(QAbstractItemView::NoSelection);
    // Wide enough for a table line, the longest entry: the bytes are what the list is read for.
    const QFontMetrics list(lbloadeeprom_->font());
    lbloadeeprom_->setMinimumSize(list.horizontalAdvance(QString(EepromDump::kLongestEntry, '0')) +
                                      lbloadeeprom_->verticalScrollBar()->sizeHint().width() +
                                      2 * lbloadeeprom_->frameWidth() + list.averageCharWidth(),
                                  list.lineSpacing() * kListLines);

    auto* bars = new QGridLayout;
    bars->addWidget(proeeprom_, 0, 0);
    bars->addWidget(pourcenteeprom_, 0, 1);
    bars->setColumnStretch(0, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblloadeeprom_);
    layout->addLayout(bars);
    layout->addWidget(lblproeeprom_);
    layout->addWidget(lblprotexte_);
    layout->addWidget(protexte_);
    layout->addWidget(lbloadeeprom_, 1);
    redraw();
}

void EepromWindow::eepromWindowShown() {
    redraw();
    show();
    raise();
    activateWindow();
}

// The upload holds the event loop until its end report: the windows paint what changed and the window
// system is served between two messages, while the operator's input is dropped (see eventFilter).
void EepromWindow::eepromWindowChanged() {
    redraw();
    QCoreApplication::processEvents();
}

void EepromWindow::eepromUploadRunning(bool running) {
    if (running == running_)
        return;
    running_ = running;
    if (running) {
        qApp->installEventFilter(this);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
        qApp->removeEventFilter(this);
    }
}

// Input held back until the end of the run would only then start what the operator clicked meanwhile, a
// second upload among others: it is dropped instead. A question of the run itself (the warning about
// touches) takes its answer as usual; the window system keeps other windows away from it.
bool EepromWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
        return QApplication::activeModalWidget() == nullptr;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

// There is no cancel: a half-written EEPROM would leave the matrix's own panel with a broken table.
void EepromWindow::closeEvent(QCloseEvent* event) {
    if (engine_.busy()) {
        event->ignore();
        return;
    }
    engine_.eeprom().frmloadeeprom_Close();
    event->accept();
}

void EepromWindow::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel))
        close();
    else
        QWidget::keyPressEvent(event);
}

void EepromWindow::redraw() {
    const EepromWindowState& state = engine_.eeprom().window();
    setWindowTitle(uploadCaption(engine_.messages().language()));
    lblloadeeprom_->setText(qt(state.lblloadeeprom));
    setBar(proeeprom_, 0, state.proeepromMax, state.proeeprom);
    pourcenteeprom_->setText(qt(state.pourcenteeprom));
    lblproeeprom_->setText(qt(state.lblproeeprom));
    lblprotexte_->setText(qt(state.lblprotexte));
    setBar(protexte_, state.protexteMin, state.protexteMax, state.protexte);
    redrawList();
}

// Entries only ever come at the end of the list, one per line written; a shorter list is a new run's.
void EepromWindow::redrawList() {
    const std::vector<std::string>& entries = engine_.eeprom().lbloadeeprom();
    const auto shown = static_cast<std::size_t>(lbloadeeprom_->count());
    if (entries.size() == shown)
        return;
    if (entries.size() < shown)
        lbloadeeprom_->clear();
    for (auto i = static_cast<std::size_t>(lbloadeeprom_->count()); i < entries.size(); ++i)
        lbloadeeprom_->addItem(qt(entries[i]));
    lbloadeeprom_->scrollToBottom();
}

} // namespace rl4

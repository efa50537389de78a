#include "gui/history_window.h"

#include "gui/gui_twips.h"
#include "gui/gui_window_place.h"
#include "gui/qt_values.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace rl4 {

namespace {

// Tall enough for a good part of the 99 rows the list can hold.
constexpr int kVisibleRows = 20;
// The widest text of the narrowest column for its content: a frame in the "Sent" column.
constexpr const char* kWidestFrame = "00.00.00.00.00";
constexpr double kSmallestPoints = 6.5;
constexpr double kPointStep = 0.5;

QString clearCaption(int language) {
    return language == kLanguageFrench ? "Effacer" : "Clear";
}

// The column widths were laid out for a small font: the list takes the largest size, up to the desktop's,
// in which a frame's text fits its column whole.
QFont fittingFont(QFont font, int columnPixels, int cellMargins) {
    while (font.pointSizeF() > kSmallestPoints &&
           QFontMetrics(font).horizontalAdvance(kWidestFrame) + cellMargins > columnPixels)
        font.setPointSizeF(font.pointSizeF() - kPointStep);
    return font;
}

QTreeWidgetItem* makeItem(const HistoryLine& line) {
    auto* item = new QTreeWidgetItem;
    const QBrush background(qtColour(line.background));
    const QBrush text(qtColour(line.text));
    for (std::size_t column = 0; column < line.cells.size(); ++column) {
        const int c = static_cast<int>(column);
        item->setText(c, QString::fromStdString(line.cells[column]));
        item->setBackground(c, background);
        item->setForeground(c, text);
    }
    return item;
}

} // namespace

HistoryWindow::HistoryWindow(HistoryModel& model, MessageTable& messages, Prompt& prompt,
                             const QWidget* mainWindow)
    : model_(model), messages_(messages), prompt_(prompt), mainWindow_(mainWindow),
      lvhisto_(new QTreeWidget(this)), cmdclrhisto_(new QPushButton(this)),
      cmdexporthisto_(new QPushButton(this)) {
    setObjectName("frmhisto");
    lvhisto_->setObjectName("lvhisto");
    lvhisto_->setRootIsDecorated(false);
    lvhisto_->setUniformRowHeights(true);
    lvhisto_->setAllColumnsShowFocus(true);
    lvhisto_->setSelectionMode(QAbstractItemView::NoSelection);
    lvhisto_->setFocusPolicy(Qt::NoFocus);
    lvhisto_->header()->setStretchLastSection(false);
    lvhisto_->header()->setSectionsMovable(false);
    cmdclrhisto_->setObjectName("cmdclrhisto");
    cmdexporthisto_->setObjectName("cmdexporthisto");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdexporthisto_);
    buttons->addWidget(cmdclrhisto_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lvhisto_, 1);
    layout->addLayout(buttons);

    connect(cmdclrhisto_, &QPushButton::clicked, this, [this] { model_.cmdclrhisto_Click(); });
    connect(cmdexporthisto_, &QPushButton::clicked, this, [this] { model_.cmdexporthisto_Click(prompt_); });
    redraw();
}

void HistoryWindow::historyRowAdded(const HistoryRow& row) {
    model_.AddHistoryRow(row);
}

void HistoryWindow::historyModelChanged() {
    redraw();
}

void HistoryWindow::redraw() {
    setWindowTitle(QString::fromStdString(model_.caption()));
    cmdclrhisto_->setText(clearCaption(messages_.language()));
    cmdexporthisto_->setText(QString::fromStdString(messages_.text(kCaptionHistoryExport)));
    drawColumns();
    drawRows();
    if (!model_.isOpen())
        hide();
}

void HistoryWindow::drawColumns() {
    const std::vector<HistoryColumn>& columns = model_.columns();
    QStringList headers;
    for (const HistoryColumn& column : columns)
        headers << QString::fromStdString(column.header);
    QStringList shown;
    for (int column = 0; column < lvhisto_->columnCount(); ++column)
        shown << lvhisto_->headerItem()->text(column);
    // The columns change only when the window opens: widths the operator set stay while rows come in.
    if (shown == headers)
        return;
    lvhisto_->setColumnCount(static_cast<int>(headers.size()));
    lvhisto_->setHeaderLabels(headers);
    if (!columns.empty()) {
        const int cellMargins =
            2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, lvhisto_) + 1);
        lvhisto_->setFont(
            fittingFont(font(), twipsToPixels(columns.front().widthTwips, logicalDpiX()), cellMargins));
    }
    int width = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const int pixels = twipsToPixels(columns[i].widthTwips, logicalDpiX());
        lvhisto_->setColumnWidth(static_cast<int>(i), pixels);
        width += pixels;
    }
    // Every column in view without a horizontal scroll bar.
    const int frame = 2 * lvhisto_->frameWidth() + lvhisto_->verticalScrollBar()->sizeHint().width();
    lvhisto_->setMinimumWidth(width + frame);
    lvhisto_->setMinimumHeight(lvhisto_->header()->sizeHint().height() +
                               kVisibleRows * lvhisto_->fontMetrics().height() + frame);
}

// The model holds at most 99 rows: drawing them all again is quick enough for every frame.
void HistoryWindow::drawRows() {
    lvhisto_->setUpdatesEnabled(false);
    lvhisto_->clear();
    QList<QTreeWidgetItem*> items;
    for (const HistoryLine& line : model_.rows())
        items << makeItem(line);
    lvhisto_->addTopLevelItems(items);
    lvhisto_->setUpdatesEnabled(true);
}

QPoint HistoryWindow::placePixels() const {
    return {twipsToPixels(model_.place().left, logicalDpiX()),
            twipsToPixels(model_.place().top, logicalDpiY())};
}

// Without a place of its own in sight, the window opens at one the program chooses, and keeps it.
void HistoryWindow::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        const WindowPlace place = toolWindowPlace(*this, model_.place(), mainWindow_);
        if (place != model_.place())
            model_.frmhisto_Placed(place);
        move(placePixels());
    }
    QWidget::showEvent(event);
}

// Pixels and twips do not map one to one: only a move away from the kept place is the operator's, so that
// a window put back where it was does not count as moved.
void HistoryWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (isVisible() && pos() != placePixels())
        model_.frmhisto_Move({pixelsToTwips(x(), logicalDpiX()), pixelsToTwips(y(), logicalDpiY())});
}

void HistoryWindow::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel))
        close();
    else
        QWidget::keyPressEvent(event);
}

// Closing discards the rows: the model is told, and hides the window with its notice.
void HistoryWindow::closeEvent(QCloseEvent* event) {
    if (model_.isOpen())
        model_.frmhisto_Close();
    event->accept();
}

} // namespace rl4

#include "gui/sheet_view.h"

#include "gui/gui_twips.h"
#include "gui/qt_values.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QStyle>

namespace rl4 {

namespace {

// The sheet's fixed measures, which its height rule counts on.
constexpr int kRowPixels = 17;
constexpr int kHeaderPixels = 21;

// Virtual key codes of the arrows, as the sheet's key handling numbers them.
constexpr int kKeyLeft = 37;
constexpr int kKeyUp = 38;
constexpr int kKeyRight = 39;
constexpr int kKeyDown = 40;

int sheetKeyCode(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Left:
        return kKeyLeft;
    case Qt::Key_Up:
        return kKeyUp;
    case Qt::Key_Right:
        return kKeyRight;
    case Qt::Key_Down:
        return kKeyDown;
    default:
        break;
    }
    // Letters and digits have their upper-case character as code; other keys mean nothing to the sheet.
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return qtKey;
    return 0;
}

} // namespace

SheetView::SheetView(SwitchingSheet& sheet, QWidget* parent) : QTableWidget(parent), sheet_(sheet) {
    setObjectName("lvcom");
    setFrameShape(QFrame::NoFrame);
    setShowGrid(false);
    setWordWrap(false);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(kRowPixels);
    horizontalHeader()->setFixedHeight(kHeaderPixels);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);

    QPalette colours = palette();
    colours.setColor(QPalette::Base, qtColour(kSheetBackground));
    setPalette(colours);

    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() != 0)
            return;
        sheet_.setRowChecked(item->row(), item->checkState() == Qt::Checked);
        sheet_.lvcom_Click();
    });
    connect(this, &QTableWidget::cellClicked, this, [this](int row, int) { emit rowChosen(row); });
    connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int, int previousRow, int) {
        if (row >= 0 && row != previousRow)
            emit rowChosen(row);
    });
    connect(this, &QTableWidget::cellDoubleClicked, this, [this] { emit rowDoubleClicked(); });
}

void SheetView::rebuildColumns() {
    const QSignalBlocker quiet(this);
    const std::vector<SheetColumn>& columns = sheet_.columns();
    setColumnCount(static_cast<int>(columns.size()));
    QStringList headers;
    for (const SheetColumn& column : columns)
        headers.append(QString::fromStdString(column.header));
    setHorizontalHeaderLabels(headers);
    for (int i = 0; i < columnCount(); ++i)
        setColumnWidth(i, twipsToPixels(columns[static_cast<std::size_t>(i)].widthTwips, logicalDpiX()));
    fitHeight();
}

void SheetView::refill() {
    const QSignalBlocker quiet(this);
    setRowCount(0);
    setRowCount(static_cast<int>(sheet_.rows().size()));
    for (int row = 0; row < rowCount(); ++row)
        drawRow(row);
    // Keyboard moves go on from the current destination's row.
    const int current = rowOfCurrentDestination();
    if (current >= 0)
        setCurrentCell(current, 0, QItemSelectionModel::NoUpdate);
    fitHeight();
}

void SheetView::fitHeight() {
    const bool tooWide = horizontalHeader()->length() > viewport()->width();
    const int bar = tooWide ? style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) : 0;
    setFixedHeight(sheet_.listHeightPixels() + bar);
}

void SheetView::resizeEvent(QResizeEvent* event) {
    QTableWidget::resizeEvent(event);
    fitHeight();
}

void SheetView::redrawRow(int destination) {
    const QSignalBlocker quiet(this);
    const std::vector<SheetRow>& rows = sheet_.rows();
    for (std::size_t i = 0; i < rows.size() && static_cast<int>(i) < rowCount(); ++i) {
        if (rows[i].destination == destination)
            drawRow(static_cast<int>(i));
    }
}

void SheetView::recolour() {
    const QSignalBlocker quiet(this);
    const std::vector<SheetRow>& rows = sheet_.rows();
    for (int row = 0; row < rowCount() && row < static_cast<int>(rows.size()); ++row) {
        const SheetRow& model = rows[static_cast<std::size_t>(row)];
        for (int column = 0; column < columnCount(); ++column) {
            if (QTableWidgetItem* cell = item(row, column)) {
                cell->setBackground(qtColour(model.background));
                cell->setForeground(qtColour(model.text));
            }
        }
    }
}

void SheetView::redrawChecks() {
    const QSignalBlocker quiet(this);
    const std::vector<SheetRow>& rows = sheet_.rows();
    for (int row = 0; row < rowCount() && row < static_cast<int>(rows.size()); ++row) {
        if (QTableWidgetItem* cell = item(row, 0))
            cell->setCheckState(rows[static_cast<std::size_t>(row)].checked ? Qt::Checked : Qt::Unchecked);
    }
}

void SheetView::drawRow(int row) {
    const SheetRow& model = sheet_.rows()[static_cast<std::size_t>(row)];
    for (int column = 0; column < columnCount(); ++column) {
        const auto index = static_cast<std::size_t>(column);
        auto* cell = new QTableWidgetItem(
            index < model.cells.size() ? QString::fromStdString(model.cells[index]) : QString());
        cell->setFlags(Qt::ItemIsEnabled);
        cell->setBackground(qtColour(model.background));
        cell->setForeground(qtColour(model.text));
        if (column == 0) {
            cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            cell->setCheckState(model.checked ? Qt::Checked : Qt::Unchecked);
        }
        setItem(row, column, cell);
    }
}

int SheetView::rowOfCurrentDestination() const {
    const std::vector<SheetRow>& rows = sheet_.rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].destination == sheet_.currentDestination())
            return static_cast<int>(i);
    }
    return -1;
}

void SheetView::keyPressEvent(QKeyEvent* event) {
    emit keyDown(sheetKeyCode(event->key()));
    const QString text = event->text();
    if (text.size() == 1 && text[0].unicode() > 0 && text[0].unicode() < 0x100)
        emit keyPress(text[0].unicode());
    // The arrows across the sheet and the typed characters are the switcher's: they neither move between
    // cells nor search the rows. The space still ticks the current row's box.
    const bool typed = text.size() == 1 && text[0].isPrint() && !text[0].isSpace();
    if (typed || event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)
        return;
    QTableWidget::keyPressEvent(event);
}

} // namespace rl4

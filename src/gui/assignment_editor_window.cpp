#include "gui/assignment_editor_window.h"

#include "gui/change_dialog.h"
#include "gui/gui_twips.h"
#include "gui/qt_values.h"
#include "gui/size_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace rl4 {

namespace {

constexpr int kToolbarButtons = 3;
constexpr QSize kEditorToolbarImageSize{20, 20};
constexpr QSize kStartSize{640, 560};
constexpr int kEditorMargin = 6;
// The number and the name read from the left; connectors and touches stand centred in their columns.
constexpr int kFirstCentredColumn = 2;
constexpr int kEditorRowPixels = 20;
constexpr int kDirectionPadding = 4;
constexpr int kSliderWidth = 170;
constexpr int kLevelTextWidth = 64;

// The window's own caption; everything else comes from the editor.
const char* levelCaption(int language) {
    return language == kLanguageFrench ? "Niveau d'entrée :" : "Input level:";
}
constexpr int kMenuTitleStep = 100;

// Shift states of a key event, as the editor's key handler numbers them (Ctrl is kShiftCtrl).
constexpr int kShiftShift = 1;
constexpr int kShiftAlt = 4;

// A menu entry id that has no help: the status bar clears.
constexpr int kNoEntry = 0;

// The key codes of the editor's key handler: Enter, Insert and Delete by their virtual key codes,
// letters and digits by their upper-case character; other keys mean nothing to it.
int editorKeyCode(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return kKeyEnter;
    case Qt::Key_Insert:
        return kKeyInsert;
    case Qt::Key_Delete:
        return kKeyDelete;
    default:
        break;
    }
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return qtKey;
    return 0;
}

int shiftState(Qt::KeyboardModifiers modifiers) {
    return (modifiers.testFlag(Qt::ShiftModifier) ? kShiftShift : 0) |
           (modifiers.testFlag(Qt::ControlModifier) ? kShiftCtrl : 0) |
           (modifiers.testFlag(Qt::AltModifier) ? kShiftAlt : 0);
}

bool movesBetweenRows(int qtKey) {
    return qtKey == Qt::Key_Up || qtKey == Qt::Key_Down || qtKey == Qt::Key_PageUp ||
           qtKey == Qt::Key_PageDown || qtKey == Qt::Key_Home || qtKey == Qt::Key_End;
}

// The toolbar's images: the list, save, quit. The desktop's icon theme when it has them, else the style's.
QIcon editorToolbarImage(int button) {
    struct Image {
        const char* themeName;
        QStyle::StandardPixmap fallback;
    };
    static constexpr Image kImages[kToolbarButtons] = {
        {"view-list-details", QStyle::SP_FileDialogDetailedView},
        {"document-save", QStyle::SP_DialogSaveButton},
        {"application-exit", QStyle::SP_DialogCloseButton},
    };
    const Image& chosen = kImages[button - 1];
    return QIcon::fromTheme(chosen.themeName, QApplication::style()->standardIcon(chosen.fallback));
}

// The editor colours the selected row; Qt's frame around the current cell would be a second, different
// mark.
class NoFocusFrame : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->state &= ~QStyle::State_HasFocus;
    }
};

Qt::Alignment columnAlignment(int column) {
    return column >= kFirstCentredColumn ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter;
}

// An ancillary control keeps its place while hidden, so that the list does not jump when it shows.
void keepPlaceWhenHidden(QWidget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

} // namespace

AssignmentEditorWindow::AssignmentEditorWindow(AssignmentEditor& editor, MessageTable& messages,
                                               std::unique_ptr<EditorListener> surroundings, QWidget* parent)
    : QMainWindow(parent), editor_(editor), messages_(messages), surroundings_(std::move(surroundings)),
      tbagn_(new QToolBar(this)), lbldirection_(new QLabel(this)), lvagn_(new QTableWidget(this)),
      lblaudiomonitor_(new QLabel(this)), levelCaption_(new QLabel(this)), lblvolagn_(new QLabel(this)),
      sliagn_(new QSlider(Qt::Horizontal, this)), cmdbal_(new QPushButton(this)) {
    setObjectName("frmagn");
    editor_.setListener(this);

    tbagn_->setObjectName("tbagn");
    tbagn_->setMovable(false);
    tbagn_->setIconSize(kEditorToolbarImageSize);
    addToolBar(tbagn_);
    buildToolbar();
    statusBar()->setObjectName("sbagn");

    lbldirection_->setObjectName("lbldirection");
    lbldirection_->setAlignment(Qt::AlignCenter);
    lbldirection_->setAutoFillBackground(true);
    lbldirection_->setMargin(kDirectionPadding);
    lbldirection_->setFrameShape(QFrame::StyledPanel);
    lbldirection_->setCursor(Qt::PointingHandCursor);
    QFont bold = lbldirection_->font();
    bold.setBold(true);
    lbldirection_->setFont(bold);
    lbldirection_->installEventFilter(this);

    lvagn_->setObjectName("lvagn");
    lvagn_->setColumnCount(kEditorColumns);
    lvagn_->setShowGrid(false);
    lvagn_->setWordWrap(false);
    lvagn_->setSelectionMode(QAbstractItemView::NoSelection);
    lvagn_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvagn_->verticalHeader()->hide();
    lvagn_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lvagn_->verticalHeader()->setDefaultSectionSize(kEditorRowPixels);
    lvagn_->horizontalHeader()->setSectionsClickable(true);
    lvagn_->horizontalHeader()->setHighlightSections(false);
    lvagn_->horizontalHeader()->setStretchLastSection(true);
    lvagn_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lvagn_->setItemDelegate(new NoFocusFrame(lvagn_));
    lvagn_->installEventFilter(this);
    lvagn_->viewport()->installEventFilter(this);

    lblaudiomonitor_->setObjectName("lblaudiomonitor");
    lblvolagn_->setObjectName("lblvolagn");
    lblvolagn_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblvolagn_->setMinimumWidth(kLevelTextWidth);
    sliagn_->setObjectName("sliagn");
    sliagn_->setRange(kGainMinimum, kGainMaximum);
    sliagn_->setTickPosition(QSlider::TicksBelow);
    sliagn_->setTickInterval(1);
    sliagn_->setPageStep(1);
    // A level goes to the matrix when the slider is let go, not at every step of a drag.
    sliagn_->setTracking(false);
    sliagn_->setFixedWidth(kSliderWidth);
    cmdbal_->setObjectName("cmdbal");
    for (QWidget* control :
         {static_cast<QWidget*>(lblaudiomonitor_), static_cast<QWidget*>(levelCaption_),
          static_cast<QWidget*>(lblvolagn_), static_cast<QWidget*>(sliagn_), static_cast<QWidget*>(cmdbal_)})
        keepPlaceWhenHidden(control);

    auto* levels = new QHBoxLayout;
    levels->addWidget(lblaudiomonitor_, 1);
    levels->addWidget(levelCaption_);
    levels->addWidget(lblvolagn_);
    levels->addWidget(sliagn_);
    levels->addWidget(cmdbal_);

    auto* centre = new QWidget(this);
    auto* column = new QVBoxLayout(centre);
    column->setContentsMargins(kEditorMargin, kEditorMargin, kEditorMargin, kEditorMargin);
    column->addWidget(lbldirection_);
    column->addWidget(lvagn_, 1);
    column->addLayout(levels);
    setCentralWidget(centre);
    resize(kStartSize);

    connect(lvagn_, &QTableWidget::cellClicked, this,
            [this](int row, int) { forward([this, row] { editor_.lvagn_ItemClick(row); }); });
    connect(lvagn_, &QTableWidget::cellDoubleClicked, this,
            [this] { forward([this] { editor_.lvagn_DblClick(); }); });
    connect(lvagn_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { forward([this, column] { editor_.lvagn_ColumnClick(column); }); });
    connect(sliagn_, &QSlider::valueChanged, this,
            [this](int value) { forward([this, value] { editor_.sliagn_Change(value); }); });
    connect(cmdbal_, &QPushButton::clicked, this, [this] { forward([this] { editor_.cmdbal_Click(); }); });
    connect(menuBar(), &QMenuBar::hovered, this, &AssignmentEditorWindow::showMenuHelp);

    if (editor_.isOpen())
        redraw();
}

AssignmentEditorWindow::~AssignmentEditorWindow() {
    editor_.setListener(nullptr);
}

// Every operator action ends in the editor; the window then draws what it made of it.
template <typename Call>
void AssignmentEditorWindow::forward(Call call) {
    call();
    redraw();
}

// Menus and toolbar ----------------------------------------------------------------------------------------

// The editor's entries as it lists them: a title (x00) opens a menu, the entries after it fill it.
void AssignmentEditorWindow::buildMenus() {
    builtMenu_ = editor_.menuEntries();
    menuBar()->clear();
    menuActions_.clear();
    QMenu* menu = nullptr;
    for (const MenuEntry& entry : builtMenu_) {
        if (entry.id != kSeparatorId && entry.id % kMenuTitleStep == 0) {
            menu = menuBar()->addMenu(text(entry.caption));
            menu->menuAction()->setData(entry.id);
            menuActions_[entry.id] = menu->menuAction();
            connect(menu, &QMenu::hovered, this, &AssignmentEditorWindow::showMenuHelp);
            connect(menu, &QMenu::aboutToHide, this, [this] { showMenuHelp(nullptr); });
        } else if (menu == nullptr) {
            continue;
        } else if (entry.id == kSeparatorId) {
            menu->addSeparator();
        } else {
            QAction* action = menu->addAction(text(entry.caption));
            action->setData(entry.id);
            const int id = entry.id;
            connect(action, &QAction::triggered, this,
                    [this, id] { forward([this, id] { editor_.frmagn_MenuEvent(id); }); });
            menuActions_[id] = action;
        }
    }
}

// Leaving the menus (no action) clears the help.
void AssignmentEditorWindow::showMenuHelp(QAction* action) {
    editor_.frmagn_MenuOver(action != nullptr ? action->data().toInt() : kNoEntry);
    statusBar()->showMessage(text(editor_.sbagn()));
}

void AssignmentEditorWindow::buildToolbar() {
    for (int button = 1; button <= kToolbarButtons; ++button) {
        QAction* action = tbagn_->addAction(editorToolbarImage(button), "");
        connect(action, &QAction::triggered, this,
                [this, button] { forward([this, button] { editor_.tbagn_ButtonClick(button); }); });
    }
}

QAction* AssignmentEditorWindow::menuAction(int id) const {
    const auto found = menuActions_.find(id);
    return found == menuActions_.end() ? nullptr : found->second;
}

// Drawing ------------------------------------------------------------------------------------------------

void AssignmentEditorWindow::redraw() {
    if (builtMenu_ != editor_.menuEntries())
        buildMenus();
    setWindowTitle(text(editor_.title()));
    const QList<QAction*> buttons = tbagn_->actions();
    for (int button = 1; button <= kToolbarButtons && button <= buttons.size(); ++button)
        buttons[button - 1]->setToolTip(text(editor_.tbagnHint(button)));

    lbldirection_->setText(text(editor_.lbldirection()));
    QPalette colours = lbldirection_->palette();
    colours.setColor(QPalette::Window, qtColour(editor_.lbldirectionColour()));
    colours.setColor(QPalette::WindowText, Qt::black);
    lbldirection_->setPalette(colours);

    redrawColumns();
    redrawList();
    redrawMenuStates();
    redrawLevels();
    statusBar()->showMessage(text(editor_.sbagn()));
}

void AssignmentEditorWindow::redrawColumns() {
    const std::vector<EditorColumn>& columns = editor_.columns();
    for (int column = 0; column < lvagn_->columnCount() && column < static_cast<int>(columns.size());
         ++column) {
        QTableWidgetItem* header = lvagn_->horizontalHeaderItem(column);
        if (header == nullptr) {
            header = new QTableWidgetItem;
            header->setTextAlignment(columnAlignment(column));
            lvagn_->setHorizontalHeaderItem(column, header);
        }
        header->setText(text(columns[static_cast<std::size_t>(column)].header));
    }
    fitColumns();
}

// The columns share the list's width in the proportions the editor gives them; the last one takes what
// the rounding leaves.
void AssignmentEditorWindow::fitColumns() {
    const std::vector<EditorColumn>& columns = editor_.columns();
    int total = 0;
    for (const EditorColumn& column : columns)
        total += column.widthTwips;
    if (total <= 0)
        return;
    const int width = lvagn_->viewport()->width();
    for (int column = 0; column + 1 < lvagn_->columnCount() && column < static_cast<int>(columns.size());
         ++column)
        lvagn_->setColumnWidth(column, width * columns[static_cast<std::size_t>(column)].widthTwips / total);
}

// The cells are rewritten in place: a click on a row only recolours the rows, and the list must not lose
// the items under the pointer while it is still handling that click.
void AssignmentEditorWindow::redrawList() {
    const QSignalBlocker quiet(lvagn_);
    const std::vector<EditorRow>& rows = editor_.rows();
    lvagn_->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < lvagn_->rowCount(); ++row) {
        const EditorRow& model = rows[static_cast<std::size_t>(row)];
        for (int column = 0; column < kEditorColumns; ++column) {
            QTableWidgetItem* cell = lvagn_->item(row, column);
            if (cell == nullptr) {
                cell = new QTableWidgetItem;
                cell->setFlags(Qt::ItemIsEnabled);
                cell->setTextAlignment(columnAlignment(column));
                lvagn_->setItem(row, column, cell);
            }
            cell->setText(text(model.cells[static_cast<std::size_t>(column)]));
            cell->setBackground(qtColour(model.background));
            cell->setForeground(Qt::black);
        }
    }
}

// Only the entries the editor checks show a check mark; Qt's own toggling on a click is put back.
void AssignmentEditorWindow::redrawMenuStates() {
    for (const auto& [id, action] : menuActions_) {
        const bool checked = editor_.menu().checked(id);
        action->setCheckable(checked);
        action->setChecked(checked);
        action->setEnabled(editor_.menu().enabled(id));
    }
}

void AssignmentEditorWindow::redrawLevels() {
    const InputLevels& levels = editor_.levels();
    for (QWidget* control : {static_cast<QWidget*>(levelCaption_), static_cast<QWidget*>(lblvolagn_),
                             static_cast<QWidget*>(sliagn_), static_cast<QWidget*>(cmdbal_)})
        control->setVisible(levels.controlsVisible());
    levelCaption_->setText(levelCaption(messages_.language()));
    sliagn_->setEnabled(levels.controlsEnabled());
    cmdbal_->setEnabled(levels.controlsEnabled());
    {
        const QSignalBlocker quiet(sliagn_);
        sliagn_->setValue(levels.sliagn());
    }
    lblvolagn_->setText(text(levels.lblvolagn()));
    lblvolagn_->setToolTip(text(levels.lblvolagnHint()));
    sliagn_->setToolTip(text(levels.sliagnHint()));
    cmdbal_->setText(text(levels.cmdbal()));
    lblaudiomonitor_->setText(text(levels.lblaudiomonitor()));
    lblaudiomonitor_->setVisible(levels.audioMonitorVisible());
}

// Editor and engine notices --------------------------------------------------------------------------------

void AssignmentEditorWindow::otherWindowsShown(bool shown) {
    if (surroundings_ != nullptr)
        surroundings_->otherWindowsShown(shown);
}

void AssignmentEditorWindow::changeDialogShown(bool shown) {
    if (shown) {
        if (ChangeDialogModel* model = editor_.changeDialog()) {
            changeDialog_ = new ChangeDialog(*model, messages_, this);
            connect(changeDialog_, &ChangeDialog::forwarded, this, &AssignmentEditorWindow::redraw);
            changeDialog_->show();
        }
        return;
    }
    // The dialog may still be inside the click that closed it: it goes once that is over.
    if (changeDialog_ != nullptr) {
        changeDialog_->hide();
        changeDialog_->deleteLater();
        changeDialog_ = nullptr;
    }
}

void AssignmentEditorWindow::sizeDialogShown(bool shown) {
    if (shown) {
        if (SizeDialogModel* model = editor_.sizeDialog()) {
            sizeDialog_ = new SizeDialog(*model, messages_, this);
            connect(sizeDialog_, &SizeDialog::forwarded, this, &AssignmentEditorWindow::redraw);
            sizeDialog_->show();
        }
        return;
    }
    if (sizeDialog_ != nullptr) {
        sizeDialog_->hide();
        sizeDialog_->deleteLater();
        sizeDialog_ = nullptr;
    }
}

void AssignmentEditorWindow::editorUnloaded() {
    hide();
    if (surroundings_ != nullptr)
        surroundings_->editorUnloaded();
}

void AssignmentEditorWindow::inputGainChanged(int, const std::string&) {
    redrawLevels();
}

void AssignmentEditorWindow::inputModeChanged(bool) {
    redrawLevels();
    redrawMenuStates();
}

// Window events --------------------------------------------------------------------------------------------

// Showing the window is opening the editor, on a fresh copy of the active table.
void AssignmentEditorWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!editor_.isOpen())
        forward([this] { editor_.frmagn_Load(); });
}

void AssignmentEditorWindow::closeEvent(QCloseEvent* event) {
    // The window system still delivers a close while the upload lets the windows paint.
    if (editor_.uploading()) {
        event->ignore();
        return;
    }
    if (editor_.isOpen())
        editor_.frmagn_Close();
    event->accept();
}

// The status bar shows the editor's menu help only: Qt's own status tips would clear it on every hover.
bool AssignmentEditorWindow::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

bool AssignmentEditorWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lbldirection_ && event->type() == QEvent::MouseButtonRelease) {
        forward([this] { editor_.lbldirection_Click(); });
        return true;
    }
    if (watched == lvagn_->viewport() && event->type() == QEvent::Resize)
        fitColumns();
    if (watched == lvagn_ && event->type() == QEvent::KeyRelease) {
        keyReleased(static_cast<const QKeyEvent&>(*event));
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// Moving between rows with the keyboard selects the row reached, as a click on it does.
void AssignmentEditorWindow::keyReleased(const QKeyEvent& event) {
    if (event.isAutoRepeat())
        return;
    if (movesBetweenRows(event.key()) && lvagn_->currentRow() >= 0) {
        const int row = lvagn_->currentRow();
        forward([this, row] { editor_.lvagn_ItemClick(row); });
        return;
    }
    const int code = editorKeyCode(event.key());
    if (code == 0)
        return;
    const int shift = shiftState(event.modifiers());
    forward([this, code, shift] { editor_.lvagn_KeyUp(code, shift); });
}

} // namespace rl4

#include "gui/main_window.h"

#include "engine/menu_ids.h"
#include "gui/gui_twips.h"
#include "gui/gui_window_place.h"
#include "gui/qt_values.h"
#include "gui/sheet_view.h"
#include "gui/vca_panel_view.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace rl4 {

namespace {

constexpr int kPanelWidth = 150;
constexpr int kOnLineHeight = 28;
constexpr int kMargin = 4;
constexpr QSize kToolbarImageSize{20, 20};

constexpr const char* kOnLine = "ON LINE";
constexpr const char* kOffLine = "OFF LINE";
constexpr QColor kOnLineBack{0, 255, 0};
constexpr QColor kOffLineBack{255, 0, 0};

std::string storeButtonCaption(int language) {
    return language == kLanguageFrench ? "Mémoriser l'état" : "Store status";
}

// The toolbar's images (`iml1`): disable all destinations, open, save, quit. The desktop's icon theme when
// it has them, else the style's own.
QIcon toolbarImage(int image) {
    struct Image {
        const char* themeName;
        QStyle::StandardPixmap fallback;
    };
    static constexpr Image kImages[] = {
        {"edit-clear-all", QStyle::SP_DialogResetButton},
        {"document-open", QStyle::SP_DialogOpenButton},
        {"document-save", QStyle::SP_DialogSaveButton},
        {"application-exit", QStyle::SP_DialogCloseButton},
    };
    const Image& chosen = kImages[std::clamp(image, 1, 4) - 1];
    return QIcon::fromTheme(chosen.themeName, QApplication::style()->standardIcon(chosen.fallback));
}

} // namespace

MainWindow::MainWindow(Engine& engine, MainCommands& commands)
    : engine_(engine), commands_(commands), tb1_(new QToolBar(this)),
      lvcom_(new SheetView(engine.sheet(), this)), vcaPanel_(new VcaPanelView(engine.vca(), this)),
      lblonline_(new QLabel(this)), cmddemstore_(new QPushButton(this)) {
    setObjectName("frm1");
    tb1_->setObjectName("tb1");
    tb1_->setMovable(false);
    tb1_->setIconSize(kToolbarImageSize);
    addToolBar(tb1_);
    statusBar()->setObjectName("sb1");

    lblonline_->setObjectName("lblonline");
    lblonline_->setAlignment(Qt::AlignCenter);
    lblonline_->setAutoFillBackground(true);
    lblonline_->setFixedHeight(kOnLineHeight);
    lblonline_->setCursor(Qt::PointingHandCursor);
    lblonline_->installEventFilter(this);
    QFont bold = lblonline_->font();
    bold.setBold(true);
    lblonline_->setFont(bold);
    cmddemstore_->setObjectName("cmddemstore");

    auto* sheetColumn = new QVBoxLayout;
    lvcom_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
    sheetColumn->addWidget(lvcom_);
    sheetColumn->addStretch(1);

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFixedWidth(kPanelWidth);
    auto* panelColumn = new QVBoxLayout(panel);
    panelColumn->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    panelColumn->addWidget(vcaPanel_);
    panelColumn->addStretch(1);
    panelColumn->addWidget(lblonline_);
    panelColumn->addWidget(cmddemstore_);

    auto* centre = new QWidget(this);
    auto* columns = new QHBoxLayout(centre);
    // Room for the sheet's rows is counted from the window's height less a fixed allowance for the bars
    // around it: the margins stay small so that the rows it counts fit.
    columns->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    columns->addLayout(sheetColumn, 1);
    columns->addWidget(panel);
    setCentralWidget(centre);

    connect(lvcom_, &SheetView::rowChosen, this, [this](int row) { engine_.rowClicked(row); });
    connect(lvcom_, &SheetView::rowDoubleClicked, this, [this] { commands_.lvcom_DblClick(); });
    connect(lvcom_, &SheetView::keyDown, this, [this](int code) { engine_.switcher().lvcom_KeyDown(code); });
    connect(lvcom_, &SheetView::keyPress, this,
            [this](int code) { engine_.switcher().lvcom_KeyPress(code); });
    connect(cmddemstore_, &QPushButton::clicked, this, [this] { command(menu_id::kStoreStatus); });

    // The sheet model does not announce its first state: draw it as it stands.
    lvcom_->rebuildColumns();
    lvcom_->refill();
    vcaPanel_->redraw();
    drawOnLine(engine_.link().matrixOnLine());
    cmddemstore_->setEnabled(engine_.storeButton().enabled());
    setWindowTitle(text(engine_.title()));
    useLanguage(engine_.messages().language());
}

MainWindow::~MainWindow() = default;

// Menus, toolbar and captions --------------------------------------------------------------------------

void MainWindow::useLanguage(int language) {
    if (language == menuLanguage_)
        return;
    menuLanguage_ = language;
    buildMenus(language);
    buildToolbar(language);
    cmddemstore_->setText(text(storeButtonCaption(language)));
}

void MainWindow::buildMenus(int language) {
    menuBar()->clear();
    menuActions_.clear();
    for (const MenuItem& item : mainMenu(language)) {
        if (item.kind == MenuItem::Kind::Submenu) {
            QMenu* menu = menuBar()->addMenu(text(item.caption));
            menu->menuAction()->setData(item.id);
            menuActions_[item.id] = menu->menuAction();
            fillMenu(menu, item.items);
        } else if (item.kind == MenuItem::Kind::Command) {
            menuBar()->addAction(commandAction(item, menuBar()));
        }
    }
    connect(menuBar(), &QMenuBar::hovered, this,
            [this](QAction* action) { showStatusHelp(commands_.frm1_MenuOver(action->data().toInt())); });
    redrawMenuChecks();
}

void MainWindow::fillMenu(QMenu* menu, const std::vector<MenuItem>& items) {
    connect(menu, &QMenu::hovered, this,
            [this](QAction* action) { showStatusHelp(commands_.frm1_MenuOver(action->data().toInt())); });
    for (const MenuItem& item : items) {
        switch (item.kind) {
        case MenuItem::Kind::Separator:
            menu->addSeparator();
            break;
        case MenuItem::Kind::Submenu: {
            QMenu* submenu = menu->addMenu(text(item.caption));
            submenu->menuAction()->setData(item.id);
            menuActions_[item.id] = submenu->menuAction();
            fillMenu(submenu, item.items);
            break;
        }
        case MenuItem::Kind::Command:
            menu->addAction(commandAction(item, menu));
            break;
        }
    }
}

QAction* MainWindow::commandAction(const MenuItem& item, QObject* owner) {
    auto* action = new QAction(text(item.caption), owner);
    action->setData(item.id);
    action->setEnabled(item.enabled);
    action->setCheckable(item.checkable);
    const int id = item.id;
    connect(action, &QAction::triggered, this, [this, id] { command(id); });
    menuActions_[id] = action;
    return action;
}

void MainWindow::buildToolbar(int language) {
    tb1_->clear();
    // The engine's table speaks the language of the settings only once the start-up has read them.
    MessageTable messages;
    messages.setLanguage(language);
    for (const ToolbarButton& button : toolbarButtons(messages)) {
        if (button.separator) {
            tb1_->addSeparator();
            continue;
        }
        QAction* action = tb1_->addAction(toolbarImage(button.image), "");
        action->setToolTip(text(button.tooltip));
        const int index = button.index;
        connect(action, &QAction::triggered, this, [this, index] {
            commands_.tb1_ButtonClick(index);
            redrawMenuChecks();
        });
    }
}

// Every command ends in the dispatcher; a check mark that Qt flipped on the way is put back as the
// program has it.
void MainWindow::command(int id) {
    commands_.frm1_MenuEvent(id);
    redrawMenuChecks();
}

void MainWindow::redrawMenuChecks() {
    for (const auto& [id, action] : menuActions_) {
        if (action->isCheckable())
            action->setChecked(commands_.menuChecked(id));
    }
}

QAction* MainWindow::menuAction(int id) const {
    const auto found = menuActions_.find(id);
    return found == menuActions_.end() ? nullptr : found->second;
}

void MainWindow::showStatusHelp(const std::string& help) {
    statusBar()->showMessage(text(help));
}

// Place and size ---------------------------------------------------------------------------------------

void MainWindow::placeAt(const Settings& settings) {
    kept_ = {settings.mainWindow, settings.mainHeight, settings.mainWidth};
    keptPixels_ =
        QRect(twipsToPixels(kept_.place.left, logicalDpiX()), twipsToPixels(kept_.place.top, logicalDpiY()),
              twipsToPixels(kept_.width, logicalDpiX()), twipsToPixels(kept_.height, logicalDpiY()));
    // A window from a larger screen is cut down to this one as well: its lower part would be out of reach.
    const QRect shown = intoSight(keptPixels_);
    const QRect place = inSight(keptPixels_) && shown.size() == keptPixels_.size() ? keptPixels_ : shown;
    move(place.topLeft());
    resize(place.size());
}

// Twips and pixels do not map one to one: a size read as 7000 twips and drawn in whole pixels would come
// back a few twips off at every start.
MainWindowGeometry MainWindow::geometryTwips() const {
    const auto twips = [](int pixels, int keptPixels, std::int16_t keptTwips, int dpi) {
        return pixels == keptPixels ? keptTwips : pixelsToTwips(pixels, dpi);
    };
    MainWindowGeometry geometry;
    geometry.place.left = twips(pos().x(), keptPixels_.x(), kept_.place.left, logicalDpiX());
    geometry.place.top = twips(pos().y(), keptPixels_.y(), kept_.place.top, logicalDpiY());
    geometry.width = twips(width(), keptPixels_.width(), kept_.width, logicalDpiX());
    geometry.height = twips(height(), keptPixels_.height(), kept_.height, logicalDpiY());
    return geometry;
}

// Engine notices ---------------------------------------------------------------------------------------

void MainWindow::drawOnLine(bool onLine) {
    lblonline_->setText(onLine ? kOnLine : kOffLine);
    QPalette colours = lblonline_->palette();
    colours.setColor(QPalette::Window, onLine ? kOnLineBack : kOffLineBack);
    colours.setColor(QPalette::WindowText, Qt::black);
    lblonline_->setPalette(colours);
}

void MainWindow::onLineChanged(bool onLine) {
    drawOnLine(onLine);
}

void MainWindow::sheetColumnsChanged() {
    lvcom_->rebuildColumns();
}

void MainWindow::sheetFilled() {
    lvcom_->refill();
    redrawMenuChecks();
}

void MainWindow::sheetRowChanged(int destination) {
    lvcom_->redrawRow(destination);
}

void MainWindow::currentRowChanged() {
    lvcom_->recolour();
}

void MainWindow::statusTextChanged(const std::string& status) {
    vcaPanel_->showStatusText(status);
}

void MainWindow::vcaPanelChanged() {
    vcaPanel_->redraw();
}

void MainWindow::storeButtonChanged(bool enabled) {
    cmddemstore_->setEnabled(enabled);
}

void MainWindow::titleChanged(const std::string& title) {
    setWindowTitle(text(title));
}

void MainWindow::sheetChecksChanged() {
    lvcom_->redrawChecks();
}

void MainWindow::quitRequested() {
    close();
}

void MainWindow::menuChecksChanged() {
    redrawMenuChecks();
}

// Window events ----------------------------------------------------------------------------------------

// The status bar shows the menu help of frm1_MenuOver: the empty status tip Qt sends after it for every
// entry hovered would clear it at once.
bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!shutDown_) {
        shutDown_ = true;
        commands_.frm1_Close();
        emit closed();
    }
    event->accept();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    engine_.sheet().frm1_ReSize(pixelsToTwips(height(), logicalDpiY()));
}

// A character typed while the window itself, not one of its controls, has the keyboard.
void MainWindow::keyPressEvent(QKeyEvent* event) {
    const QWidget* focus = focusWidget();
    if ((focus == nullptr || focus == this) && event->text().size() == 1) {
        commands_.frm1_KeyPress(event->text()[0].unicode());
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblonline_ && event->type() == QEvent::MouseButtonRelease) {
        engine_.link().lblonline_Click();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace rl4

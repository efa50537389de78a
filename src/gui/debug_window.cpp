#include "gui/debug_window.h"

#include "engine/menu_ids.h"
#include "gui/gui_window_place.h"
#include "gui/gui_window_shot.h"
#include "gui/qt_values.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

namespace rl4 {

namespace {

constexpr int kQuitCaption = 14;
// The layers' names are the same words in both languages.
constexpr std::array<const char*, 4> kLayerBoxNames{"chkdebugv", "chkdebuga", "chkdebugr", "chkdebugy"};
constexpr std::array<const char*, 4> kDebugLayerCaptions{"Video", "Audio", "RGB", "Y/C"};
constexpr const char* kTestOperating = "TEST OPERATING";
constexpr int kCounterWidth = 70;
// How long the picture waits for the read test to show a few steps.
constexpr int kShotAfterMillis = 600;

template <typename Control>
Control* named(Control* control, const char* name) {
    control->setObjectName(name);
    return control;
}

QLabel* counterLabel(const char* name, QWidget* parent) {
    auto* label = named(new QLabel(parent), name);
    label->setAutoFillBackground(true);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(kCounterWidth);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

DebugWindow::DebugWindow(DebugModel& model, MessageTable& messages)
    : model_(model), messages_(messages), sources_(new QGroupBox(this)), destinations_(new QGroupBox(this)),
      layers_(new QGroupBox(this)), cbdebugib_(named(new QComboBox(sources_), "cbdebugib")),
      cbdebugie_(named(new QComboBox(sources_), "cbdebugie")),
      cbdebugob_(named(new QComboBox(destinations_), "cbdebugob")),
      cbdebugoe_(named(new QComboBox(destinations_), "cbdebugoe")),
      chkcrosspoint_(named(new QCheckBox(this), "chkcrosspoint")), pauseCaption_(new QLabel(this)),
      slidebugspeed_(named(new QSlider(Qt::Horizontal, this), "slidebugspeed")),
      prodebug_(named(new QProgressBar(this), "prodebug")), lbldebug_(named(new QLabel(this), "lbldebug")),
      errorCaption_(new QLabel(this)), lbldebugerror_(counterLabel("lbldebugerror", this)),
      shotCaption_(new QLabel(this)), lbldebugshot_(counterLabel("lbldebugshot", this)),
      cmddebugwrite_(named(new QPushButton(this), "cmddebugwrite")),
      cmddebugread_(named(new QPushButton(this), "cmddebugread")),
      readvideo1_(named(new QPushButton(this), "readvideo1")),
      readvideo12_(named(new QPushButton(this), "readvideo12")),
      cmdpartest_(named(new QPushButton(this), "cmdpartest")),
      cmdstopdebug_(named(new QPushButton(this), "cmdstopdebug")),
      cmddebugreset_(named(new QPushButton(this), "cmddebugreset")),
      quitdebug_(named(new QPushButton(this), "quitdebug")) {
    setObjectName("frmdebug");
    for (std::size_t i = 0; i < layerBoxes_.size(); ++i)
        layerBoxes_[i] = named(new QCheckBox(kDebugLayerCaptions[i], layers_), kLayerBoxNames[i]);
    for (QLabel*& word : rangeWords_)
        word = new QLabel(this);
    slidebugspeed_->setRange(0, DebugModel::kSpeedMaximum);
    slidebugspeed_->setPageStep(1);
    slidebugspeed_->setTickPosition(QSlider::TicksBelow);
    slidebugspeed_->setTickInterval(1);
    prodebug_->setTextVisible(false);
    lbldebug_->setFrameShape(QFrame::Panel);
    lbldebug_->setFrameShadow(QFrame::Sunken);
    buildLayout();
    connectControls();
    drawCaptions();
    redraw();
}

void DebugWindow::buildLayout() {
    const auto range = [](QGroupBox* box, QLabel* from, QComboBox* first, QLabel* to, QComboBox* last) {
        auto* row = new QHBoxLayout(box);
        row->addWidget(from);
        row->addWidget(first, 1);
        row->addWidget(to);
        row->addWidget(last, 1);
    };
    range(sources_, rangeWords_[0], cbdebugib_, rangeWords_[1], cbdebugie_);
    range(destinations_, rangeWords_[2], cbdebugob_, rangeWords_[3], cbdebugoe_);
    auto* layerRow = new QHBoxLayout(layers_);
    for (QCheckBox* box : layerBoxes_)
        layerRow->addWidget(box);

    auto* counters = new QHBoxLayout;
    counters->addWidget(errorCaption_);
    counters->addWidget(lbldebugerror_);
    counters->addStretch(1);
    counters->addWidget(shotCaption_);
    counters->addWidget(lbldebugshot_);

    auto* test = new QVBoxLayout;
    test->addWidget(sources_);
    test->addWidget(destinations_);
    test->addWidget(layers_);
    test->addWidget(chkcrosspoint_);
    test->addWidget(pauseCaption_);
    test->addWidget(slidebugspeed_);
    test->addWidget(prodebug_);
    test->addWidget(lbldebug_);
    test->addLayout(counters);
    test->addStretch(1);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {cmddebugwrite_, cmddebugread_, readvideo1_, readvideo12_, cmdpartest_})
        buttons->addWidget(button);
    buttons->addStretch(1);
    for (QPushButton* button : {cmdstopdebug_, cmddebugreset_, quitdebug_})
        buttons->addWidget(button);

    auto* columns = new QHBoxLayout(this);
    columns->addLayout(test, 1);
    columns->addLayout(buttons);
}

void DebugWindow::connectControls() {
    const auto chosen = [this](QComboBox* list, int DebugChoices::*field) {
        connect(list, &QComboBox::currentIndexChanged, this,
                [this, field](int index) { model_.choices().*field = index + 1; });
    };
    chosen(cbdebugib_, &DebugChoices::firstSource);
    chosen(cbdebugie_, &DebugChoices::lastSource);
    chosen(cbdebugob_, &DebugChoices::firstDestination);
    chosen(cbdebugoe_, &DebugChoices::lastDestination);
    for (std::size_t i = 0; i < layerBoxes_.size(); ++i)
        connect(layerBoxes_[i], &QCheckBox::toggled, this,
                [this, i](bool on) { model_.choices().layers[i] = on; });
    connect(chkcrosspoint_, &QCheckBox::toggled, this, [this](bool on) { model_.choices().stepByStep = on; });
    connect(slidebugspeed_, &QSlider::valueChanged, this,
            [this](int value) { model_.choices().slidebugspeed = value; });

    connect(cmddebugwrite_, &QPushButton::clicked, this, [this] { model_.cmddebugwrite_Click(); });
    connect(cmddebugread_, &QPushButton::clicked, this, [this] { model_.cmddebugread_Click(); });
    connect(readvideo1_, &QPushButton::clicked, this, [this] { model_.readvideo1_Click(); });
    connect(readvideo12_, &QPushButton::clicked, this, [this] { model_.readvideo12_Click(); });
    connect(cmdpartest_, &QPushButton::clicked, this, [this] { model_.cmdpartest_Click(); });
    connect(cmdstopdebug_, &QPushButton::clicked, this, [this] { model_.cmdstopdebug_Click(); });
    connect(cmddebugreset_, &QPushButton::clicked, this, [this] { model_.cmddebugreset_Click(); });
    connect(quitdebug_, &QPushButton::clicked, this, &QWidget::close);
}

void DebugWindow::drawCaptions() {
    setWindowTitle(text(messages_.text(kCaptionDebug)));
    sources_->setTitle(text(messages_.text(kCaptionDebugSources)));
    destinations_->setTitle(text(messages_.text(kCaptionDebugDestinations)));
    layers_->setTitle(text(messages_.text(kCaptionDebugLayers)));
    for (std::size_t i = 0; i < rangeWords_.size(); ++i)
        rangeWords_[i]->setText(text(messages_.text(i % 2 == 0 ? kCaptionDebugFrom : kCaptionDebugTo)));
    chkcrosspoint_->setText(text(messages_.text(kCaptionDebugStepByStep)));
    pauseCaption_->setText(text(messages_.text(kCaptionDebugPause)));
    errorCaption_->setText(text(messages_.text(kCaptionDebugErrors)));
    shotCaption_->setText(text(messages_.text(kCaptionDebugCommands)));
    cmddebugwrite_->setText(text(messages_.text(kCaptionDebugWrite)));
    cmddebugread_->setText(text(messages_.text(kCaptionDebugRead)));
    readvideo1_->setText(text(messages_.text(kCaptionDebugReadVideo1)));
    readvideo12_->setText(text(messages_.text(kCaptionDebugReadVideo12)));
    cmdstopdebug_->setText(text(messages_.text(kCaptionDebugStop)));
    cmddebugreset_->setText(text(messages_.text(kCaptionDebugReset)));
    quitdebug_->setText(text(messages_.text(kQuitCaption)));
}

// Lists filled and controls set from here raise nothing.
void DebugWindow::fillList(QComboBox* list, int count, int chosen) {
    const QSignalBlocker quiet(list);
    if (list->count() != count) {
        list->clear();
        for (int n = 1; n <= count; ++n)
            list->addItem(QString::number(n));
    }
    list->setCurrentIndex(chosen >= 1 && chosen <= count ? chosen - 1 : -1);
}

void DebugWindow::redraw() {
    const DebugChoices& choices = model_.choices();
    fillList(cbdebugib_, model_.sourceCount(), choices.firstSource);
    fillList(cbdebugie_, model_.sourceCount(), choices.lastSource);
    fillList(cbdebugob_, model_.destinationCount(), choices.firstDestination);
    fillList(cbdebugoe_, model_.destinationCount(), choices.lastDestination);
    for (std::size_t i = 0; i < layerBoxes_.size(); ++i) {
        const QSignalBlocker quiet(layerBoxes_[i]);
        layerBoxes_[i]->setChecked(choices.layers[i]);
    }
    {
        const QSignalBlocker quiet(chkcrosspoint_);
        chkcrosspoint_->setChecked(choices.stepByStep);
        const QSignalBlocker quietSlider(slidebugspeed_);
        slidebugspeed_->setValue(choices.slidebugspeed);
    }
    prodebug_->setRange(1, model_.prodebugMaximum());
    prodebug_->setValue(model_.prodebug());
    lbldebug_->setText(text(model_.lbldebug()));
    lbldebugerror_->setText(text(model_.lbldebugerror()));
    lbldebugshot_->setText(text(model_.lbldebugshot()));
    for (QLabel* counter : {lbldebugerror_, lbldebugshot_}) {
        QPalette colours = palette();
        if (const auto colour = model_.counterColour()) {
            colours.setColor(QPalette::Window, QColor(colour->red, colour->green, colour->blue));
            colours.setColor(QPalette::WindowText, Qt::black);
        }
        counter->setPalette(colours);
    }
    cmdpartest_->setText(model_.testOperating() ? kTestOperating
                                                : text(messages_.text(kCaptionDebugTestMode)));

    const bool idle = !model_.looping();
    for (QWidget* control :
         std::initializer_list<QWidget*>{sources_, destinations_, layers_, chkcrosspoint_, cmddebugwrite_,
                                         cmddebugread_, readvideo1_, readvideo12_})
        control->setEnabled(idle);
}

void DebugWindow::debugModelChanged() {
    redraw();
}

void DebugWindow::debugLetEventsRun() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void DebugWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        model_.cmdstopdebug_Click();
    else
        QWidget::keyPressEvent(event);
}

void DebugWindow::closeEvent(QCloseEvent* event) {
    model_.quitdebug_Click();
    QWidget::closeEvent(event);
}

void addDebugWindow(ToolWindows& tools, Engine& engine, QWidget& mainWindow) {
    tools.add(menu_id::kDebug, [&engine, &mainWindow] {
        auto window = std::make_unique<DebugWindow>(engine.debug(), engine.messages());
        placeBeside(*window, mainWindow);
        return window;
    });
}

bool saveDebugWindowScreenshot(const QString& folder, const QString& suffix, MainCommands& commands,
                               ToolWindows& tools, Engine& engine) {
    commands.frm1_MenuEvent(menu_id::kDebug);
    QWidget* window = tools.window(menu_id::kDebug);
    if (window == nullptr)
        return saveWindow(window, folder, "debug", suffix);
    DebugModel& model = engine.debug();
    for (bool& layer : model.choices().layers)
        layer = true;
    bool saved = false;
    // The picture is taken inside the loop, between two of its steps, as the operator sees it. A loop that
    // ended before (nothing to read) leaves no timer behind.
    QTimer shot;
    shot.setSingleShot(true);
    QObject::connect(&shot, &QTimer::timeout, window, [&] {
        saved = saveWindow(window, folder, "debug", suffix);
        model.cmdstopdebug_Click();
    });
    shot.start(kShotAfterMillis);
    model.cmddebugread_Click();
    window->close();
    return saved;
}

} // namespace rl4

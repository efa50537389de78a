#include "gui/switcher_window.h"

#include "gui/gui_twips.h"
#include "gui/gui_window_place.h"
#include "gui/qt_values.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

namespace rl4 {

namespace {

constexpr int kListMinimumWidth = 260;
constexpr int kCaptionWidth = 64;
// Sets the layer lists apart from the all-layers list above them.
constexpr int kGroupGap = 8;
constexpr double kDarkBrightness = 128;

struct LayerCaption {
    Layer layer;
    const char* label;
    const char* list;
    const char* caption;
    SwitcherControl hint;
};

constexpr std::array<LayerCaption, 4> kLayerCaptions{{
    {Layer::Video, "lblcbvideo", "cbcommutvideo", "Video", SwitcherControl::cbcommutvideo},
    {Layer::Audio, "lblcbaudio", "cbcommutaudio", "Audio", SwitcherControl::cbcommutaudio},
    {Layer::Rgb, "lblcbrgb", "cbcommutrgb", "RGB", SwitcherControl::cbcommutrgb},
    {Layer::Yc, "lblcbyc", "cbcommutyc", "Y/C", SwitcherControl::cbcommutyc},
}};

QString switcherCaption(int language) {
    return language == kLanguageFrench ? "Controleur de commutation" : "Switcher Control";
}

// The layer colours run from pale yellow to deep blue: the caption's text stays readable on each, white on
// the dark ones by their perceived brightness.
QColor textOn(const QColor& background) {
    const double brightness =
        0.299 * background.red() + 0.587 * background.green() + 0.114 * background.blue();
    return brightness < kDarkBrightness ? Qt::white : Qt::black;
}

void paintLabel(QLabel* label, RgbColour colour) {
    QPalette palette = label->palette();
    const QColor background = qtColour(colour);
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, textOn(background));
    label->setPalette(palette);
}

void paintList(QComboBox* box, RgbColour colour) {
    QPalette palette = box->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, qtColour(colour));
        palette.setColor(group, QPalette::Button, qtColour(colour));
    }
    box->setPalette(palette);
}

void drawList(QComboBox* box, const SwitcherList& list) {
    const QSignalBlocker quiet(box);
    QStringList texts;
    for (const SwitcherEntry& entry : list.entries)
        texts << QString::fromStdString(entry.text);
    // Refilling an unchanged list would close it under the operator's pointer.
    QStringList shown;
    for (int i = 0; i < box->count(); ++i)
        shown << box->itemText(i);
    if (shown != texts) {
        box->clear();
        box->addItems(texts);
    }
    box->setCurrentIndex(list.index);
    box->setEnabled(list.enabled);
    paintList(box, list.background);
}

QComboBox* makeList(const char* name, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    // The entries line up their names after a three-character number.
    box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    box->setMinimumWidth(kListMinimumWidth);
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return box;
}

} // namespace

SwitcherWindow::SwitcherWindow(SwitcherModel& model, MessageTable& messages, HintSink showHint,
                               const QWidget* mainWindow)
    : model_(model), messages_(messages), showHint_(std::move(showHint)), mainWindow_(mainWindow),
      lblcommutation_(new QLabel(this)), cmdcommutdec_(new QPushButton(this)),
      cbcommutation_(makeList("cbcommutation", this)), cmdcommutinc_(new QPushButton(this)) {
    setObjectName("frmcommutation");
    // The background's hint (none) replaces a control's as soon as the pointer leaves the control, even
    // where the control was never told (its list was open meanwhile).
    setMouseTracking(true);
    lblcommutation_->setObjectName("lblcommutation");
    lblcommutation_->setAlignment(Qt::AlignCenter);
    QFont large = lblcommutation_->font();
    large.setBold(true);
    large.setPointSizeF(large.pointSizeF() * 1.3);
    lblcommutation_->setFont(large);
    cmdcommutdec_->setObjectName("cmdcommutdec");
    cmdcommutdec_->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
    cmdcommutinc_->setObjectName("cmdcommutinc");
    cmdcommutinc_->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));

    auto* allLayers = new QHBoxLayout;
    allLayers->addWidget(cmdcommutdec_);
    allLayers->addWidget(cbcommutation_, 1);
    allLayers->addWidget(cmdcommutinc_);

    auto* layers = new QGridLayout;
    layers->setColumnStretch(1, 1);
    for (std::size_t i = 0; i < kLayerCaptions.size(); ++i) {
        const LayerCaption& layer = kLayerCaptions[i];
        auto* label = new QLabel(layer.caption, this);
        label->setObjectName(layer.label);
        label->setAlignment(Qt::AlignCenter);
        label->setAutoFillBackground(true);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(kCaptionWidth);
        QComboBox* list = makeList(layer.list, this);
        layers->addWidget(label, static_cast<int>(i), 0);
        layers->addWidget(list, static_cast<int>(i), 1);
        layerLabels_[i] = label;
        layerLists_[i] = list;
        watchPointer(list, layer.hint);
        const Layer picked = layer.layer;
        connect(list, &QComboBox::activated, this, [this, picked](int index) {
            switch (picked) {
            case Layer::Video:
                model_.cbcommutvideo_Click(index);
                break;
            case Layer::Audio:
                model_.cbcommutaudio_Click(index);
                break;
            case Layer::Rgb:
                model_.cbcommutrgb_Click(index);
                break;
            case Layer::Yc:
                model_.cbcommutyc_Click(index);
                break;
            }
        });
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblcommutation_);
    layout->addLayout(allLayers);
    layout->addSpacing(kGroupGap);
    layout->addLayout(layers);
    layout->addStretch(1);

    watchPointer(lblcommutation_, SwitcherControl::lblcommutation);
    watchPointer(cbcommutation_, SwitcherControl::cbcommutation);
    watchPointer(cmdcommutdec_, SwitcherControl::cmdcommutdec);
    watchPointer(cmdcommutinc_, SwitcherControl::cmdcommutinc);
    connect(cbcommutation_, &QComboBox::activated, this,
            [this](int index) { model_.cbcommutation_Click(index); });
    connect(cmdcommutdec_, &QPushButton::clicked, this, [this] { model_.cmdcommutdec_Click(); });
    connect(cmdcommutinc_, &QPushButton::clicked, this, [this] { model_.cmdcommutinc_Click(); });
    redraw();
}

void SwitcherWindow::watchPointer(QWidget* control, SwitcherControl hint) {
    hints_[control] = hint;
    control->installEventFilter(this);
}

void SwitcherWindow::switcherChanged() {
    model_.RefreshSwitcher();
}

void SwitcherWindow::switcherFollowReport(int destination, int source) {
    model_.switcherFollowReport(destination, source);
}

void SwitcherWindow::switcherModelChanged() {
    redraw();
}

void SwitcherWindow::redraw() {
    setWindowTitle(switcherCaption(messages_.language()));
    lblcommutation_->setText(QString::fromStdString(model_.lblcommutation()));
    drawList(cbcommutation_, model_.cbcommutation());
    for (std::size_t i = 0; i < kLayerCaptions.size(); ++i) {
        drawList(layerLists_[i], model_.layerList(kLayerCaptions[i].layer));
        paintLabel(layerLabels_[i], model_.layerLabel(kLayerCaptions[i].layer));
    }
    if (!model_.isOpen())
        hide();
}

QPoint SwitcherWindow::placePixels() const {
    return {twipsToPixels(model_.place().left, logicalDpiX()),
            twipsToPixels(model_.place().top, logicalDpiY())};
}

// Without a place of its own in sight, the window opens at one the program chooses, and keeps it.
void SwitcherWindow::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        const WindowPlace place = toolWindowPlace(*this, model_.place(), mainWindow_);
        if (place != model_.place())
            model_.frmcommutation_Placed(place);
        move(placePixels());
    }
    QWidget::showEvent(event);
}

void SwitcherWindow::hideEvent(QHideEvent* event) {
    hint(SwitcherControl::Background);
    QWidget::hideEvent(event);
}

void SwitcherWindow::mouseMoveEvent(QMouseEvent* event) {
    // A control that lets a move through to its window is still under the pointer.
    if (childAt(event->position().toPoint()) == nullptr)
        hint(SwitcherControl::Background);
    QWidget::mouseMoveEvent(event);
}

void SwitcherWindow::leaveEvent(QEvent* event) {
    hint(SwitcherControl::Background);
    QWidget::leaveEvent(event);
}

// Only this window's own hint is taken away: the status bar may show the main window's menu help since.
void SwitcherWindow::hint(SwitcherControl control) {
    if (!showHint_)
        return;
    const std::string text = model_.frmcommutation_MouseMove(control);
    if (text.empty() && !hinting_)
        return;
    showHint_(text);
    hinting_ = !text.empty();
}

// Pixels and twips do not map one to one: only a move away from the kept place is the operator's, so that
// a window put back where it was does not count as moved.
void SwitcherWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (isVisible() && pos() != placePixels())
        model_.frmcommutation_Move({pixelsToTwips(x(), logicalDpiX()), pixelsToTwips(y(), logicalDpiY())});
}

void SwitcherWindow::closeEvent(QCloseEvent* event) {
    if (model_.isOpen())
        model_.frmcommutation_Close();
    event->accept();
}

bool SwitcherWindow::eventFilter(QObject* watched, QEvent* event) {
    const auto control = hints_.find(watched);
    if (control != hints_.end()) {
        if (event->type() == QEvent::Enter)
            hint(control->second);
        else if (event->type() == QEvent::Leave)
            hint(SwitcherControl::Background);
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace rl4

#include "gui/vca_panel_view.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace rl4 {

namespace {

constexpr int kPageStep = 3;
constexpr int kSliderHeight = 120;

} // namespace

VcaPanelView::VcaPanelView(VcaPanel& panel, QWidget* parent)
    : QWidget(parent), panel_(panel), volsrc_(new QLabel(this)), cmdslimax_(new QPushButton("Max", this)),
      sli1_(new QSlider(Qt::Vertical, this)), cmdslimin_(new QPushButton("Min", this)),
      volpourcent_(new QLabel(this)) {
    volsrc_->setObjectName("volsrc");
    volsrc_->setAlignment(Qt::AlignCenter);
    volsrc_->setWordWrap(true);
    cmdslimax_->setObjectName("cmdslimax");
    cmdslimin_->setObjectName("cmdslimin");
    sli1_->setObjectName("sli1");
    sli1_->setRange(kVcaMinimum, kVcaMaximum);
    sli1_->setPageStep(kPageStep);
    sli1_->setTickPosition(QSlider::TicksBothSides);
    sli1_->setTickInterval(kPageStep);
    sli1_->setMinimumHeight(kSliderHeight);
    // One level sent when the operator lets go of the slider, not one for every step it passes.
    sli1_->setTracking(false);
    volpourcent_->setObjectName("volpourcent");
    volpourcent_->setAlignment(Qt::AlignCenter);
    QSizePolicy keepPlace = volpourcent_->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    volpourcent_->setSizePolicy(keepPlace);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(volsrc_);
    layout->addWidget(cmdslimax_);
    layout->addWidget(sli1_, 1, Qt::AlignHCenter);
    layout->addWidget(cmdslimin_);
    layout->addWidget(volpourcent_);

    connect(sli1_, &QSlider::valueChanged, this, [this](int value) { panel_.sli1_Change(value); });
    connect(cmdslimin_, &QPushButton::clicked, this, [this] { panel_.cmdslimin_Click(); });
    connect(cmdslimax_, &QPushButton::clicked, this, [this] { panel_.cmdslimax_Click(); });
    redraw();
}

void VcaPanelView::showStatusText(const std::string& text) {
    volsrc_->setText(QString::fromStdString(text));
}

void VcaPanelView::redraw() {
    const QSignalBlocker quiet(sli1_);
    sli1_->setValue(panel_.sli1());
    sli1_->setEnabled(panel_.enabled());
    cmdslimin_->setEnabled(panel_.enabled());
    cmdslimax_->setEnabled(panel_.enabled());
    volpourcent_->setVisible(panel_.enabled());
    volpourcent_->setText(QString::fromStdString(panel_.volpourcent()));
}

} // namespace rl4

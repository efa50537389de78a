#include "gui/config_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

namespace rl4 {

namespace {

QRadioButton* makeOption(const char* name, QButtonGroup* group, int id, QWidget* parent) {
    auto* option = new QRadioButton(parent);
    option->setObjectName(name);
    group->addButton(option, id);
    return option;
}

void check(QButtonGroup* group, int id) {
    if (QAbstractButton* option = group->button(id)) {
        const QSignalBlocker quiet(option);
        option->setChecked(true);
    }
}

} // namespace

ConfigDialog::ConfigDialog(ConfigDialogModel& model, MessageTable& messages)
    : model_(model), messages_(messages), frcom_(new QGroupBox(this)), lbcom_(new QListWidget(frcom_)),
      protocolFrame_(new QGroupBox(this)), protocol_(new QButtonGroup(this)),
      languageFrame_(new QGroupBox(this)), language_(new QButtonGroup(this)), vcaFrame_(new QGroupBox(this)),
      powerOnLabel_(new QLabel(vcaFrame_)), powerOn_(new QButtonGroup(this)),
      slopeLabel_(new QLabel(vcaFrame_)), slislope_(new QSlider(Qt::Horizontal, vcaFrame_)),
      lblslope_(new QLabel(vcaFrame_)), confok_(new QPushButton(this)), confcncl_(new QPushButton(this)) {
    setObjectName("frmconfig");
    setModal(true);
    frcom_->setObjectName("frcom");
    lbcom_->setObjectName("lbcom");
    lbcom_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    opt4oct_ = makeOption("opt4oct", protocol_, 4, protocolFrame_);
    opt5oct_ = makeOption("opt5oct", protocol_, 5, protocolFrame_);
    optenglish_ = makeOption("optenglish", language_, kLanguageEnglish, languageFrame_);
    optfrancais_ = makeOption("optfrancais", language_, kLanguageFrench, languageFrame_);
    optvcamin_ = makeOption("optvcamin", powerOn_, static_cast<int>(VcaPowerOn::Min), vcaFrame_);
    optvcamax_ = makeOption("optvcamax", powerOn_, static_cast<int>(VcaPowerOn::Max), vcaFrame_);
    optvcamem_ = makeOption("optvcamem", powerOn_, static_cast<int>(VcaPowerOn::Mem), vcaFrame_);
    slislope_->setObjectName("slislope");
    slislope_->setRange(0, kSlopeMaximum);
    slislope_->setPageStep(1);
    slislope_->setTickPosition(QSlider::TicksBelow);
    slislope_->setTickInterval(1);
    lblslope_->setObjectName("lblslope");
    // Room for the longest slope text, so that the slider keeps still while it moves.
    lblslope_->setMinimumWidth(
        lblslope_->fontMetrics().horizontalAdvance(QString::fromStdString(slopeText(14))));
    confok_->setObjectName("confok");
    confok_->setDefault(true);
    confcncl_->setObjectName("confcncl");

    auto* portColumn = new QVBoxLayout(frcom_);
    portColumn->addWidget(lbcom_);
    auto* protocolColumn = new QVBoxLayout(protocolFrame_);
    protocolColumn->addWidget(opt4oct_);
    protocolColumn->addWidget(opt5oct_);
    auto* languageColumn = new QVBoxLayout(languageFrame_);
    languageColumn->addWidget(optenglish_);
    languageColumn->addWidget(optfrancais_);
    auto* choices = new QVBoxLayout;
    choices->addWidget(protocolFrame_);
    choices->addWidget(languageFrame_);
    choices->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(frcom_, 1);
    top->addLayout(choices);

    auto* vca = new QGridLayout(vcaFrame_);
    vca->addWidget(powerOnLabel_, 0, 0);
    auto* powerOnRow = new QHBoxLayout;
    powerOnRow->addWidget(optvcamin_);
    powerOnRow->addWidget(optvcamax_);
    powerOnRow->addWidget(optvcamem_);
    powerOnRow->addStretch(1);
    vca->addLayout(powerOnRow, 0, 1, 1, 2);
    vca->addWidget(slopeLabel_, 1, 0);
    vca->addWidget(slislope_, 1, 1);
    vca->addWidget(lblslope_, 1, 2);
    vca->setColumnStretch(1, 1);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(confok_, QDialogButtonBox::AcceptRole);
    buttons->addButton(confcncl_, QDialogButtonBox::RejectRole);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(vcaFrame_);
    layout->addWidget(buttons);

    connect(lbcom_, &QListWidget::currentRowChanged, this, [this](int row) { model_.lbcom_Click(row); });
    connect(protocol_, &QButtonGroup::idClicked, this, [this](int id) { model_.setProtocolChoice(id); });
    connect(language_, &QButtonGroup::idClicked, this, [this](int id) { model_.setLanguageChoice(id); });
    connect(powerOn_, &QButtonGroup::idClicked, this,
            [this](int id) { model_.setPowerOn(static_cast<VcaPowerOn>(id)); });
    connect(slislope_, &QSlider::valueChanged, this, [this](int value) { model_.slislope_Change(value); });
    connect(confok_, &QPushButton::clicked, this, [this] { model_.confok_Click(); });
    connect(confcncl_, &QPushButton::clicked, this, [this] { model_.confcncl_Click(); });
    redraw();
}

void ConfigDialog::configDialogChanged() {
    redraw();
}

void ConfigDialog::reject() {
    model_.confcncl_Click();
}

// In the language in force: the dialog follows a change of language made by its own OK. What the program
// computes (the port frame, the slope) comes from the model.
void ConfigDialog::drawCaptions() {
    auto caption = [this](int number) { return QString::fromStdString(messages_.text(number)); };
    setWindowTitle(caption(kCaptionSetUp));
    protocolFrame_->setTitle(caption(kCaptionProtocol));
    opt4oct_->setText(caption(kCaptionFourBytes));
    opt5oct_->setText(caption(kCaptionFiveBytes));
    languageFrame_->setTitle(caption(kCaptionLanguage));
    // Each language names itself.
    optenglish_->setText("English");
    optfrancais_->setText("Français");
    vcaFrame_->setTitle(caption(kCaptionMatrixVca));
    powerOnLabel_->setText(caption(kCaptionAtPowerOn));
    optvcamin_->setText(caption(kCaptionMinimum));
    optvcamax_->setText(caption(kCaptionMaximum));
    optvcamem_->setText(caption(kCaptionMemory));
    slopeLabel_->setText(caption(kCaptionSlope));
    confok_->setText(caption(kCaptionOk));
    confcncl_->setText(caption(kCaptionCancel));
}

void ConfigDialog::redraw() {
    drawCaptions();
    {
        const QSignalBlocker quiet(lbcom_);
        QStringList ports;
        for (const std::string& port : model_.lbcom())
            ports << QString::fromStdString(port);
        QStringList shown;
        for (int i = 0; i < lbcom_->count(); ++i)
            shown << lbcom_->item(i)->text();
        if (shown != ports) {
            lbcom_->clear();
            lbcom_->addItems(ports);
            // Every port in view: the operator sees all choices at once.
            const int rowHeight = std::max(lbcom_->sizeHintForRow(0), 0);
            lbcom_->setFixedHeight(rowHeight * lbcom_->count() + 2 * lbcom_->frameWidth());
        }
        lbcom_->setCurrentRow(model_.lbcomIndex());
    }
    frcom_->setTitle(QString::fromStdString(model_.frcom()));
    check(protocol_, model_.protocolChoice());
    check(language_, model_.languageChoice());
    check(powerOn_, static_cast<int>(model_.powerOn()));
    {
        const QSignalBlocker quiet(slislope_);
        slislope_->setValue(model_.slislope());
    }
    lblslope_->setText(QString::fromStdString(model_.lblslope()));
    if (!model_.visible())
        hide();
}

} // namespace rl4

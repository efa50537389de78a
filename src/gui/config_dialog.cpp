#include "gui/config_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QTreeWidget>
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
    portColumn->addStretch(1);
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
    top->addWidget(makePortMapFrame(), 4);
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

QWidget* ConfigDialog::makePortMapFrame() {
    frports_ = new QGroupBox(this);
    frports_->setObjectName("frports");
    lvports_ = new QTreeWidget(frports_);
    lvports_->setObjectName("lvports");
    lvports_->setRootIsDecorated(false);
    lvports_->setUniformRowHeights(true);
    lvports_->setColumnCount(4);
    lvports_->header()->setStretchLastSection(true);
    lblportnumber_ = new QLabel(frports_);
    lblportnumber_->setObjectName("lblportnumber");
    cbporttarget_ = new QComboBox(frports_);
    cbporttarget_->setObjectName("cbporttarget");
    cbporttarget_->setEditable(true);
    cbporttarget_->setInsertPolicy(QComboBox::NoInsert);
    cmdportmap_ = new QPushButton(frports_);
    cmdportmap_->setObjectName("cmdportmap");
    cmdportmap_->setAutoDefault(false);
    lblportmap_ = new QLabel(frports_);
    lblportmap_->setObjectName("lblportmap");
    lblportmap_->setWordWrap(true);
    // Room for a refusal with a long path, kept when empty, so that the dialog does not jump as messages
    // come.
    lblportmap_->setMinimumHeight(3 * lblportmap_->fontMetrics().lineSpacing());
    lblportmap_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    tmrports_ = new QTimer(this);
    tmrports_->setObjectName("tmrports");
    tmrports_->setInterval(PortMapModel::kRelistIntervalMs);

    auto* mapping = new QHBoxLayout;
    mapping->addWidget(lblportnumber_);
    mapping->addWidget(cbporttarget_, 1);
    mapping->addWidget(cmdportmap_);
    auto* column = new QVBoxLayout(frports_);
    column->addWidget(lvports_, 1);
    column->addLayout(mapping);
    column->addWidget(lblportmap_);

    PortMapModel* ports = model_.portMap();
    frports_->setVisible(ports != nullptr);
    if (ports == nullptr)
        return frports_;
    connect(lvports_, &QTreeWidget::currentItemChanged, this, [this, ports](QTreeWidgetItem* item) {
        if (item != nullptr)
            ports->rowClicked(lvports_->indexOfTopLevelItem(item));
    });
    connect(cbporttarget_, &QComboBox::editTextChanged, this,
            [ports](const QString& text) { ports->setTarget(text.toStdString()); });
    cbporttarget_->lineEdit()->installEventFilter(this);
    connect(cmdportmap_, &QPushButton::clicked, this, [ports] { ports->cmdportmap_Click(); });
    connect(tmrports_, &QTimer::timeout, this, [ports] { ports->relist(); });
    return frports_;
}

void ConfigDialog::configDialogChanged() {
    redraw();
}

void ConfigDialog::reject() {
    model_.confcncl_Click();
}

void ConfigDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (model_.portMap() != nullptr)
        tmrports_->start();
}

void ConfigDialog::hideEvent(QHideEvent* event) {
    tmrports_->stop();
    QDialog::hideEvent(event);
}

bool ConfigDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched != cbporttarget_->lineEdit() || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    if (PortMapModel* ports = model_.portMap())
        ports->cmdportmap_Click();
    return true;
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
    frports_->setTitle(caption(kCaptionPortMap));
    cmdportmap_->setText(caption(kCaptionMapPort));
    cbporttarget_->lineEdit()->setPlaceholderText(caption(kCaptionPortTargetHint));
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
    if (PortMapModel* ports = model_.portMap())
        drawPortMap(*ports);
    if (!model_.visible())
        hide();
}

// Every column and every port in view, so that the operator reads the map without scrolling; a long
// device name or many adapters still scroll rather than push the dialog off the screen.
void ConfigDialog::fitPortTable() {
    constexpr int kWidest = 900;
    constexpr int kMostRowsInView = 20;
    int width = 2 * lvports_->frameWidth() + lvports_->verticalScrollBar()->sizeHint().width();
    constexpr int kCellMargins = 12;
    for (int c = 0; c < lvports_->columnCount(); ++c) {
        lvports_->resizeColumnToContents(c);
        int widest = lvports_->header()->sectionSizeHint(c);
        for (int r = 0; r < lvports_->topLevelItemCount(); ++r)
            widest = std::max(widest,
                              lvports_->fontMetrics().horizontalAdvance(lvports_->topLevelItem(r)->text(c)) +
                                  kCellMargins);
        width += widest;
    }
    lvports_->setMinimumWidth(std::min(width, kWidest));
    const int rows = std::min(lvports_->topLevelItemCount(), kMostRowsInView);
    lvports_->setMinimumHeight(2 * lvports_->frameWidth() + lvports_->header()->sizeHint().height() +
                               rows * std::max(lvports_->sizeHintForRow(0), 0));
}

void ConfigDialog::drawPortMap(PortMapModel& ports) {
    const auto qt = [](const std::string& text) { return QString::fromStdString(text); };
    QStringList heading;
    for (const std::string& cell : ports.heading())
        heading << qt(cell);
    lvports_->setHeaderLabels(heading);
    {
        const QSignalBlocker quiet(lvports_);
        const std::vector<std::vector<std::string>> rows = ports.rows();
        bool same = static_cast<std::size_t>(lvports_->topLevelItemCount()) == rows.size();
        for (std::size_t r = 0; same && r < rows.size(); ++r) {
            const QTreeWidgetItem* item = lvports_->topLevelItem(static_cast<int>(r));
            for (std::size_t c = 0; same && c < rows[r].size(); ++c)
                same = item->text(static_cast<int>(c)) == qt(rows[r][c]);
        }
        if (!same) {
            lvports_->clear();
            for (const std::vector<std::string>& row : rows) {
                QStringList cells;
                for (const std::string& cell : row)
                    cells << qt(cell);
                lvports_->addTopLevelItem(new QTreeWidgetItem(cells));
            }
            fitPortTable();
        }
        lvports_->setCurrentItem(lvports_->topLevelItem(ports.chosenPort() - PortMap::kFirstMapped));
    }
    lblportnumber_->setText(qt(ports.chosenCaption()));
    {
        const QSignalBlocker quiet(cbporttarget_);
        QStringList found;
        for (const std::string& target : ports.foundTargets())
            found << qt(target);
        QStringList shown;
        for (int i = 0; i < cbporttarget_->count(); ++i)
            shown << cbporttarget_->itemText(i);
        if (shown != found) {
            cbporttarget_->clear();
            cbporttarget_->addItems(found);
        }
        if (cbporttarget_->currentText() != qt(ports.target()))
            cbporttarget_->setEditText(qt(ports.target()));
    }
    lblportmap_->setText(qt(ports.message()));
    lblportmap_->setStyleSheet(ports.messageIsProblem() ? "color: rgb(192, 0, 0)" : "");
}

} // namespace rl4

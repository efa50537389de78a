#include "gui/change_dialog.h"

#include "gui/qt_values.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace rl4 {

namespace {

// The character Enter types, as the boxes hand it to the model.
constexpr int kCharEnter = 13;

constexpr int kLayerCount = 4;
constexpr QSize kKeySize{30, 24};
constexpr int kKeySpacing = 3;
constexpr int kAdmittanceWidth = 240;
constexpr int kAdmittanceRowPixels = 22;
// The list entries put "used by" after the number and ten blanks: the label above says so there.
constexpr int kNumberColumnCharacters = 13;
constexpr int kBoxCharacters = 40;
constexpr int kPressedDarker = 120;

// The four layer lists in layer order, with the layer names the editor's columns use.
struct LayerBox {
    const char* name;
    const char* layer;
    ListBox ChangeDialogModel::*box;
    Layer id;
};

constexpr std::array<LayerBox, kLayerCount> kLayerBoxes{{
    {"cbvideoagn", "Video", &ChangeDialogModel::cbvideoagn, Layer::Video},
    {"cbaudioagn", "Audio", &ChangeDialogModel::cbaudioagn, Layer::Audio},
    {"cbrgbagn", "RGB", &ChangeDialogModel::cbrgbagn, Layer::Rgb},
    {"cbycagn", "YC-YUV", &ChangeDialogModel::cbycagn, Layer::Yc},
}};

// An entry chosen in the list of a layer.
void chooseConnector(ChangeDialogModel& model, Layer layer, int entry) {
    switch (layer) {
    case Layer::Video:
        model.cbvideoagn_Click(entry);
        return;
    case Layer::Audio:
        model.cbaudioagn_Click(entry);
        return;
    case Layer::Rgb:
        model.cbrgbagn_Click(entry);
        return;
    case Layer::Yc:
        model.cbycagn_Click(entry);
        return;
    }
}

QString keyStyle(const RgbColour& colour) {
    const QColor face = qtColour(colour);
    return QString("QPushButton { background-color: %1; color: black; border: 1px solid #6e6e6e;"
                   " border-radius: 3px; }"
                   "QPushButton:hover { border: 1px solid black; }"
                   "QPushButton:pressed { background-color: %2; }")
        .arg(face.name(), face.darker(kPressedDarker).name());
}

QComboBox* makeBox(const char* name, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumContentsLength(kBoxCharacters);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return box;
}

QLabel* makeLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    return label;
}

// A list is refilled only when its entries changed, so that an open drop-down is not emptied under the
// pointer; the box shows the model's text whatever the entry chosen last.
void drawBox(QComboBox* combo, const ListBox& box) {
    const QSignalBlocker quiet(combo);
    QStringList entries;
    for (const std::string& entry : box.entries)
        entries.append(text(entry));
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i)
        shown.append(combo->itemText(i));
    if (shown != entries) {
        combo->clear();
        combo->addItems(entries);
    }
    combo->setCurrentIndex(-1);
    combo->setEditText(text(box.text));
}

} // namespace

ChangeDialog::ChangeDialog(ChangeDialogModel& model, MessageTable& messages, QWidget* parent)
    : ModelDialog("frmchangeagn", parent), model_(model), lblobjet_(makeLabel("lblobjet", this)),
      lblnomagn_(makeLabel("lblnomagn", this)), cbnomagn_(makeBox("cbnomagn", this)),
      frchangeagn_(new QGroupBox(this)), lblfiche_(makeLabel("lblfiche", frchangeagn_)),
      lblusedvary_(makeLabel("lblusedvary", frchangeagn_)), layerLabels_{}, layerBoxes_{},
      keyboard_(new QGroupBox(this)), lbltouche_(makeLabel("lbltouche", keyboard_)),
      lblusedk_(makeLabel("lblusedk", keyboard_)), cbkeyagn_(makeBox("cbkeyagn", keyboard_)), key_{},
      frinputadmittance_(new QGroupBox(this)), lvinputadmittance_(new QTableWidget(frinputadmittance_)),
      cmdenadmit_(nullptr), cmddisadmit_(nullptr), validchangeagn_(nullptr), cancelchangeagn_(nullptr) {
    frchangeagn_->setObjectName("frchangeagn");
    frinputadmittance_->setObjectName("frinputadmittance");
    lvinputadmittance_->setObjectName("lvinputadmittance");
    for (int i = 0; i < kLayerCount; ++i) {
        const LayerBox& layer = kLayerBoxes[static_cast<std::size_t>(i)];
        layerLabels_[static_cast<std::size_t>(i)] = new QLabel(layer.layer, frchangeagn_);
        layerBoxes_[static_cast<std::size_t>(i)] = makeBox(layer.name, frchangeagn_);
    }
    for (int touch = 1; touch <= kKeyboardTouches; ++touch) {
        auto* button = new QPushButton(QString::number(touch), keyboard_);
        button->setObjectName("key");
        button->setProperty("touch", touch);
        button->setFixedSize(kKeySize);
        button->setAutoDefault(false);
        key_[static_cast<std::size_t>(touch - 1)] = button;
    }
    buildLayout(messages);
    connectControls();
    redraw();
}

void ChangeDialog::buildLayout(MessageTable& messages) {
    QFont bold = lblobjet_->font();
    bold.setBold(true);
    lblobjet_->setFont(bold);

    // The lists line their numbers and holders up in columns: a fixed-pitch font keeps them so.
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (QComboBox* box : layerBoxes_)
        box->setFont(fixed);
    cbkeyagn_->setFont(fixed);
    const int numberColumn = QFontMetrics(fixed).horizontalAdvance(QString(kNumberColumnCharacters, ' '));

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(lblnomagn_);
    nameRow->addWidget(cbnomagn_, 1);

    auto* connectors = new QGridLayout(frchangeagn_);
    lblfiche_->setMinimumWidth(numberColumn);
    auto* connectorHeads = new QHBoxLayout;
    connectorHeads->addWidget(lblfiche_);
    connectorHeads->addWidget(lblusedvary_, 1);
    connectors->addLayout(connectorHeads, 0, 1);
    for (int i = 0; i < kLayerCount; ++i) {
        connectors->addWidget(layerLabels_[static_cast<std::size_t>(i)], i + 1, 0);
        connectors->addWidget(layerBoxes_[static_cast<std::size_t>(i)], i + 1, 1);
    }
    connectors->setColumnStretch(1, 1);

    keyboard_->setTitle(caption(messages, kCaptionKeyboard));
    auto* touches = new QVBoxLayout(keyboard_);
    auto* touchHeads = new QHBoxLayout;
    lbltouche_->setMinimumWidth(numberColumn);
    touchHeads->addWidget(lbltouche_);
    touchHeads->addWidget(lblusedk_, 1);
    touches->addLayout(touchHeads);
    touches->addWidget(cbkeyagn_);
    auto* map = new QGridLayout;
    map->setSpacing(kKeySpacing);
    for (int t = 0; t < kKeyboardTouches; ++t)
        map->addWidget(key_[static_cast<std::size_t>(t)], t / kTouchMapColumns, t % kTouchMapColumns);
    touches->addLayout(map);

    cmdenadmit_ = makeButton("cmdenadmit", caption(messages, kCaptionAdmitAll), frinputadmittance_);
    cmddisadmit_ = makeButton("cmddisadmit", caption(messages, kCaptionAdmitNone), frinputadmittance_);
    lvinputadmittance_->setColumnCount(1);
    lvinputadmittance_->verticalHeader()->hide();
    lvinputadmittance_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lvinputadmittance_->verticalHeader()->setDefaultSectionSize(kAdmittanceRowPixels);
    lvinputadmittance_->horizontalHeader()->setStretchLastSection(true);
    lvinputadmittance_->horizontalHeader()->setHighlightSections(false);
    lvinputadmittance_->setShowGrid(false);
    lvinputadmittance_->setSelectionMode(QAbstractItemView::NoSelection);
    lvinputadmittance_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QPalette listColours = lvinputadmittance_->palette();
    listColours.setColor(QPalette::Base, qtColour(kAdmittanceBackground));
    listColours.setColor(QPalette::Text, Qt::black);
    lvinputadmittance_->setPalette(listColours);
    frinputadmittance_->setMinimumWidth(kAdmittanceWidth);
    auto* admittance = new QVBoxLayout(frinputadmittance_);
    admittance->addWidget(lvinputadmittance_, 1);
    auto* admitButtons = new QHBoxLayout;
    admitButtons->addWidget(cmdenadmit_);
    admitButtons->addWidget(cmddisadmit_);
    admittance->addLayout(admitButtons);

    auto* object = new QVBoxLayout;
    object->addWidget(frchangeagn_);
    object->addWidget(keyboard_);
    object->addStretch(1);
    auto* body = new QHBoxLayout;
    body->addLayout(object);
    body->addWidget(frinputadmittance_);

    validchangeagn_ = makeButton("validchangeagn", caption(messages, kCaptionOk), this);
    // Return confirms wherever the focus is, as it does in the boxes; the touch keys take only Space.
    validchangeagn_->setDefault(true);
    cancelchangeagn_ = makeButton("cancelchangeagn", caption(messages, kCaptionCancel), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(validchangeagn_);
    buttons->addWidget(cancelchangeagn_);

    auto* page = new QVBoxLayout(this);
    page->addWidget(lblobjet_);
    page->addLayout(nameRow);
    page->addLayout(body, 1);
    page->addLayout(buttons);
    page->setSizeConstraint(QLayout::SetFixedSize);
}

void ChangeDialog::connectControls() {
    connect(cbnomagn_, &QComboBox::editTextChanged, this,
            [this](const QString& typed) { model_.cbnomagn.text = typed.toStdString(); });
    connect(cbkeyagn_, &QComboBox::editTextChanged, this,
            [this](const QString& typed) { model_.cbkeyagn.text = typed.toStdString(); });
    connect(cbkeyagn_, &QComboBox::activated, this,
            [this](int entry) { forward([this, entry] { model_.cbkeyagn_Click(entry); }); });
    for (std::size_t i = 0; i < kLayerBoxes.size(); ++i) {
        const LayerBox* layer = &kLayerBoxes[i];
        connect(layerBoxes_[i], &QComboBox::editTextChanged, this,
                [this, layer](const QString& typed) { (model_.*layer->box).text = typed.toStdString(); });
        connect(layerBoxes_[i], &QComboBox::activated, this, [this, layer](int entry) {
            forward([this, layer, entry] { chooseConnector(model_, layer->id, entry); });
        });
    }
    for (QComboBox* box :
         {cbnomagn_, layerBoxes_[0], layerBoxes_[1], layerBoxes_[2], layerBoxes_[3], cbkeyagn_})
        box->lineEdit()->installEventFilter(this);
    for (int touch = 1; touch <= kKeyboardTouches; ++touch) {
        connect(key_[static_cast<std::size_t>(touch - 1)], &QPushButton::clicked, this,
                [this, touch] { forward([this, touch] { model_.key_Click(touch); }); });
    }
    connect(lvinputadmittance_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        const auto row = static_cast<std::size_t>(item->row());
        if (row < model_.lvinputadmittance.size())
            model_.lvinputadmittance[row].checked = item->checkState() == Qt::Checked;
    });
    connect(cmdenadmit_, &QPushButton::clicked, this,
            [this] { forward([this] { model_.cmdenadmit_Click(); }); });
    connect(cmddisadmit_, &QPushButton::clicked, this,
            [this] { forward([this] { model_.cmddisadmit_Click(); }); });
    connect(validchangeagn_, &QPushButton::clicked, this,
            [this] { forward([this] { model_.validchangeagn_Click(); }); });
    connect(cancelchangeagn_, &QPushButton::clicked, this,
            [this] { forward([this] { model_.cancelchangeagn_Click(); }); });
}

void ChangeDialog::redraw() {
    setWindowTitle(text(model_.caption));
    lblobjet_->setText(text(model_.lblobjet));
    lblnomagn_->setText(text(model_.lblnomagn));
    lblfiche_->setText(text(model_.lblfiche));
    lblusedvary_->setText(text(model_.lblusedvary));
    lbltouche_->setText(text(model_.lbltouche));
    lblusedk_->setText(text(model_.lblusedk));
    frchangeagn_->setTitle(text(model_.frchangeagn));
    frchangeagn_->setVisible(model_.connectorsVisible);
    // A special function's name is fixed: its box only shows it.
    cbnomagn_->setEnabled(model_.editorView() != kSpecialsView);

    drawBox(cbnomagn_, model_.cbnomagn);
    for (std::size_t i = 0; i < kLayerBoxes.size(); ++i)
        drawBox(layerBoxes_[i], model_.*kLayerBoxes[i].box);
    drawBox(cbkeyagn_, model_.cbkeyagn);
    for (std::size_t t = 0; t < key_.size(); ++t) {
        const QString style = keyStyle(model_.key[t].colour);
        if (key_[t]->styleSheet() != style)
            key_[t]->setStyleSheet(style);
        key_[t]->setToolTip(text(model_.key[t].hint));
    }

    frinputadmittance_->setVisible(model_.admittanceVisible);
    redrawAdmittance();
}

void ChangeDialog::redrawAdmittance() {
    const QSignalBlocker quiet(lvinputadmittance_);
    lvinputadmittance_->setHorizontalHeaderLabels({text(model_.admittanceColumn)});
    const std::vector<AdmittanceRow>& rows = model_.lvinputadmittance;
    lvinputadmittance_->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < lvinputadmittance_->rowCount(); ++row) {
        const AdmittanceRow& model = rows[static_cast<std::size_t>(row)];
        QTableWidgetItem* cell = lvinputadmittance_->item(row, 0);
        if (cell == nullptr) {
            cell = new QTableWidgetItem;
            cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            cell->setBackground(qtColour(kAdmittanceBackground));
            lvinputadmittance_->setItem(row, 0, cell);
        }
        cell->setText(text(model.name));
        cell->setCheckState(model.checked ? Qt::Checked : Qt::Unchecked);
    }
}

// Enter in any of the boxes is OK.
bool ChangeDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<const QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            forward([this] { model_.boxKeyPress(kCharEnter); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace rl4

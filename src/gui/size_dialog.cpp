#include "gui/size_dialog.h"

#include "gui/qt_values.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace rl4 {

namespace {

constexpr int kNumberWidth = 56;
constexpr int kPrefixWidth = 120;
constexpr int kLabelPadding = 3;
constexpr int kSectionSpacing = 10;
// The question asking for a layer's number of inputs, Video first.
constexpr int kMessageInputsHint = 63;

using Field = std::string SizeDialogModel::*;

// One row of the dialog per layer: its label, which chooses the separate naming, and its four fields.
struct LayerRow {
    const char* label;
    const char* layer;
    std::array<const char*, 4> names;
    std::array<Field, 4> fields;
};

constexpr std::array<LayerRow, 4> kLayerRows{{
    {"lblsizevideo",
     "Video",
     {"edsizeinvideonumber", "edsizeoutvideonumber", "edsizeinvradix", "edsizeoutvradix"},
     {&SizeDialogModel::edsizeinvideonumber, &SizeDialogModel::edsizeoutvideonumber,
      &SizeDialogModel::edsizeinvradix, &SizeDialogModel::edsizeoutvradix}},
    {"lblsizeaudio",
     "Audio",
     {"edsizeinaudionumber", "edsizeoutaudionumber", "edsizeinaradix", "edsizeoutaradix"},
     {&SizeDialogModel::edsizeinaudionumber, &SizeDialogModel::edsizeoutaudionumber,
      &SizeDialogModel::edsizeinaradix, &SizeDialogModel::edsizeoutaradix}},
    {"lblsizergb",
     "RGB",
     {"edsizeinrgbnumber", "edsizeoutrgbnumber", "edsizeinrradix", "edsizeoutrradix"},
     {&SizeDialogModel::edsizeinrgbnumber, &SizeDialogModel::edsizeoutrgbnumber,
      &SizeDialogModel::edsizeinrradix, &SizeDialogModel::edsizeoutrradix}},
    {"lblsizeyc",
     "YC-YUV",
     {"edsizeinycnumber", "edsizeoutycnumber", "edsizeinyradix", "edsizeoutyradix"},
     {&SizeDialogModel::edsizeinycnumber, &SizeDialogModel::edsizeoutycnumber,
      &SizeDialogModel::edsizeinyradix, &SizeDialogModel::edsizeoutyradix}},
}};

// A click on the label of a layer, Video first.
void clickLayerLabel(SizeDialogModel& model, std::size_t layer) {
    switch (layer) {
    case 0:
        model.lblsizevideo_Click();
        return;
    case 1:
        model.lblsizeaudio_Click();
        return;
    case 2:
        model.lblsizergb_Click();
        return;
    default:
        model.lblsizeyc_Click();
        return;
    }
}

// The number fields come first in a row, the prefixes after them.
constexpr int kFirstPrefix = 2;

constexpr std::array<const char*, 2> kGlobalNames{"edsizeinglobal", "edsizeoutglobal"};
constexpr std::array<Field, 2> kGlobalFields{&SizeDialogModel::edsizeinglobal,
                                             &SizeDialogModel::edsizeoutglobal};

constexpr std::array<const char*, 4> kCheckNames{"chkorigin", "chkdisconnect", "chkalldest", "chkclavier"};
constexpr std::array kCheckCaptions{kCaptionNumbersFromOne, kCaptionAddDisconnect, kCaptionAddAllDest,
                                    kCaptionConsecutiveTouches};
constexpr std::array<bool SizeDialogModel::*, 4> kChecks{
    &SizeDialogModel::chkorigin, &SizeDialogModel::chkdisconnect, &SizeDialogModel::chkalldest,
    &SizeDialogModel::chkclavier};

QLineEdit* makeField(const char* name, bool number, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    if (number) {
        field->setFixedWidth(kNumberWidth);
        field->setAlignment(Qt::AlignRight);
    } else {
        field->setMinimumWidth(kPrefixWidth);
    }
    return field;
}

QLabel* makeLayerLabel(const char* name, const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setAutoFillBackground(true);
    label->setMargin(kLabelPadding);
    label->setFrameShape(QFrame::StyledPanel);
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

void paintKeyLabel(QLabel* label, const RgbColour& colour) {
    QPalette colours = label->palette();
    colours.setColor(QPalette::Window, QColor(colour.red, colour.green, colour.blue));
    colours.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(colours);
}

void showText(QLineEdit* field, const std::string& value) {
    if (field->text() != text(value)) {
        const QSignalBlocker quiet(field);
        field->setText(text(value));
    }
}

} // namespace

SizeDialog::SizeDialog(SizeDialogModel& model, MessageTable& messages, QWidget* parent)
    : ModelDialog("frmsize", parent), model_(model), layerFields_{}, globalFields_{}, layerLabels_{},
      lblsizeglobal_(nullptr), optradixglobal_(new QRadioButton(this)),
      optradixseparate_(new QRadioButton(this)), checks_{},
      cmdsizecreate_(makeButton("cmdsizecreate", caption(messages, kCaptionCreate), this)),
      cmdsizecancel_(makeButton("cmdsizecancel", caption(messages, kCaptionCancel), this)) {
    optradixglobal_->setObjectName("optradixglobal");
    optradixseparate_->setObjectName("optradixseparate");
    buildLayout(messages);

    for (std::size_t layer = 0; layer < kLayerRows.size(); ++layer) {
        const LayerRow& row = kLayerRows[layer];
        for (std::size_t column = 0; column < row.fields.size(); ++column) {
            const Field field = row.fields[column];
            connect(layerFields_[layer][column], &QLineEdit::textEdited, this,
                    [this, field](const QString& typed) { model_.*field = typed.toStdString(); });
        }
    }
    for (std::size_t i = 0; i < kGlobalFields.size(); ++i) {
        const Field field = kGlobalFields[i];
        connect(globalFields_[i], &QLineEdit::textEdited, this,
                [this, field](const QString& typed) { model_.*field = typed.toStdString(); });
    }
    for (std::size_t i = 0; i < kChecks.size(); ++i) {
        bool SizeDialogModel::*flag = kChecks[i];
        connect(checks_[i], &QCheckBox::clicked, this,
                [this, flag](bool checked) { forward([this, flag, checked] { model_.*flag = checked; }); });
    }
    connect(optradixglobal_, &QRadioButton::clicked, this,
            [this] { forward([this] { model_.optradixglobal_Click(); }); });
    connect(optradixseparate_, &QRadioButton::clicked, this,
            [this] { forward([this] { model_.optradixseparate_Click(); }); });
    connect(cmdsizecreate_, &QPushButton::clicked, this,
            [this] { forward([this] { model_.cmdsizecreate_Click(); }); });
    connect(cmdsizecancel_, &QPushButton::clicked, this,
            [this] { forward([this] { model_.cmdsizecancel_Click(); }); });
    redraw();
}

void SizeDialog::buildLayout(MessageTable& messages) {
    setWindowTitle(caption(messages, kCaptionSize));

    auto* sizes = new QGridLayout;
    const std::array<int, kFieldColumns> heads{kCaptionInputs, kCaptionOutputs, kCaptionInputNames,
                                               kCaptionOutputNames};
    for (int column = 0; column < kFieldColumns; ++column) {
        // The numbers stand right-aligned under a centred heading, the prefixes under a heading of their own.
        auto* head = new QLabel(caption(messages, heads[static_cast<std::size_t>(column)]), this);
        head->setAlignment(column < kFirstPrefix ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        sizes->addWidget(head, 0, column + 1);
    }
    for (std::size_t layer = 0; layer < kLayerRows.size(); ++layer) {
        const LayerRow& row = kLayerRows[layer];
        const int line = static_cast<int>(layer) + 1;
        layerLabels_[layer] = makeLayerLabel(row.label, row.layer, this);
        layerLabels_[layer]->installEventFilter(this);
        sizes->addWidget(layerLabels_[layer], line, 0);
        for (std::size_t column = 0; column < row.names.size(); ++column) {
            QLineEdit* field = makeField(row.names[column], column < kFirstPrefix, this);
            layerFields_[layer][column] = field;
            sizes->addWidget(field, line, static_cast<int>(column) + 1);
        }
        layerFields_[layer][0]->setToolTip(text(messages.text(kMessageInputsHint + static_cast<int>(layer))));
    }
    const int globalLine = static_cast<int>(kLayerRows.size()) + 1;
    lblsizeglobal_ = makeLayerLabel("lblsizeglobal", caption(messages, kCaptionAllLayers), this);
    lblsizeglobal_->installEventFilter(this);
    sizes->addWidget(lblsizeglobal_, globalLine, 0);
    for (std::size_t i = 0; i < kGlobalNames.size(); ++i) {
        globalFields_[i] = makeField(kGlobalNames[i], false, this);
        sizes->addWidget(globalFields_[i], globalLine, kFirstPrefix + static_cast<int>(i) + 1);
    }

    optradixglobal_->setText(caption(messages, kCaptionNamingGlobal));
    optradixseparate_->setText(caption(messages, kCaptionNamingSeparate));
    auto* naming = new QGroupBox(caption(messages, kCaptionNaming), this);
    auto* namingColumn = new QVBoxLayout(naming);
    namingColumn->addWidget(optradixglobal_);
    namingColumn->addWidget(optradixseparate_);
    namingColumn->addStretch(1);

    auto* options = new QGroupBox(caption(messages, kCaptionOptions), this);
    auto* optionsColumn = new QVBoxLayout(options);
    for (std::size_t i = 0; i < kCheckNames.size(); ++i) {
        checks_[i] = new QCheckBox(caption(messages, kCheckCaptions[i]), options);
        checks_[i]->setObjectName(kCheckNames[i]);
        optionsColumn->addWidget(checks_[i]);
    }

    auto* choices = new QHBoxLayout;
    choices->addWidget(naming, 1);
    choices->addWidget(options, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdsizecreate_);
    buttons->addWidget(cmdsizecancel_);

    auto* page = new QVBoxLayout(this);
    page->setSpacing(kSectionSpacing);
    page->addLayout(sizes);
    page->addLayout(choices);
    page->addLayout(buttons);
    page->setSizeConstraint(QLayout::SetFixedSize);
}

void SizeDialog::redraw() {
    const std::array<RgbColour, kLayers>& colours = model_.layerLabelColours();
    for (std::size_t layer = 0; layer < kLayerRows.size(); ++layer) {
        const LayerRow& row = kLayerRows[layer];
        for (std::size_t column = 0; column < row.fields.size(); ++column) {
            QLineEdit* field = layerFields_[layer][column];
            showText(field, model_.*row.fields[column]);
            if (column >= kFirstPrefix)
                field->setEnabled(model_.layerPrefixesEnabled());
        }
        paintKeyLabel(layerLabels_[layer], colours[layer]);
    }
    for (std::size_t i = 0; i < kGlobalFields.size(); ++i) {
        showText(globalFields_[i], model_.*kGlobalFields[i]);
        globalFields_[i]->setEnabled(model_.globalPrefixesEnabled());
    }
    paintKeyLabel(lblsizeglobal_, model_.globalLabelColour());
    {
        const QSignalBlocker quietGlobal(optradixglobal_);
        const QSignalBlocker quietSeparate(optradixseparate_);
        optradixglobal_->setChecked(model_.naming() == NamingMode::Global);
        optradixseparate_->setChecked(model_.naming() == NamingMode::Separate);
    }
    for (std::size_t i = 0; i < kChecks.size(); ++i) {
        const QSignalBlocker quiet(checks_[i]);
        checks_[i]->setChecked(model_.*kChecks[i]);
    }
}

bool SizeDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == lblsizeglobal_) {
            forward([this] { model_.lblsizeglobal_Click(); });
            return true;
        }
        for (std::size_t layer = 0; layer < kLayerRows.size(); ++layer) {
            if (watched == layerLabels_[layer]) {
                forward([this, layer] { clickLayerLabel(model_, layer); });
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace rl4

#include "gui/matrix_info_window.h"

#include "engine/menu_ids.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace rl4 {

namespace {

constexpr int kMinimumWidth = 460;
constexpr int kLineSpacing = 6;

// The labels from top to bottom: the matrix and the link first, then what the assignment and files hold.
constexpr std::array<const char*, 9> kLabelNames{
    "lblinfoserial", "lblinfoport", "lblinfoprotocol", "lblinfolink",   "lblinfosize",
    "lblinfoplan",   "lblinfoagn",  "lblinfocnx",      "lblinfoupdate",
};

QString infoCaption(int language) {
    return language == kLanguageFrench ? "Information Matrice" : "Matrix Info";
}

QString closeCaption(int language) {
    return language == kLanguageFrench ? "Fermer" : "Close";
}

} // namespace

MatrixInfoWindow::MatrixInfoWindow(const MatrixInfo& info, MessageTable& messages)
    : info_(info), messages_(messages), close_(new QPushButton(this)) {
    setObjectName("frmmatrixinfo");
    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    auto* lines = new QVBoxLayout(panel);
    lines->setSpacing(kLineSpacing);
    for (std::size_t i = 0; i < kLabelNames.size(); ++i) {
        auto* label = new QLabel(panel);
        label->setObjectName(kLabelNames[i]);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        labels_[i] = label;
        lines->addWidget(label);
    }
    auto* layout = new QVBoxLayout(this);
    // A floor, not a fixed width: a minimum width set on a widget would keep the layout from widening it
    // for longer labels (file paths, the French texts).
    layout->addSpacerItem(new QSpacerItem(kMinimumWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed));
    layout->addWidget(panel);
    close_->setObjectName("cmdinfoclose");
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(close_, QDialogButtonBox::RejectRole);
    layout->addStretch(1);
    layout->addWidget(buttons);
    connect(close_, &QPushButton::clicked, this, &QWidget::close);
    redraw();
}

void MatrixInfoWindow::windowRequested(int menuId) {
    if (menuId == menu_id::kMatrixInfo)
        redraw();
}

void MatrixInfoWindow::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel))
        close();
    else
        QWidget::keyPressEvent(event);
}

void MatrixInfoWindow::redraw() {
    const int language = messages_.language();
    setWindowTitle(infoCaption(language));
    close_->setText(closeCaption(language));
    const std::array<const std::string*, 9> texts{
        &info_.lblinfoserial, &info_.lblinfoport, &info_.lblinfoprotocol,
        &info_.lblinfolink,   &info_.lblinfosize, &info_.lblinfoplan,
        &info_.lblinfoagn,    &info_.lblinfocnx,  &info_.lblinfoupdate,
    };
    for (std::size_t i = 0; i < texts.size(); ++i)
        labels_[i]->setText(QString::fromStdString(*texts[i]));
}

} // namespace rl4

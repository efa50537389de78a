#include "gui/model_dialog.h"

#include <QPushButton>

namespace rl4 {

ModelDialog::ModelDialog(const char* name, QWidget* parent) : QDialog(parent) {
    setObjectName(name);
    setModal(true);
}

void ModelDialog::reject() {
    if (modelOpen())
        forward([this] { cancel(); });
    else
        QDialog::reject();
}

QPushButton* ModelDialog::makeButton(const char* name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace rl4

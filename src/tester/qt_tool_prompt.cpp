#include "tester/qt_tool_prompt.h"

#include "tester/protocol_tool.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <iostream>

namespace rl4::tester {

int QtToolPrompt::show(QDialog& box) {
    open_.push_back(&box);
    const int result = box.exec();
    open_.erase(std::find(open_.begin(), open_.end(), &box));
    return result;
}

void QtToolPrompt::messageBox(const std::string& text) {
    if (stopped_) {
        std::cerr << text << '\n';
        return;
    }
    QMessageBox box(QMessageBox::Warning, ProtocolTool::kTitle, QString::fromStdString(text), QMessageBox::Ok,
                    parent_);
    show(box);
}

int QtToolPrompt::choiceBox(const std::string& promptAndButtons, int defaultButton) {
    const QStringList parts = QString::fromStdString(promptAndButtons).split('|');
    const int buttons = static_cast<int>(parts.size()) - 1;
    if (stopped_)
        return buttons;
    QDialog box(parent_);
    box.setObjectName("choicebox");
    box.setWindowTitle(ProtocolTool::kTitle);
    auto* layout = new QVBoxLayout(&box);
    layout->addWidget(new QLabel(parts.front(), &box));
    auto* row = new QHBoxLayout;
    layout->addLayout(row);
    for (int n = 1; n <= buttons; ++n) {
        auto* button = new QPushButton(parts[n], &box);
        button->setObjectName(parts[n]);
        button->setAutoDefault(false);
        button->setDefault(n == defaultButton);
        QObject::connect(button, &QPushButton::clicked, &box, [&box, n] { box.done(n); });
        row->addWidget(button);
    }
    const int chosen = show(box);
    return chosen >= 1 && chosen <= buttons ? chosen : buttons;
}

void QtToolPrompt::stopAsking() {
    stopped_ = true;
    // Each box leaves its own event loop once this event handler has returned.
    for (QDialog* box : open_)
        box->reject();
}

} // namespace rl4::tester

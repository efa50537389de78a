#include "tester/qt_tool_prompt.h"

#include "tester/protocol_tool.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace rl4::tester {

void QtToolPrompt::messageBox(const std::string& text) {
    QMessageBox box(QMessageBox::Warning, ProtocolTool::kTitle, QString::fromStdString(text), QMessageBox::Ok,
                    parent_);
    box.exec();
}

int QtToolPrompt::choiceBox(const std::string& promptAndButtons, int defaultButton) {
    const QStringList parts = QString::fromStdString(promptAndButtons).split('|');
    QDialog box(parent_);
    box.setObjectName("choicebox");
    box.setWindowTitle(ProtocolTool::kTitle);
    auto* layout = new QVBoxLayout(&box);
    layout->addWidget(new QLabel(parts.front(), &box));
    auto* row = new QHBoxLayout;
    layout->addLayout(row);
    const int buttons = static_cast<int>(parts.size()) - 1;
    for (int n = 1; n <= buttons; ++n) {
        auto* button = new QPushButton(parts[n], &box);
        button->setObjectName(parts[n]);
        button->setAutoDefault(false);
        button->setDefault(n == defaultButton);
        QObject::connect(button, &QPushButton::clicked, &box, [&box, n] { box.done(n); });
        row->addWidget(button);
    }
    const int chosen = box.exec();
    return chosen >= 1 && chosen <= buttons ? chosen : buttons;
}

} // namespace rl4::tester

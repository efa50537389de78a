#include "gui/qt_prompt.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <iostream>

namespace rl4 {

namespace {

// A box the program gives no title carries the program's name, as the operator knows it.

QString boxTitle(const std::string& title) {
    return QString::fromStdString(title.empty() ? std::string(kProgramTitle) : title);
}

QMessageBox::Icon boxIcon(PromptIcon icon) {
    switch (icon) {
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::Exclamation:
        return QMessageBox::Warning;
    case PromptIcon::Critical:
        return QMessageBox::Critical;
    case PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Escape and the close box answer the last button, where the program puts "Cancel"; they are told apart
// from a press on it all the same, for a question whose buttons are all answers (the language).
class ChoiceMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

    bool dismissed() const { return dismissed_; }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Cancel))
            dismissed_ = true;
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        if (clickedButton() == nullptr)
            dismissed_ = true;
        QMessageBox::closeEvent(event);
    }

private:
    bool dismissed_ = false;
};

std::string runFileDialog(QFileDialog::AcceptMode mode, const std::string& title, const std::string& filter,
                          const std::string& defaultExtension, const std::string& initialPath) {
    QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(title));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilter(qtFileFilter(filter));
    dialog.setDefaultSuffix(QString::fromStdString(defaultExtension));
    if (!initialPath.empty())
        dialog.selectFile(QString::fromStdString(initialPath));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return "";
    return dialog.selectedFiles().constFirst().toStdString();
}

} // namespace

QString qtFileFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList pairs;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        pairs.append(parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")");
    return pairs.join(";;");
}

int QtPrompt::messageBox(const std::string& text, PromptButtons buttons, const std::string& title,
                         PromptIcon icon) {
    // The session's log (a service's journal, the desktop's error file) is where someone may read it later.
    if (unattended()) {
        std::cerr << boxTitle(title).toStdString() << ": " << text << '\n';
        return closedAnswer(buttons);
    }
    QMessageBox box(boxIcon(icon), boxTitle(title), QString::fromStdString(text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    switch (buttons) {
    case PromptButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case PromptButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case PromptButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case PromptButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Cancel:
        return kAnswerCancel;
    case QMessageBox::Yes:
        return kAnswerYes;
    case QMessageBox::No:
        return kAnswerNo;
    default:
        return kAnswerOk;
    }
}

int QtPrompt::choiceBox(const std::string& promptAndButtons, const std::string& title, int defaultButton,
                        PromptIcon icon) {
    if (unattended())
        return kChoiceDismissed;
    const QStringList parts = QString::fromStdString(promptAndButtons).split('|');
    ChoiceMessageBox box(boxIcon(icon), boxTitle(title), parts.constFirst(), QMessageBox::NoButton,
                         QApplication::activeWindow());
    QList<QAbstractButton*> choices;
    for (qsizetype i = 1; i < parts.size(); ++i)
        choices.append(box.addButton(parts[i], QMessageBox::AcceptRole));
    if (defaultButton >= 1 && defaultButton <= choices.size())
        box.setDefaultButton(qobject_cast<QPushButton*>(choices[defaultButton - 1]));
    // Without an escape button the box could not be closed at all.
    if (!choices.isEmpty())
        box.setEscapeButton(choices.constLast());
    box.exec();
    const qsizetype chosen = choices.indexOf(box.clickedButton());
    return box.dismissed() || chosen < 0 ? kChoiceDismissed : static_cast<int>(chosen + 1);
}

std::string QtPrompt::openFileDialog(const std::string& title, const std::string& filter,
                                     const std::string& defaultExtension, const std::string& initialPath) {
    if (unattended())
        return "";
    return runFileDialog(QFileDialog::AcceptOpen, title, filter, defaultExtension, initialPath);
}

std::string QtPrompt::saveFileDialog(const std::string& title, const std::string& filter,
                                     const std::string& defaultExtension, const std::string& initialPath) {
    if (unattended())
        return "";
    return runFileDialog(QFileDialog::AcceptSave, title, filter, defaultExtension, initialPath);
}

} // namespace rl4

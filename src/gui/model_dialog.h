#pragma once

#include <QDialog>
#include <QString>

class QPushButton;

namespace rl4 {

// What the assignment editor's modal dialogs share: each draws a model and hands the operator's actions to
// it. After an action the dialog is drawn again while its model stays open; the model closes it, through
// the editor. Escape and the window's close button are the model's Cancel.
class ModelDialog : public QDialog {
    Q_OBJECT

public:
    // `name` is the dialog's objectName, the name the program gives the window.
    ModelDialog(const char* name, QWidget* parent);

signals:
    // An operator action went to the model: what it changed outside the dialog (the editor's list, once the
    // dialog closes) is to be drawn again.
    void forwarded();

protected:
    template <typename Call>
    void forward(Call call) {
        call();
        if (modelOpen())
            redraw();
        emit forwarded();
    }

    void reject() override;

    // A push button that Enter does not press unless it is made the default.
    static QPushButton* makeButton(const char* name, const QString& caption, QWidget* parent);

private:
    virtual bool modelOpen() const = 0;
    // The model's Cancel.
    virtual void cancel() = 0;
    virtual void redraw() = 0;
};

} // namespace rl4

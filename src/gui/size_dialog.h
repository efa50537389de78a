#pragma once

#include "assign/size_dialog_model.h"
#include "text/message_table.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace rl4 {

// The matrix size dialog `frmsize`, modal over the editor: inputs, outputs and name prefixes per layer, the
// common prefixes, the naming mode (`optradixglobal`, `optradixseparate`, and a click on a layer label or
// on `lblsizeglobal`), the check boxes `chkorigin`, `chkdisconnect`, `chkalldest`, `chkclavier`, and
// `cmdsizecreate` / `cmdsizecancel`. It draws the SizeDialogModel, writes back what the operator types and
// forwards every click; the model closes it, through the editor.
class SizeDialog : public QDialog {
    Q_OBJECT

public:
    SizeDialog(SizeDialogModel& model, MessageTable& messages, QWidget* parent);

signals:
    // An operator action went to the model: what it changed outside the dialog (the editor's list, once the
    // dialog closes) is to be drawn again.
    void forwarded();

protected:
    // Escape and the window's close button are Cancel.
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int kLayers = 4;
    static constexpr int kFieldColumns = 4;

    template <typename Call>
    void forward(Call call);

    void buildLayout(MessageTable& messages);
    void redraw();

    SizeDialogModel& model_;
    // Inputs, outputs, input prefix and output prefix of each layer.
    std::array<std::array<QLineEdit*, kFieldColumns>, kLayers> layerFields_;
    std::array<QLineEdit*, 2> globalFields_;
    std::array<QLabel*, kLayers> layerLabels_;
    QLabel* lblsizeglobal_;
    QRadioButton* optradixglobal_;
    QRadioButton* optradixseparate_;
    std::array<QCheckBox*, 4> checks_;
    QPushButton* cmdsizecreate_;
    QPushButton* cmdsizecancel_;
};

} // namespace rl4

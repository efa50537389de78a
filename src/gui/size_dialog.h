#pragma once

#include "assign/size_dialog_model.h"
#include "gui/model_dialog.h"
#include "text/message_table.h"

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
class SizeDialog : public ModelDialog {
    Q_OBJECT

public:
    SizeDialog(SizeDialogModel& model, MessageTable& messages, QWidget* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int kLayers = 4;
    static constexpr int kFieldColumns = 4;

    bool modelOpen() const override { return model_.isOpen(); }
    void cancel() override { model_.cmdsizecancel_Click(); }
    void redraw() override;

    void buildLayout(MessageTable& messages);

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

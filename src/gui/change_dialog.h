#pragma once

#include "assign/change_dialog_model.h"
#include "gui/model_dialog.h"
#include "text/message_table.h"

#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace rl4 {

// The object change dialog `frmchangeagn`, modal over the editor: the name box `cbnomagn`, the layer lists
// `cbvideoagn`, `cbaudioagn`, `cbrgbagn`, `cbycagn` in the frame `frchangeagn`, the touch list `cbkeyagn`
// with the 4 x 16 touch map `key`, the admittance list `lvinputadmittance` of a destination in the frame
// `frinputadmittance`, OK `validchangeagn` and Cancel `cancelchangeagn`. It draws the ChangeDialogModel,
// writes back what the operator types and forwards every choice; the model closes it, through the editor.
class ChangeDialog : public ModelDialog {
    Q_OBJECT

public:
    ChangeDialog(ChangeDialogModel& model, MessageTable& messages, QWidget* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool modelOpen() const override { return model_.isOpen(); }
    void cancel() override { model_.cancelchangeagn_Click(); }
    void redraw() override;

    void buildLayout(MessageTable& messages);
    void connectControls();
    void redrawAdmittance();

    ChangeDialogModel& model_;
    QLabel* lblobjet_;
    QLabel* lblnomagn_;
    QComboBox* cbnomagn_;
    QGroupBox* frchangeagn_;
    QLabel* lblfiche_;
    QLabel* lblusedvary_;
    std::array<QLabel*, 4> layerLabels_;
    std::array<QComboBox*, 4> layerBoxes_;
    QGroupBox* keyboard_;
    QLabel* lbltouche_;
    QLabel* lblusedk_;
    QComboBox* cbkeyagn_;
    std::array<QPushButton*, kKeyboardTouches> key_;
    QGroupBox* frinputadmittance_;
    QTableWidget* lvinputadmittance_;
    QPushButton* cmdenadmit_;
    QPushButton* cmddisadmit_;
    QPushButton* validchangeagn_;
    QPushButton* cancelchangeagn_;
};

} // namespace rl4

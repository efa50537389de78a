#pragma once

#include "engine/engine_listener.h"
#include "sheet/config_dialog_model.h"
#include "text/message_table.h"

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSlider;
class QTimer;
class QTreeWidget;

namespace rl4 {

// The configuration dialog `frmconfig`, modal: the port list `lbcom` in the frame `frcom` that names the
// selected port, the protocol length (`opt4oct`, `opt5oct`), the language (`optenglish`, `optfrancais`),
// the matrix's VCA power-on mode (`optvcamin`, `optvcamax`, `optvcamem`) and slope (`slislope`, shown by
// `lblslope`), and the buttons `confok` and `confcncl`. It draws the ConfigDialogModel, which shows and
// closes it; a port picked in the list is opened at once. Beside the port list, the frame `frports` draws
// the PortMapModel: the table `lvports`, the port to map (`lblportnumber`), its target (`cbporttarget`,
// the found devices or a typed address), the button `cmdportmap` and the outcome `lblportmap`; the timer
// `tmrports` lists the devices again while the dialog is open.
class ConfigDialog : public QDialog, public EngineListener {
    Q_OBJECT

public:
    ConfigDialog(ConfigDialogModel& model, MessageTable& messages);

    void configDialogChanged() override;
    // Escape and the close box cancel, as `confcncl` does.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Enter in the target field maps the port rather than confirming the dialog.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void redraw();
    void drawCaptions();
    QWidget* makePortMapFrame();
    void drawPortMap(PortMapModel& ports);
    void fitPortTable();

    ConfigDialogModel& model_;
    MessageTable& messages_;
    QGroupBox* frcom_;
    QListWidget* lbcom_;
    QGroupBox* protocolFrame_;
    QRadioButton* opt4oct_;
    QRadioButton* opt5oct_;
    QButtonGroup* protocol_;
    QGroupBox* languageFrame_;
    QRadioButton* optenglish_;
    QRadioButton* optfrancais_;
    QButtonGroup* language_;
    QGroupBox* vcaFrame_;
    QLabel* powerOnLabel_;
    QRadioButton* optvcamin_;
    QRadioButton* optvcamax_;
    QRadioButton* optvcamem_;
    QButtonGroup* powerOn_;
    QLabel* slopeLabel_;
    QSlider* slislope_;
    QLabel* lblslope_;
    QPushButton* confok_;
    QPushButton* confcncl_;

    QGroupBox* frports_ = nullptr;
    QTreeWidget* lvports_ = nullptr;
    QLabel* lblportnumber_ = nullptr;
    QComboBox* cbporttarget_ = nullptr;
    QPushButton* cmdportmap_ = nullptr;
    QLabel* lblportmap_ = nullptr;
    QTimer* tmrports_ = nullptr;
};

} // namespace rl4

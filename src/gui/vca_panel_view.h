#pragma once

#include "sheet/vca_panel.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QSlider;

namespace rl4 {

// The VCA controls of the main window for the current destination: its name `volsrc`, the slider `sli1`
// with its level text `volpourcent`, and the buttons `cmdslimin` and `cmdslimax`. They draw the engine's
// VcaPanel; only the operator's own moves reach it.
class VcaPanelView : public QWidget {
    Q_OBJECT

public:
    VcaPanelView(VcaPanel& panel, QWidget* parent);

    // `volsrc`: the destination's name, or what a long operation is doing.
    void showStatusText(const std::string& text);
    void redraw();

private:
    VcaPanel& panel_;
    QLabel* volsrc_;
    QPushButton* cmdslimax_;
    QSlider* sli1_;
    QPushButton* cmdslimin_;
    QLabel* volpourcent_;
};

} // namespace rl4

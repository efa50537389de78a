#pragma once

#include "engine/engine_listener.h"
#include "sheet/switcher_model.h"
#include "text/message_table.h"

#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <string>

class QComboBox;
class QLabel;
class QPushButton;

namespace rl4 {

// The switcher control window `frmcommutation`: the current destination `lblcommutation`, the all-layers
// list `cbcommutation` between the previous and next buttons `cmdcommutdec` and `cmdcommutinc`, and one
// list per layer (`cbcommutvideo` ...) under its coloured caption (`lblcbvideo` ...). It draws the
// SwitcherModel and hands it the operator's picks; lists filled or selected from here raise nothing.
// Pointer hints go to the main window's status bar through `showHint`. Without a kept place in sight it
// opens beside `mainWindow`.
class SwitcherWindow : public QWidget, public EngineListener {
    Q_OBJECT

public:
    using HintSink = std::function<void(const std::string&)>;

    SwitcherWindow(SwitcherModel& model, MessageTable& messages, HintSink showHint,
                   const QWidget* mainWindow = nullptr);

    void switcherChanged() override;
    void switcherFollowReport(int destination, int source) override;
    void switcherModelChanged() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void redraw();
    void watchPointer(QWidget* control, SwitcherControl hint);
    void hint(SwitcherControl control);
    QPoint placePixels() const;

    SwitcherModel& model_;
    MessageTable& messages_;
    HintSink showHint_;
    const QWidget* mainWindow_;
    // A hint of this window's stands in the status bar.
    bool hinting_ = false;
    QLabel* lblcommutation_;
    QPushButton* cmdcommutdec_;
    QComboBox* cbcommutation_;
    QPushButton* cmdcommutinc_;
    std::array<QLabel*, 4> layerLabels_;
    std::array<QComboBox*, 4> layerLists_;
    std::map<const QObject*, SwitcherControl> hints_;
};

} // namespace rl4

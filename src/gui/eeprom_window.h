#pragma once

#include "engine/engine.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QProgressBar;

namespace rl4 {

// The progress window `frmloadeeprom` of the EEPROM upload: the whole-run bar `proeeprom` with the
// percentage `pourcenteeprom`, the section caption `lblproeeprom`, the object or table entry being written
// `lblprotexte` over the section bar `protexte`, the final state `lblloadeeprom`, and the dump list
// `lbloadeeprom` of a 4-byte run. It draws EepromUploader::window(); it shows itself when the upload asks
// for it and stays open after the run until the operator closes it, which the run does not allow.
class EepromWindow : public QWidget, public EngineListener {
    Q_OBJECT

public:
    EepromWindow(Engine& engine, QWidget* parent);

    void eepromWindowShown() override;
    void eepromWindowChanged() override;
    void eepromUploadRunning(bool running) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void redraw();
    void redrawList();

    Engine& engine_;
    QLabel* lblloadeeprom_;
    QProgressBar* proeeprom_;
    QLabel* pourcenteeprom_;
    QLabel* lblproeeprom_;
    QLabel* lblprotexte_;
    QProgressBar* protexte_;
    QListWidget* lbloadeeprom_;
    bool running_ = false;
};

} // namespace rl4

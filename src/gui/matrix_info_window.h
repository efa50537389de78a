#pragma once

#include "diag/matrix_info.h"
#include "engine/engine_listener.h"
#include "text/message_table.h"

#include <QWidget>
#include <array>

class QLabel;
class QPushButton;

namespace rl4 {

// The matrix information window `frmmatrixinfo`: the nine labels of MatrixInfo as the main window's command
// took them when it asked for the window. The window is not refreshed while it stays open; it is redrawn
// each time the command asks for it again. Escape closes it.
class MatrixInfoWindow : public QWidget, public EngineListener {
    Q_OBJECT

public:
    // `info` is kept by the main window's commands and taken anew by each of their requests.
    MatrixInfoWindow(const MatrixInfo& info, MessageTable& messages);

    void windowRequested(int menuId) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void redraw();

    const MatrixInfo& info_;
    MessageTable& messages_;
    std::array<QLabel*, 9> labels_;
    QPushButton* close_;
};

} // namespace rl4

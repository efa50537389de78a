#pragma once

#include "diag/debug_model.h"
#include "engine/engine.h"
#include "engine/engine_listener.h"
#include "engine/main_commands.h"
#include "gui/gui_tool_windows.h"
#include "text/message_table.h"

#include <QString>
#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;

namespace rl4 {

// The debug and test window `frmdebug`: the source lists `cbdebugib` and `cbdebugie`, the destination lists
// `cbdebugob` and `cbdebugoe`, the layer boxes `chkdebugv` ... `chkdebugy`, the step confirmation
// `chkcrosspoint`, the pause slider `slidebugspeed`, the progress bar `prodebug`, the step label `lbldebug`,
// the counters `lbldebugerror` and `lbldebugshot` and the buttons of the DebugModel. A loop runs inside its
// button's click and lets the program's events run between its steps, so every window stays painted and
// answers; Escape, the stop button and closing this window end the loop after its step. While a loop runs
// the lists and the buttons that start loops are disabled.
class DebugWindow : public QWidget, public EngineListener {
    Q_OBJECT

public:
    DebugWindow(DebugModel& model, MessageTable& messages);

    void debugModelChanged() override;
    void debugLetEventsRun() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void connectControls();
    void redraw();
    void drawCaptions();
    void fillList(QComboBox* list, int count, int chosen);

    DebugModel& model_;
    MessageTable& messages_;
    QGroupBox* sources_;
    QGroupBox* destinations_;
    QGroupBox* layers_;
    std::array<QLabel*, 4> rangeWords_;
    QComboBox* cbdebugib_;
    QComboBox* cbdebugie_;
    QComboBox* cbdebugob_;
    QComboBox* cbdebugoe_;
    std::array<QCheckBox*, 4> layerBoxes_;
    QCheckBox* chkcrosspoint_;
    QLabel* pauseCaption_;
    QSlider* slidebugspeed_;
    QProgressBar* prodebug_;
    QLabel* lbldebug_;
    QLabel* errorCaption_;
    QLabel* lbldebugerror_;
    QLabel* shotCaption_;
    QLabel* lbldebugshot_;
    QPushButton* cmddebugwrite_;
    QPushButton* cmddebugread_;
    QPushButton* readvideo1_;
    QPushButton* readvideo12_;
    QPushButton* cmdpartest_;
    QPushButton* cmdstopdebug_;
    QPushButton* cmddebugreset_;
    QPushButton* quitdebug_;
};

// Adds the maker of the debug window, opened beside `mainWindow`.
void addDebugWindow(ToolWindows& tools, Engine& engine, QWidget& mainWindow);

// Opens the debug window through the main window's command, runs the read test on every layer and saves a
// picture of the window while it runs into `folder` as debug_SUFFIX.png; the test is stopped and the window
// closed afterwards. False when the window did not open or the picture could not be written.
bool saveDebugWindowScreenshot(const QString& folder, const QString& suffix, MainCommands& commands,
                               ToolWindows& tools, Engine& engine);

} // namespace rl4

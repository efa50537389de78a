#pragma once

#include "tester/protocol_tool.h"

#include <QMainWindow>
#include <QTimer>
#include <array>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace rl4::tester {

// The tool's window, frm1. It hands each control's event to the tool, runs the polling loop on a timer and
// shows what the tool holds after each event and each pass. The controls carry their names as object
// names.
class ToolWindow : public QMainWindow {
public:
    // Runs the tool's window load; the tool's settings must have been read.
    explicit ToolWindow(ProtocolTool& tool, QWidget* parent = nullptr);

    // Starts the polling loop; closing the window stops it.
    void startLoop();
    // One pass of the loop, for tests that drive it themselves.
    void runPass();
    void frm1_MenuEvent(int id);
    // Shows what the tool holds.
    void refresh();

    static constexpr int kTmr1Millis = 1000;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QString caption(TextId id) const;
    QWidget* buildControls();
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    QLabel* byteLabel(const char* name);
    QWidget* upDown(const char* name, void (ProtocolTool::*up)(), void (ProtocolTool::*down)());
    void fill(QComboBox* box, const ListControl& list, std::vector<std::string>& shown);
    // Runs a tool operation from a control and shows its outcome.
    template <typename... Params, typename... Args>
    void act(void (ProtocolTool::*operation)(Params...), Args... args);

    ProtocolTool& tool_;
    QTimer loop_{this};
    QTimer tmr1_{this};
    bool closed_ = false;

    QComboBox* cbfunct_;
    QLabel* lbl2_;
    QComboBox* cblayer_;
    QLabel* lbl3_;
    QComboBox* cbinput_;
    QWidget* udin_;
    QLabel* lbl4_;
    QComboBox* cboutput_;
    QWidget* udout_;
    std::array<QLabel*, 5> frameLabels_{};
    std::array<QLabel*, 5> replyLabels_{};
    QRadioButton* optdec_;
    QRadioButton* opthex_;
    QPushButton* cmdsend_;
    QCheckBox* chksend_;
    QCheckBox* chkaudiomonitor_;
    QPushButton* cmdcyclique_;
    QPushButton* cmdsendsalve_;
    QPushButton* cmdport_;
    std::array<QLabel*, 5> panels_{};
    std::array<std::vector<std::string>, 4> listsShown_;
};

} // namespace rl4::tester

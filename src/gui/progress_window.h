#pragma once

#include "engine/engine_listener.h"

#include <QDialog>

class QLabel;
class QProgressBar;

namespace rl4 {

// The progress window `frmlecture` of the start-up port search and of the matrix status reading. Both run
// inside one engine call that holds the event loop; the window shows how far they are, paints the other
// windows on the way and shows the wait cursor meanwhile.
class ProgressWindow : public QDialog, public EngineListener {
    Q_OBJECT

public:
    explicit ProgressWindow(QWidget* parent);

    // A search or a reading is under way: the event loop runs only to paint, and nothing else may enter the
    // engine.
    bool busy() const { return depth_ > 0; }

    void portSearchStarted() override;
    void portSearchProgress(int port) override;
    void portSearchFinished() override;
    void statusReadingStarted() override;
    void statusReadingProgress(const std::string& layerText, int output) override;
    void statusReadingFinished() override;

private:
    void begin(const QString& label, int minimum, int maximum);
    void step(int value);
    void end();

    QLabel* lbllecture_;
    QProgressBar* prolecture_;
    int depth_ = 0;
};

} // namespace rl4

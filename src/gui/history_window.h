#pragma once

#include "engine/engine_listener.h"
#include "link/history_model.h"
#include "text/message_table.h"
#include "text/prompt.h"

#include <QWidget>

class QPushButton;
class QTreeWidget;

namespace rl4 {

// The history window `frmhisto`: the list `lvhisto` of the last frames exchanged with the matrix, newest
// first, in the colours of the HistoryModel, the button `cmdclrhisto` that empties it and `cmdexporthisto`
// that writes its rows to a CSV file (asking where through `prompt`). It hands the
// link's rows to the model and draws what the model keeps. Escape closes it; without a kept place in sight
// it opens beside `mainWindow`.
class HistoryWindow : public QWidget, public EngineListener {
    Q_OBJECT

public:
    HistoryWindow(HistoryModel& model, MessageTable& messages, Prompt& prompt,
                  const QWidget* mainWindow = nullptr);

    void historyRowAdded(const HistoryRow& row) override;
    void historyModelChanged() override;

protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void redraw();
    void drawColumns();
    void drawRows();
    QPoint placePixels() const;

    HistoryModel& model_;
    MessageTable& messages_;
    Prompt& prompt_;
    const QWidget* mainWindow_;
    QTreeWidget* lvhisto_;
    QPushButton* cmdclrhisto_;
    QPushButton* cmdexporthisto_;
};

} // namespace rl4

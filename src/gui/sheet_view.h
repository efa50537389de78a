#pragma once

#include "sheet/switching_sheet.h"

#include <QTableWidget>

namespace rl4 {

// The switching sheet `lvcom` in report style: one row per destination with its check box, drawn from the
// engine's SwitchingSheet with its columns, colours and height. Check boxes go straight back to the sheet;
// row choices, double clicks and keys go out as signals for the main window to route.
class SheetView : public QTableWidget {
    Q_OBJECT

public:
    SheetView(SwitchingSheet& sheet, QWidget* parent);

    void rebuildColumns();
    // All rows, and the height the sheet gives the list.
    void refill();
    // One destination's row, after the matrix reported on it.
    void redrawRow(int destination);
    void recolour();
    void redrawChecks();

signals:
    // The operator made row `row` (a position in SwitchingSheet::rows) current, by pointer or keyboard.
    void rowChosen(int row);
    void rowDoubleClicked();
    // A key went down (its virtual key code, 37 for the left arrow) and a character was typed.
    void keyDown(int keyCode);
    void keyPress(int charCode);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The sheet's height, and below it the horizontal scroll bar's when the columns are wider than the
    // window, so that the bar never hides the last rows.
    void fitHeight();
    void drawRow(int row);
    int rowOfCurrentDestination() const;

    SwitchingSheet& sheet_;
};

} // namespace rl4

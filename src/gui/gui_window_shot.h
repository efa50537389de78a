#pragma once

#include <QString>
#include <QWidget>

namespace rl4 {

// Lets `window` lay itself out and paint, then saves it as FOLDER/NAME_SUFFIX.png and says so on standard
// output. False when the window is not shown or the picture cannot be written.
bool saveWindow(QWidget* window, const QString& folder, const QString& name, const QString& suffix);

} // namespace rl4

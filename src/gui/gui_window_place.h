#pragma once

#include "sheet/settings.h"

#include <QRect>

class QWidget;

namespace rl4 {

// Whether a window whose frame stands at `frame` (pixels) can be reached: enough of its top edge, where
// the title bar is taken with the pointer, lies on the usable area of a screen. A place saved on a larger
// or a second screen, or typed into the settings, may leave a window out of sight.
bool inSight(const QRect& frame);

// `frame` (the window's place and the size of its own area) moved, and cut down where it is larger, into
// the usable area of the screen nearest to it, with room for the desktop's borders and title bar.
QRect intoSight(const QRect& frame);

// Where a tool window opens (twips): at `kept`, its place in the settings, when that is a place (0, 0, the
// start value, is none) and in sight; else beside `anchor` (the main window), to its right or, without
// room there, to its left, below the tool windows already there; else at `kept` brought into sight.
WindowPlace toolWindowPlace(const QWidget& window, const WindowPlace& kept, const QWidget* anchor);

// Puts a window that keeps no place in the settings beside `anchor` the same way, before it first shows:
// left to the desktop, a new window may open over the main window's menu bar.
void placeBeside(QWidget& window, const QWidget& anchor);

} // namespace rl4

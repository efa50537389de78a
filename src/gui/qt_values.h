#pragma once

#include "text/message_table.h"
#include "text/rgb_colour.h"

#include <QColor>
#include <QString>
#include <string>

namespace rl4 {

// The engine's values as Qt takes them.
inline QString text(const std::string& value) {
    return QString::fromStdString(value);
}

inline QString caption(MessageTable& messages, int number) {
    return text(messages.text(number));
}

inline QColor qtColour(const RgbColour& colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

} // namespace rl4

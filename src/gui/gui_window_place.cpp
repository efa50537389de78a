#include "gui/gui_window_place.h"

#include "gui/gui_twips.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <limits>

namespace rl4 {

namespace {

// Of a window's top edge, what the pointer needs to take it: a stretch of the title bar.
constexpr int kGripWidth = 64;
constexpr int kGripHeight = 24;
// Between the main window and a tool window beside it.
constexpr int kGap = 8;
// Without room on either side, a tool window leaves the main window's title and menu bars uncovered.
constexpr int kBarsHeight = 64;
// What the desktop may add around a window's own area: borders, and a title bar above.
constexpr QSize kDecoration{16, 48};

int distance(const QRect& area, const QPoint& point) {
    const int dx = std::max({area.left() - point.x(), 0, point.x() - area.right()});
    const int dy = std::max({area.top() - point.y(), 0, point.y() - area.bottom()});
    return dx + dy;
}

std::optional<QRect> nearestArea(const QRect& frame) {
    std::optional<QRect> nearest;
    int nearestDistance = std::numeric_limits<int>::max();
    for (const QScreen* screen : QApplication::screens()) {
        const QRect area = screen->availableGeometry();
        const int d = distance(area, frame.center());
        if (d < nearestDistance) {
            nearest = area;
            nearestDistance = d;
        }
    }
    return nearest;
}

// Down one side of the main window from its top, past the windows standing there already; nothing when the
// screen has no room left on that side.
std::optional<QPoint> freePlace(const QWidget& window, int x, const QRect& main, const QSize& size,
                                const QRect& area) {
    QPoint place(x, main.top());
    for (bool moved = true; moved;) {
        moved = false;
        for (const QWidget* other : QApplication::topLevelWidgets()) {
            const QRect taken = other->frameGeometry();
            if (other != &window && other->isVisible() && taken.intersects(QRect(place, size))) {
                place.setY(taken.bottom() + 1 + kGap);
                moved = true;
            }
        }
    }
    const bool fits = place.x() >= area.left() && place.x() + size.width() - 1 <= area.right() &&
                      place.y() + kGripHeight - 1 <= area.bottom();
    return fits ? std::optional(place) : std::nullopt;
}

QPoint beside(const QWidget& window, const QWidget& anchor, const QSize& size) {
    const QRect main = anchor.frameGeometry();
    const int right = main.right() + 1 + kGap;
    const std::optional<QRect> area = nearestArea(main);
    if (!area)
        return {right, main.top()};
    if (const auto place = freePlace(window, right, main, size, *area))
        return *place;
    if (const auto place = freePlace(window, main.left() - kGap - size.width(), main, size, *area))
        return *place;
    return intoSight(QRect(QPoint(right, main.top() + kBarsHeight), size)).topLeft();
}

} // namespace

bool inSight(const QRect& frame) {
    const QRect grip(frame.topLeft(), QSize(frame.width(), kGripHeight));
    const int needed = std::min(kGripWidth, frame.width());
    for (const QScreen* screen : QApplication::screens()) {
        const QRect shown = grip & screen->availableGeometry();
        if (shown.width() >= needed && shown.height() >= kGripHeight)
            return true;
    }
    return false;
}

QRect intoSight(const QRect& frame) {
    const std::optional<QRect> area = nearestArea(frame);
    if (!area)
        return frame;
    const QSize size = frame.size().boundedTo(area->size() - kDecoration);
    const QSize outer = size + kDecoration;
    const int x = std::clamp(frame.x(), area->left(), area->right() - outer.width() + 1);
    const int y = std::clamp(frame.y(), area->top(), area->bottom() - outer.height() + 1);
    return {QPoint(x, y), size};
}

WindowPlace toolWindowPlace(const QWidget& window, const WindowPlace& kept, const QWidget* anchor) {
    const int dpiX = window.logicalDpiX();
    const int dpiY = window.logicalDpiY();
    const QRect wanted(QPoint(twipsToPixels(kept.left, dpiX), twipsToPixels(kept.top, dpiY)),
                       window.frameGeometry().size());
    if (kept != WindowPlace{} && inSight(wanted))
        return kept;
    const QPoint place =
        anchor != nullptr ? beside(window, *anchor, wanted.size()) : intoSight(wanted).topLeft();
    return {pixelsToTwips(place.x(), dpiX), pixelsToTwips(place.y(), dpiY)};
}

void placeBeside(QWidget& window, const QWidget& anchor) {
    // The size it will show with, unless it chose one.
    if (!window.testAttribute(Qt::WA_Resized))
        window.adjustSize();
    window.move(beside(window, anchor, window.frameGeometry().size()));
}

} // namespace rl4

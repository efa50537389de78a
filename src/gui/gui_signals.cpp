#include "gui/gui_signals.h"

#include <QSocketNotifier>

namespace rl4 {

TerminationWatcher::TerminationWatcher(QObject* parent) : QObject(parent) {
    if (signals_.fd() < 0)
        return;
    notifier_ = new QSocketNotifier(signals_.fd(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        if (signals_.take())
            emit terminationRequested();
    });
}

TerminationWatcher::~TerminationWatcher() {
    delete notifier_;
}

} // namespace rl4

#include "tester/termination_notice.h"

#include <QSocketNotifier>

namespace rl4::tester {

TerminationNotice::TerminationNotice(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    if (signals_.fd() < 0)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(signals_.fd(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
        if (signals_.take())
            onSignal_();
    });
}

TerminationNotice::~TerminationNotice() = default;

} // namespace rl4::tester

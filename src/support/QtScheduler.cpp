#include "support/QtScheduler.h"

#include <QPointer>
#include <QTimer>

#include <cmath>

namespace moravel {

QtScheduler::QtScheduler()
{
    clock_.start();
}

double QtScheduler::monotonicSeconds() const
{
    return clock_.nsecsElapsed() / 1e9;
}

QDateTime QtScheduler::currentDateTime() const
{
    return QDateTime::currentDateTimeUtc();
}

TaskHandle QtScheduler::runAfter(double delaySeconds, QObject* owner, std::function<void()> work)
{
    return start(delaySeconds, false, Qt::PreciseTimer, owner, std::move(work));
}

TaskHandle QtScheduler::runEvery(double intervalSeconds, double toleranceSeconds, QObject* owner,
                                 std::function<void()> work)
{
    // A coarse timer may fire up to 5 % early or late, which keeps a one-second
    // tick within its tolerance while letting the system batch wake-ups.
    const bool coarseFits = toleranceSeconds >= intervalSeconds * 0.05;
    return start(intervalSeconds, true, coarseFits ? Qt::CoarseTimer : Qt::PreciseTimer, owner,
                 std::move(work));
}

TaskHandle QtScheduler::start(double intervalSeconds, bool repeating, Qt::TimerType type, QObject* owner,
                              std::function<void()> work)
{
    auto control = std::make_shared<TaskHandle::Control>();
    // The timer is a child of the owner: it dies with it, so work never runs for a dead owner.
    auto* timer = new QTimer(owner);
    timer->setSingleShot(!repeating);
    timer->setTimerType(type);
    timer->setInterval(std::max(0, static_cast<int>(std::lround(intervalSeconds * 1000.0))));

    QPointer<QTimer> guard(timer);
    control->onCancel = [guard] {
        if (guard) {
            guard->stop();
            guard->deleteLater();
        }
    };
    QObject::connect(timer, &QTimer::timeout, timer,
                     [control, repeating, timer, work = std::move(work)] {
                         if (control->cancelled)
                             return;
                         if (!repeating) {
                             control->finished = true;
                             control->onCancel = nullptr;
                             timer->deleteLater();
                         }
                         work();
                     });
    timer->start();
    return TaskHandle(control);
}

}  // namespace moravel

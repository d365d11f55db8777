#pragma once

#include "support/Scheduler.h"

#include <QElapsedTimer>

namespace moravel {

// Production scheduler on the Qt event loop of the calling (main) thread.
class QtScheduler final : public Scheduler {
public:
    QtScheduler();

    double monotonicSeconds() const override;
    QDateTime currentDateTime() const override;
    TaskHandle runAfter(double delaySeconds, QObject* owner, std::function<void()> work) override;
    TaskHandle runEvery(double intervalSeconds, double toleranceSeconds, QObject* owner,
                        std::function<void()> work) override;

private:
    TaskHandle start(double intervalSeconds, bool repeating, Qt::TimerType type, QObject* owner,
                     std::function<void()> work);

    QElapsedTimer clock_;
};

}  // namespace moravel

#pragma once

#include "support/Scheduler.h"

#include <QPointer>

#include <vector>

namespace moravel {

// A scheduler whose time moves only when told to: tests call advance() and
// every item that falls due runs, in time order, as if that time had passed.
class VirtualScheduler final : public Scheduler {
public:
    explicit VirtualScheduler(QDateTime wallClockAtZero = QDateTime(QDate(2026, 1, 1), QTime(12, 0), Qt::UTC));

    double monotonicSeconds() const override { return now_; }
    QDateTime currentDateTime() const override;
    TaskHandle runAfter(double delaySeconds, QObject* owner, std::function<void()> work) override;
    TaskHandle runEvery(double intervalSeconds, double toleranceSeconds, QObject* owner,
                        std::function<void()> work) override;

    // Moves time forward by `seconds`, running every item due by then.
    void advance(double seconds);
    // Number of items that are still waiting to run.
    int pendingCount() const;

private:
    struct Item {
        double due;
        quint64 sequence;  // keeps items due at the same moment in scheduling order
        double interval;   // 0 for a one-shot item
        QPointer<QObject> owner;
        bool hasOwner;
        std::shared_ptr<TaskHandle::Control> control;
        std::shared_ptr<std::function<void()>> work;
    };

    TaskHandle add(double delay, double interval, QObject* owner, std::function<void()> work);
    bool popNextDue(double limit, Item& out);

    double now_ = 0;
    quint64 nextSequence_ = 0;
    QDateTime wallClockAtZero_;
    std::vector<Item> items_;
};

}  // namespace moravel

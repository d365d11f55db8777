#include "support/VirtualScheduler.h"

#include <algorithm>

namespace moravel {

VirtualScheduler::VirtualScheduler(QDateTime wallClockAtZero) : wallClockAtZero_(std::move(wallClockAtZero)) {}

QDateTime VirtualScheduler::currentDateTime() const
{
    return wallClockAtZero_.addMSecs(static_cast<qint64>(now_ * 1000.0 + 0.5));
}

TaskHandle VirtualScheduler::runAfter(double delaySeconds, QObject* owner, std::function<void()> work)
{
    return add(delaySeconds, 0, owner, std::move(work));
}

TaskHandle VirtualScheduler::runEvery(double intervalSeconds, double, QObject* owner, std::function<void()> work)
{
    return add(intervalSeconds, std::max(intervalSeconds, 1e-6), owner, std::move(work));
}

TaskHandle VirtualScheduler::add(double delay, double interval, QObject* owner, std::function<void()> work)
{
    auto control = std::make_shared<TaskHandle::Control>();
    items_.push_back(Item{now_ + std::max(0.0, delay), nextSequence_++, interval, QPointer<QObject>(owner),
                          owner != nullptr, control, std::make_shared<std::function<void()>>(std::move(work))});
    return TaskHandle(control);
}

bool VirtualScheduler::popNextDue(double limit, Item& out)
{
    // Drop items that can no longer run before choosing the next one.
    std::erase_if(items_, [](const Item& item) {
        return item.control->cancelled || (item.hasOwner && item.owner.isNull());
    });
    auto next = std::min_element(items_.begin(), items_.end(), [](const Item& a, const Item& b) {
        return a.due != b.due ? a.due < b.due : a.sequence < b.sequence;
    });
    // A tiny slack absorbs floating-point sums such as 0.055 + 0.065.
    if (next == items_.end() || next->due > limit + 1e-9)
        return false;
    out = *next;
    items_.erase(next);
    return true;
}

void VirtualScheduler::advance(double seconds)
{
    const double target = now_ + std::max(0.0, seconds);
    Item item;
    while (popNextDue(target, item)) {
        now_ = std::max(now_, item.due);
        if (item.interval > 0) {
            Item again = item;
            again.due = item.due + item.interval;
            again.sequence = nextSequence_++;
            items_.push_back(again);
        } else {
            item.control->finished = true;
        }
        (*item.work)();
    }
    now_ = target;
}

int VirtualScheduler::pendingCount() const
{
    return static_cast<int>(std::count_if(items_.begin(), items_.end(), [](const Item& item) {
        return !item.control->cancelled && !(item.hasOwner && item.owner.isNull());
    }));
}

}  // namespace moravel

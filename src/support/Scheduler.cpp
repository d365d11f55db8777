#include "support/Scheduler.h"

namespace moravel {

void TaskHandle::cancel()
{
    if (!control_ || control_->cancelled)
        return;
    control_->cancelled = true;
    if (auto release = std::move(control_->onCancel))
        release();
}

void TaskSlot::arm(Scheduler& scheduler, double delaySeconds, QObject* owner, std::function<void()> work)
{
    handle_.cancel();
    handle_ = scheduler.runAfter(delaySeconds, owner, std::move(work));
}

void TaskSlot::cancel()
{
    handle_.cancel();
    handle_ = {};
}

}  // namespace moravel

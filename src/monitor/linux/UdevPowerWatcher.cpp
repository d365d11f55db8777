#include "monitor/linux/UdevPowerWatcher.h"

#include <QSocketNotifier>

#include <libudev.h>

namespace moravel {

namespace {

class UdevPowerWatcher final : public PowerSourceWatcher {
public:
    UdevPowerWatcher(udev* context, udev_monitor* monitor, std::function<void()> changed)
        : context_(context), monitor_(monitor), changed_(std::move(changed)),
          notifier_(udev_monitor_get_fd(monitor), QSocketNotifier::Read)
    {
        QObject::connect(&notifier_, &QSocketNotifier::activated, &notifier_, [this] { receiveOne(); });
    }

    ~UdevPowerWatcher() override
    {
        notifier_.setEnabled(false);
        udev_monitor_unref(monitor_);
        udev_unref(context_);
    }

private:
    // One event per wake-up: the notifier fires again while more are queued,
    // and returning straight after the callback lets it destroy this watcher.
    void receiveOne()
    {
        udev_device* device = udev_monitor_receive_device(monitor_);
        if (!device)
            return;
        udev_device_unref(device);
        const std::function<void()> changed = changed_;  // outlives this watcher if the callback ends it
        changed();
    }

    udev* context_;
    udev_monitor* monitor_;
    std::function<void()> changed_;
    QSocketNotifier notifier_;
};

}  // namespace

std::unique_ptr<PowerSourceWatcher> watchUdevPowerSupplies(std::function<void()> changed)
{
    udev* context = udev_new();
    if (!context)
        return nullptr;
    udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
    const bool ready = monitor && udev_monitor_filter_add_match_subsystem_devtype(monitor, "power_supply", nullptr) >= 0
                       && udev_monitor_enable_receiving(monitor) >= 0 && udev_monitor_get_fd(monitor) >= 0;
    if (!ready) {
        if (monitor)
            udev_monitor_unref(monitor);
        udev_unref(context);
        return nullptr;
    }
    return std::make_unique<UdevPowerWatcher>(context, monitor, std::move(changed));
}

}  // namespace moravel

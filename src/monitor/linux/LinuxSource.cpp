#include "monitor/linux/LinuxSource.h"

#include "monitor/PowerRules.h"
#include "monitor/linux/DiskReader.h"
#include "monitor/linux/PowerSupplyReader.h"
#include "monitor/linux/UdevPowerWatcher.h"
#include "support/BackgroundRunner.h"
#include "support/Scheduler.h"

#include <unistd.h>

#include <utility>

namespace moravel {

LinuxSource::LinuxSource(const ReaderRoots& roots, Scheduler& scheduler, BackgroundRunner& background,
                         QObject* parent)
    : QObject(parent), procRoot_(roots.proc.toStdString()), sysRoot_(roots.sys.toStdString()),
      scheduler_(scheduler), background_(background), cpu_(procRoot_), memory_(procRoot_),
      network_(procRoot_, sysRoot_), load_(procRoot_), diskIo_(procRoot_, sysRoot_),
      devices_(std::make_shared<DeviceSensors>(sysRoot_))
{
}

SystemSnapshot LinuxSource::initialSnapshot()
{
    // Memory is a level, not a rate: the island shows it from its first frame.
    SystemSnapshot snapshot;
    if (const SnapshotUpdate memory = MemoryReader(procRoot_).read())
        memory(snapshot);
    // Read only while the dashboard is open: until then an empty table.
    snapshot.topProcesses.emplace();
    return snapshot;
}

void LinuxSource::readEverySecond(bool withPower, ReadingDelivery deliver)
{
    const double now = scheduler_.monotonicSeconds();
    const SnapshotUpdate updates[] = {cpu_.read(),
                                      memory_.read(),
                                      network_.read(now),
                                      load_.read(),
                                      diskIo_.read(now),
                                      std::exchange(deviceReading_, {}),
                                      withPower ? readPowerSupplies() : SnapshotUpdate{}};
    const bool measured = cpu_.isMeasured() && network_.isMeasured() && diskIo_.isMeasured();
    readDeviceSensorsInBackground();
    deliver({[updates](SystemSnapshot& next) {
                 for (const SnapshotUpdate& update : updates) {
                     if (update)
                         update(next);
                 }
             },
             measured});
}

void LinuxSource::readDeviceSensorsInBackground()
{
    const double now = scheduler_.monotonicSeconds();
    if (devicesInFlight_ || !devices_->isDue(now))
        return;
    devicesInFlight_ = true;
    background_.post(this, [this, devices = devices_, now]() -> BackgroundRunner::Continuation {
        SnapshotUpdate reading = devices->read(now);
        return [this, reading = std::move(reading)] {
            devicesInFlight_ = false;
            deviceReading_ = reading;
        };
    });
}

SnapshotUpdate LinuxSource::readPowerSupplies() const
{
    return [power = powerReadingOf(readBatteryRegistry(sysRoot_))](SystemSnapshot& next) { next.power = power; };
}

void LinuxSource::readPower(ReadingDelivery deliver)
{
    deliver({readPowerSupplies()});
}

void LinuxSource::readDisk(ReadingDelivery deliver)
{
    background_.post(this, [deliver = std::move(deliver)]() -> BackgroundRunner::Continuation {
        // The startup volume, whatever the roots: they only relocate the kernel's files.
        const std::optional<DiskReading> disk = readDiskUsage("/");
        return [deliver, disk] {
            if (!disk) {
                deliver({});
                return;
            }
            deliver({[disk = *disk](SystemSnapshot& next) { next.disk = disk; }});
        };
    });
}

void LinuxSource::readProcesses(ReadingDelivery deliver)
{
    const auto ownPid = static_cast<int32_t>(::getpid());
    // Shares can only be measured against an earlier reading of the table.
    const bool measured = processHistory_.isValid;
    auto history = std::make_shared<ProcessHistory>(std::move(processHistory_));
    processHistory_ = {};
    background_.post(this, [this, root = procRoot_, history, ownPid, measured,
                            deliver = std::move(deliver)]() -> BackgroundRunner::Continuation {
        auto reading = std::make_shared<ProcessReading>(readProcessTable(root, std::move(*history), ownPid));
        return [this, reading, measured, deliver] {
            processHistory_ = std::move(reading->history);
            deliver({[top = std::move(reading->top)](SystemSnapshot& next) { next.topProcesses = top; }, measured});
        };
    });
}

std::unique_ptr<PowerSourceWatcher> LinuxSource::watchPowerSources(std::function<void()> changed)
{
    return watchUdevPowerSupplies(std::move(changed));
}

}  // namespace moravel

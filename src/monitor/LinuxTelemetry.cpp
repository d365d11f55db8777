#include "monitor/LinuxTelemetry.h"

#include "monitor/DiskReader.h"
#include "monitor/PowerSupplyReader.h"
#include "monitor/ProcessReader.h"
#include "monitor/UdevPowerWatcher.h"

namespace moravel {

LinuxTelemetry::LinuxTelemetry(const ReaderRoots& roots)
    : procRoot_(roots.proc.toStdString()), sysRoot_(roots.sys.toStdString())
{
}

std::optional<BatteryRegistry> LinuxTelemetry::readBattery()
{
    return readBatteryRegistry(sysRoot_);
}

std::optional<DiskMetric> LinuxTelemetry::readDisk() const
{
    // The startup volume, whatever the roots: they only relocate the kernel's files.
    return readDiskUsage("/");
}

ProcessReading LinuxTelemetry::readProcesses(ProcessHistory previous, int32_t ownPid) const
{
    return readProcessTable(procRoot_, std::move(previous), ownPid);
}

std::unique_ptr<PowerSourceWatcher> LinuxTelemetry::watchPowerSources(std::function<void()> changed)
{
    return watchUdevPowerSupplies(std::move(changed));
}

}  // namespace moravel

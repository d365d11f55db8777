#pragma once

#include "monitor/SystemMonitor.h"
#include "monitor/TelemetryReaders.h"

#include <string>

namespace moravel {

// Battery, disk and process readings of a Linux machine, from the kernel's
// files below the given roots, with udev for power-source changes.
class LinuxTelemetry final : public TelemetryReaders {
public:
    explicit LinuxTelemetry(const ReaderRoots& roots);

    std::optional<BatteryRegistry> readBattery() override;
    std::optional<DiskMetric> readDisk() const override;
    ProcessReading readProcesses(ProcessHistory previous, int32_t ownPid) const override;
    std::unique_ptr<PowerSourceWatcher> watchPowerSources(std::function<void()> changed) override;

private:
    std::string procRoot_;
    std::string sysRoot_;
};

}  // namespace moravel

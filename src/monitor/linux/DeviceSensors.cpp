#include "monitor/linux/DeviceSensors.h"

namespace moravel {

std::vector<std::string> DeviceSensors::systemPciIds()
{
    // Debian's pci.ids package, then the hwdata layout of other distributions.
    return {"/usr/share/misc/pci.ids", "/usr/share/hwdata/pci.ids"};
}

DeviceSensors::DeviceSensors(const std::string& sysRoot, std::vector<std::string> pciIds,
                             GpuReader::NvidiaLoader loadNvidia)
    : hwmon_(sysRoot, {SensorKind::temperature, SensorKind::fan, SensorKind::voltage}),
      gpus_(sysRoot, std::move(pciIds), std::move(loadNvidia))
{
}

SnapshotUpdate DeviceSensors::read(double monotonicSeconds)
{
    SensorReadings sensors = hwmon_.read(monotonicSeconds);
    QList<GpuReading> gpus = gpus_.read(monotonicSeconds);
    return [sensors = std::move(sensors), gpus = std::move(gpus)](SystemSnapshot& next) {
        next.temperatures = sensors[SensorKind::temperature];
        next.fans = sensors[SensorKind::fan];
        next.voltages = sensors[SensorKind::voltage];
        next.gpus = gpus;
    };
}

}  // namespace moravel

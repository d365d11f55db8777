#include "monitor/MetricSeries.h"

#include "monitor/TemperaturePolicy.h"

#include <cmath>
#include <limits>
#include <optional>

namespace moravel {

namespace {

constexpr double absent = std::numeric_limits<double>::quiet_NaN();

template <typename Slice>
double valueOf(const std::optional<Slice>& slice, double Slice::*field)
{
    return slice ? (*slice).*field : absent;
}

// The busiest GPU that tells how busy it is.
double gpuBusyPercent(const SystemSnapshot& s)
{
    double busiest = absent;
    for (const GpuReading& gpu : s.gpus.value_or(QList<GpuReading>())) {
        if (gpu.busyPercent && !(*gpu.busyPercent <= busiest))
            busiest = *gpu.busyPercent;
    }
    return busiest;
}

double batteryWatts(const SystemSnapshot& s)
{
    const BatteryReading* battery = batteryOf(s);
    return battery ? battery->watts : absent;
}

// The figure shown as the system's draw: nothing where there is none (a
// desktop whose power supply tells nothing), rather than a made-up 0 W.
double systemWatts(const SystemSnapshot& s)
{
    return s.power && s.power->displayPowerWatts ? *s.power->displayPowerWatts : absent;
}

constexpr SeriesDescriptor rows[] = {
    {Series::cpu, "cpuPercent", [](const SystemSnapshot& s) { return valueOf(s.cpu, &CpuReading::percent); },
     FigureUnit::percent},
    {Series::memory, "memoryPercent",
     [](const SystemSnapshot& s) { return valueOf(s.memory, &MemoryReading::percent); }, FigureUnit::percent},
    {Series::download, "downloadBytesPerSecond",
     [](const SystemSnapshot& s) { return valueOf(s.network, &NetworkReading::downloadBytesPerSecond); },
     FigureUnit::bytesPerSecond},
    {Series::upload, "uploadBytesPerSecond",
     [](const SystemSnapshot& s) { return valueOf(s.network, &NetworkReading::uploadBytesPerSecond); },
     FigureUnit::bytesPerSecond},
    {Series::systemPower, "systemPowerWatts", systemWatts, FigureUnit::watts},
    {Series::batteryPower, "batteryPowerWatts", batteryWatts, FigureUnit::watts},
    {Series::diskRead, "diskReadBytesPerSecond",
     [](const SystemSnapshot& s) { return valueOf(s.diskActivity, &DiskActivityReading::readBytesPerSecond); },
     FigureUnit::bytesPerSecond},
    {Series::diskWrite, "diskWriteBytesPerSecond",
     [](const SystemSnapshot& s) { return valueOf(s.diskActivity, &DiskActivityReading::writeBytesPerSecond); },
     FigureUnit::bytesPerSecond},
    {Series::cpuTemperature, "cpuTemperatureCelsius",
     [](const SystemSnapshot& s) {
         const std::optional<CpuTemperature> cpu = cpuTemperatureOf(s);
         return cpu ? cpu->celsius : absent;
     },
     FigureUnit::celsius},
    {Series::gpuBusy, "gpuBusyPercent", gpuBusyPercent, FigureUnit::percent},
};

constexpr bool rowsFollowTheSeries()
{
    for (size_t i = 0; i < std::size(rows); ++i) {
        if (static_cast<size_t>(rows[i].series) != i)
            return false;
    }
    return true;
}
static_assert(std::size(rows) == seriesCount, "one row per Series");
static_assert(rowsFollowTheSeries(), "row i describes Series i");

}  // namespace

std::span<const SeriesDescriptor, seriesCount> allSeries()
{
    return rows;
}

const SeriesDescriptor& descriptor(Series series)
{
    return allSeries()[static_cast<size_t>(series)];
}

MetricSample sampleOf(const SystemSnapshot& snapshot, const QDateTime& time)
{
    MetricSample sample;
    sample.id = QUuid::createUuid();
    sample.time = time;
    for (const SeriesDescriptor& series : allSeries())
        sample[series.series] = series.value(snapshot);
    const BatteryReading* battery = batteryOf(snapshot);
    sample.isCharging = battery && battery->isCharging;
    return sample;
}

}  // namespace moravel

#include "monitor/MetricSeries.h"

#include "monitor/PowerRules.h"

#include <cmath>
#include <limits>

namespace moravel {

namespace {

constexpr double absent = std::numeric_limits<double>::quiet_NaN();

// The busiest GPU that tells how busy it is.
double gpuBusyPercent(const SystemSnapshot& s)
{
    double busiest = absent;
    for (const GpuReading& gpu : s.gpus) {
        if (gpu.busyPercent && !(*gpu.busyPercent <= busiest))
            busiest = *gpu.busyPercent;
    }
    return busiest;
}

}  // namespace

const std::array<SeriesDescriptor, seriesCount>& allSeries()
{
    static const std::array<SeriesDescriptor, seriesCount> table{{
        {Series::cpu, "cpuPercent", [](const SystemSnapshot& s) { return s.cpuPercent; }},
        {Series::memory, "memoryPercent", [](const SystemSnapshot& s) { return s.memoryPercent; }},
        {Series::download, "downloadBytesPerSecond", [](const SystemSnapshot& s) { return s.downloadBytesPerSecond; }},
        {Series::upload, "uploadBytesPerSecond", [](const SystemSnapshot& s) { return s.uploadBytesPerSecond; }},
        {Series::systemPower, "systemPowerWatts", [](const SystemSnapshot& s) { return systemPowerWatts(s); }},
        {Series::batteryPower, "batteryPowerWatts", [](const SystemSnapshot& s) { return s.batteryPowerWatts; }},
        {Series::diskRead, "diskReadBytesPerSecond", [](const SystemSnapshot& s) { return s.diskReadBytesPerSecond; }},
        {Series::diskWrite, "diskWriteBytesPerSecond",
         [](const SystemSnapshot& s) { return s.diskWriteBytesPerSecond; }},
        {Series::cpuTemperature, "cpuTemperatureCelsius",
         [](const SystemSnapshot& s) { return s.cpuTemperatureCelsius.value_or(absent); }},
        {Series::gpuBusy, "gpuBusyPercent", gpuBusyPercent},
    }};
    return table;
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
    sample.isCharging = snapshot.isCharging;
    return sample;
}

}  // namespace moravel

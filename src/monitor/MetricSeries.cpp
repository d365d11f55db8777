#include "monitor/MetricSeries.h"

#include "monitor/PowerRules.h"

#include <cmath>
#include <limits>
#include <optional>

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
        {Series::cpu, "cpuPercent", [](const SystemSnapshot& s) { return s.cpuPercent; }, ReadingGroup::cpu},
        {Series::memory, "memoryPercent", [](const SystemSnapshot& s) { return s.memoryPercent; },
         ReadingGroup::memory},
        {Series::download, "downloadBytesPerSecond", [](const SystemSnapshot& s) { return s.downloadBytesPerSecond; },
         ReadingGroup::network},
        {Series::upload, "uploadBytesPerSecond", [](const SystemSnapshot& s) { return s.uploadBytesPerSecond; },
         ReadingGroup::network},
        {Series::systemPower, "systemPowerWatts", [](const SystemSnapshot& s) { return systemPowerWatts(s); },
         ReadingGroup::power},
        {Series::batteryPower, "batteryPowerWatts", [](const SystemSnapshot& s) { return s.batteryPowerWatts; },
         ReadingGroup::power},
        {Series::diskRead, "diskReadBytesPerSecond", [](const SystemSnapshot& s) { return s.diskReadBytesPerSecond; },
         ReadingGroup::diskActivity},
        {Series::diskWrite, "diskWriteBytesPerSecond",
         [](const SystemSnapshot& s) { return s.diskWriteBytesPerSecond; }, ReadingGroup::diskActivity},
        {Series::cpuTemperature, "cpuTemperatureCelsius",
         [](const SystemSnapshot& s) { return s.cpuTemperatureCelsius.value_or(absent); }, ReadingGroup::temperatures},
        {Series::gpuBusy, "gpuBusyPercent", gpuBusyPercent, ReadingGroup::gpus},
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
    for (const SeriesDescriptor& series : allSeries()) {
        const bool isAbsent = series.group && snapshot.absentReadings.contains(*series.group);
        sample[series.series] = isAbsent ? absent : series.value(snapshot);
    }
    sample.isCharging = snapshot.isCharging;
    return sample;
}

}  // namespace moravel

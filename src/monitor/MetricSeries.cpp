#include "monitor/MetricSeries.h"

#include "monitor/PowerRules.h"

#include <cmath>
#include <limits>
#include <optional>

namespace moravel {

namespace {

constexpr double absent = std::numeric_limits<double>::quiet_NaN();

double swapPercent(const SystemSnapshot& s)
{
    return s.swapTotal > 0 ? static_cast<double>(s.swapUsed) / static_cast<double>(s.swapTotal) * 100.0 : absent;
}

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

// The group whose absence leaves a series without values.
std::optional<ReadingGroup> groupOf(Series series)
{
    switch (series) {
    case Series::cpu: return ReadingGroup::cpu;
    case Series::memory: return ReadingGroup::memory;
    case Series::download:
    case Series::upload: return ReadingGroup::network;
    case Series::systemPower:
    case Series::batteryPower: return ReadingGroup::power;
    case Series::swap: return ReadingGroup::swap;
    case Series::diskRead:
    case Series::diskWrite: return ReadingGroup::diskActivity;
    case Series::cpuTemperature: return ReadingGroup::temperatures;
    case Series::gpuBusy: return std::nullopt;
    }
    return std::nullopt;
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
        {Series::swap, "swapPercent", swapPercent},
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
    for (const SeriesDescriptor& series : allSeries()) {
        const std::optional<ReadingGroup> group = groupOf(series.series);
        const bool isAbsent = group && snapshot.absentReadings.contains(*group);
        sample[series.series] = isAbsent ? absent : series.value(snapshot);
    }
    sample.isCharging = snapshot.isCharging;
    return sample;
}

}  // namespace moravel

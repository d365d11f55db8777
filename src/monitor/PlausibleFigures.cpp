#include "monitor/PlausibleFigures.h"

#include "monitor/TemperaturePolicy.h"

#include <algorithm>
#include <utility>

namespace moravel {

namespace {

std::optional<double> plausibleCelsius(std::optional<double> celsius)
{
    return celsius && isPlausibleCelsius(*celsius) ? celsius : std::nullopt;
}

void dropImplausibleLimits(SensorReading& sensor)
{
    sensor.critical = plausibleCelsius(sensor.critical);
    sensor.maximum = plausibleCelsius(sensor.maximum);
}

void dropImplausibleFigures(GpuReading& gpu)
{
    gpu.temperatureCelsius = plausibleCelsius(gpu.temperatureCelsius);
    if (gpu.busyPercent && !(*gpu.busyPercent >= 0 && *gpu.busyPercent <= 100))
        gpu.busyPercent.reset();
    // Which of the two is wrong cannot be told; the total is the card's size.
    if (gpu.memoryUsed && gpu.memoryTotal && *gpu.memoryUsed > *gpu.memoryTotal)
        gpu.memoryUsed.reset();
}

// Applies `drop` to a list's entries, writing only those it changes: the list
// is shared with the previous snapshot, and a write copies it whole.
template <typename Entry, typename Drop>
void dropInEach(QList<Entry>& list, Drop drop)
{
    for (qsizetype i = 0; i < list.size(); ++i) {
        Entry entry = std::as_const(list)[i];
        drop(entry);
        if (!(entry == std::as_const(list)[i]))
            list[i] = std::move(entry);
    }
}

}  // namespace

bool isPlausibleLoadAverage(double load)
{
    return load >= 0 && load <= largestLoadAverage;  // false for NaN
}

void dropImplausibleFigures(SystemSnapshot& snapshot)
{
    if (snapshot.temperatures) {
        snapshot.temperatures->removeIf(
            [](const SensorReading& sensor) { return !isPlausibleCelsius(sensor.value); });
        dropInEach(*snapshot.temperatures, dropImplausibleLimits);
    }
    if (snapshot.gpus)
        dropInEach(*snapshot.gpus, [](GpuReading& gpu) { dropImplausibleFigures(gpu); });
    if (snapshot.loadAverage
        && !std::all_of(snapshot.loadAverage->begin(), snapshot.loadAverage->end(), isPlausibleLoadAverage))
        snapshot.loadAverage.reset();
}

}  // namespace moravel

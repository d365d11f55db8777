#include "monitor/PlausibleFigures.h"

#include "monitor/TemperaturePolicy.h"

#include <algorithm>

namespace moravel {

namespace {

std::optional<double> plausibleCelsius(std::optional<double> celsius)
{
    return celsius && isPlausibleCelsius(*celsius) ? celsius : std::nullopt;
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

}  // namespace

bool isPlausibleLoadAverage(double load)
{
    return load >= 0 && load <= largestLoadAverage;  // false for NaN
}

void dropImplausibleFigures(SystemSnapshot& snapshot)
{
    if (snapshot.temperatures) {
        QList<TemperatureReading>& sensors = *snapshot.temperatures;
        sensors.removeIf([](const TemperatureReading& sensor) { return !isPlausibleCelsius(sensor.celsius); });
        for (TemperatureReading& sensor : sensors) {
            sensor.criticalCelsius = plausibleCelsius(sensor.criticalCelsius);
            sensor.maximumCelsius = plausibleCelsius(sensor.maximumCelsius);
        }
    }
    if (snapshot.gpus) {
        for (GpuReading& gpu : *snapshot.gpus)
            dropImplausibleFigures(gpu);
    }
    if (snapshot.loadAverage && !std::all_of(snapshot.loadAverage->begin(), snapshot.loadAverage->end(),
                                             isPlausibleLoadAverage))
        snapshot.loadAverage.reset();
}

}  // namespace moravel

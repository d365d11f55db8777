#include "monitor/TemperaturePolicy.h"

#include <algorithm>

namespace moravel {

namespace {

// Package sensors first, Tdie before Tctl (which may carry an offset).
int packageRank(const SensorReading& sensor)
{
    if (sensor.chip == QLatin1String("coretemp") && sensor.label.startsWith(QLatin1String("Package id ")))
        return 2;
    if (sensor.chip != QLatin1String("k10temp") && sensor.chip != QLatin1String("zenpower"))
        return 0;
    return sensor.label == QLatin1String("Tdie") ? 2 : sensor.label == QLatin1String("Tctl") ? 1 : 0;
}

}  // namespace

bool isCpuChip(QStringView chip)
{
    return std::any_of(cpuChipNames.begin(), cpuChipNames.end(),
                       [chip](const char* name) { return chip == QLatin1String(name); })
           || chip.startsWith(QLatin1String(cpuZonePrefix));
}

std::optional<CpuTemperature> cpuTemperatureOf(const QList<SensorReading>& sensors)
{
    const SensorReading* chosen = nullptr;
    int chosenRank = -1;
    for (const SensorReading& sensor : sensors) {
        if (!isCpuChip(sensor.chip))
            continue;
        const int rank = packageRank(sensor);
        if (rank > chosenRank || (rank == chosenRank && sensor.value > chosen->value)) {
            chosen = &sensor;
            chosenRank = rank;
        }
    }
    if (!chosen)
        return std::nullopt;
    return CpuTemperature{chosen->value, temperatureLimit(*chosen)};
}

std::optional<CpuTemperature> cpuTemperatureOf(const SystemSnapshot& snapshot)
{
    return snapshot.temperatures ? cpuTemperatureOf(*snapshot.temperatures) : std::nullopt;
}

bool isPlausibleCelsius(double celsius)
{
    return celsius >= -40 && celsius <= 200;  // false for NaN
}

std::optional<double> plausibleCriticalCelsius(std::optional<double> criticalCelsius)
{
    if (criticalCelsius && *criticalCelsius >= lowestPlausibleCriticalCelsius && *criticalCelsius <= highestPlausibleCriticalCelsius)
        return criticalCelsius;
    return std::nullopt;
}

std::optional<double> temperatureLimit(const SensorReading& sensor)
{
    return sensor.critical ? sensor.critical : sensor.maximum;
}

LevelThresholds temperatureThresholds(std::optional<double> criticalCelsius)
{
    const double critical = plausibleCriticalCelsius(criticalCelsius).value_or(fallbackCriticalCelsius);
    const double high = std::min(80.0, critical);
    return {high, high, critical};
}

}  // namespace moravel

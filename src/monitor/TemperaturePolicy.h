#pragma once

#include "monitor/Levels.h"
#include "monitor/MetricTypes.h"

#include <QList>
#include <QStringView>

#include <array>

#include <optional>

namespace moravel {

// How Moravel judges temperatures, for the readings and the alerts alike.

// The temperature chips, by name, that measure the processor itself; and
// the start of the name of other architectures' processor thermal zones
// (cpu_thermal, cpu0_thermal, ...).
inline constexpr std::array<const char*, 5> cpuChipNames{"coretemp", "k10temp", "zenpower", "k8temp", "via_cputemp"};
inline constexpr char cpuZonePrefix[] = "cpu";

bool isCpuChip(QStringView chip);

struct CpuTemperature {
    double celsius = 0;
    std::optional<double> criticalCelsius;  // its sensor's limit

    friend bool operator==(const CpuTemperature&, const CpuTemperature&) = default;
};

// The processor's temperature among `sensors`, whoever read them (this
// computer's hwmon files or another machine's exporter): its package sensor
// (coretemp "Package id N"; k10temp and zenpower "Tdie", else "Tctl", which
// some models offset upwards), the hottest where there are several sockets;
// without one, the hottest sensor of a processor chip; else nothing.
std::optional<CpuTemperature> cpuTemperatureOf(const QList<SensorReading>& sensors);
// The same for a snapshot; nothing while it has no temperatures.
std::optional<CpuTemperature> cpuTemperatureOf(const SystemSnapshot& snapshot);

// Where a temperature sensor says it is too hot: its critical figure, else its maximum.
std::optional<double> temperatureLimit(const SensorReading& sensor);

// Whether a sensor's figure is one a computer's sensor can read: about -40 to
// 200 °C. Unconnected inputs commonly report -273.15 (absolute zero), broken
// drivers figures past a million degrees; neither is a temperature.
bool isPlausibleCelsius(double celsius);

// Where a sensor is too hot when it does not say, or says something implausible.
inline constexpr double fallbackCriticalCelsius = 95;

// The critical figures a sensor may plausibly give: some sensors report 0 or
// 255. The user's alert threshold is offered in this range too, so that a
// sensor's own figure, the default, can be stepped from.
inline constexpr double lowestPlausibleCriticalCelsius = 50;
inline constexpr double highestPlausibleCriticalCelsius = 130;

// The sensor's own critical figure where it is plausible.
std::optional<double> plausibleCriticalCelsius(std::optional<double> criticalCelsius);

// A sensor's thresholds: amber from 80 °C, red from its plausible critical
// figure, else from 95 °C.
LevelThresholds temperatureThresholds(std::optional<double> criticalCelsius);

}  // namespace moravel

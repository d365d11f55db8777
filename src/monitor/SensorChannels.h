#pragma once

#include "monitor/MetricTypes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

namespace moravel {

// The kinds of sensor channel the kernel's hwmon class knows, each with its
// own unit.
enum class SensorKind : uint8_t { temperature, fan, voltage, power, current };
inline constexpr size_t sensorKindCount = static_cast<size_t>(SensorKind::current) + 1;

// How one kind of channel is named and scaled, in the kernel's hwmon files
// (<prefix>N_input, <prefix>N_label, <prefix>N_min, _max, _crit) and in the
// node exporter's families, which read those files (node_hwmon_<prefix>_<unit>,
// node_hwmon_<prefix>_<limit>_<unit>).
struct SensorChannel {
    SensorKind kind = SensorKind::temperature;
    std::string_view prefix;
    // The files holding the value, the preferred one first.
    std::array<std::string_view, 2> inputs{"input", ""};
    double fileUnits = 1;  // units of the files per unit of the reading: 1000 millidegrees a degree
    std::string_view exporterUnit;
};

inline constexpr SensorChannel sensorChannels[] = {
    {.kind = SensorKind::temperature, .prefix = "temp", .fileUnits = 1000, .exporterUnit = "celsius"},
    {.kind = SensorKind::fan, .prefix = "fan", .fileUnits = 1, .exporterUnit = "rpm"},
    {.kind = SensorKind::voltage, .prefix = "in", .fileUnits = 1000, .exporterUnit = "volts"},
    // Drivers that average give the steadier figure.
    {.kind = SensorKind::power, .prefix = "power", .inputs = {"average", "input"}, .fileUnits = 1e6,
     .exporterUnit = "watt"},
    {.kind = SensorKind::current, .prefix = "curr", .fileUnits = 1000, .exporterUnit = "amps"},
};

constexpr bool channelsFollowTheKinds()
{
    for (size_t i = 0; i < std::size(sensorChannels); ++i) {
        if (static_cast<size_t>(sensorChannels[i].kind) != i)
            return false;
    }
    return std::size(sensorChannels) == sensorKindCount;
}
static_assert(channelsFollowTheKinds(), "row i describes SensorKind i, one row each");

constexpr const SensorChannel& sensorChannel(SensorKind kind)
{
    return sensorChannels[static_cast<size_t>(kind)];
}

// The limits a channel may have, by their file and family names.
inline constexpr std::array<std::pair<std::string_view, std::optional<double> SensorReading::*>, 3> sensorLimits{{
    {"crit", &SensorReading::critical},
    {"max", &SensorReading::maximum},
    {"min", &SensorReading::minimum},
}};

// What one reading of a machine's sensors found, kind by kind.
struct SensorReadings {
    std::array<QList<SensorReading>, sensorKindCount> byKind;

    QList<SensorReading>& operator[](SensorKind kind) { return byKind[static_cast<size_t>(kind)]; }
    const QList<SensorReading>& operator[](SensorKind kind) const { return byKind[static_cast<size_t>(kind)]; }
    // Appends `other`'s readings, kind by kind.
    void append(const SensorReadings& other)
    {
        for (size_t kind = 0; kind < byKind.size(); ++kind)
            byKind[kind].append(other.byKind[kind]);
    }
};

}  // namespace moravel

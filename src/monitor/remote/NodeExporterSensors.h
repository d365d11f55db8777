#pragma once

#include "monitor/MetricTypes.h"
#include "monitor/SensorChannels.h"
#include "monitor/TelemetrySource.h"
#include "monitor/remote/MetricFamilies.h"

#include <optional>

namespace moravel {

// Every sensor channel of `kind` on the page, with its chip's name, its own
// label and its limits where the exporter gives them; nothing when the hwmon
// collector neither ran nor reported one.
std::optional<QList<SensorReading>> nodeSensors(const MetricFamilies& families, SensorKind kind);

// The power supplies of the page read as this computer reads its own;
// nothing when the power-supply collector neither ran nor reported one.
std::optional<BatteryRegistry> nodePowerSupplies(const MetricFamilies& families);

}  // namespace moravel

#pragma once

#include "monitor/MetricTypes.h"
#include "monitor/TelemetrySource.h"
#include "monitor/remote/MetricFamilies.h"

#include <optional>

namespace moravel {

// Every temperature sensor of the page, with its chip's name and its own
// label where the exporter gives them; nothing when the hwmon collector
// neither ran nor reported a sensor.
std::optional<QList<TemperatureReading>> nodeTemperatures(const MetricFamilies& families);

// The power supplies of the page read as this computer reads its own;
// nothing when the power-supply collector neither ran nor reported one.
std::optional<BatteryRegistry> nodePowerSupplies(const MetricFamilies& families);

}  // namespace moravel

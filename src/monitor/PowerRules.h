#pragma once

#include "monitor/Levels.h"
#include "monitor/MetricTypes.h"
#include "monitor/TelemetrySource.h"

#include <optional>

namespace moravel {

// The power slice from the battery controller's properties.
PowerReading powerReadingOf(const BatteryRegistry& registry);

// Watts the system itself draws: on battery the discharge; on external power
// the input, less what goes into the battery while charging (never negative).
double systemPowerWatts(const PowerReading& power);

// How low the battery is: high (amber) at 20 % and below, critical (red) at
// 10 % and below, whether or not it is charging.
Level batteryLevel(int64_t percent);

// Whether the battery reads as full: only on the adapter, fully charged, or
// resting above 99 % without charging.
bool isBatteryShownFull(const SystemSnapshot& snapshot);

// Chooses the power figure shown as the system's draw. A weak reading (0.05 W
// or less) keeps the previous figure for up to 2 s after the last valid one.
// Nothing to choose while `next` has no power reading.
void reconcileDisplayPower(const SystemSnapshot& previous, SystemSnapshot& next, double nowSeconds,
                           std::optional<double>& lastValidAtSeconds);

}  // namespace moravel

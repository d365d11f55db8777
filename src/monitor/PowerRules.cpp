#include "monitor/PowerRules.h"

#include <algorithm>
#include <cmath>

namespace moravel {

namespace {

// No battery or adapter of a computer handles a kilowatt: a larger figure is a
// broken driver, and is dropped rather than shown.
constexpr double largestSoundWatts = 1000;

double soundWatts(double watts)
{
    return std::isfinite(watts) && watts >= 0 && watts <= largestSoundWatts ? watts : 0;
}

}  // namespace

void applyBatteryRegistry(const BatteryRegistry& registry, SystemSnapshot& next)
{
    const bool connected = registry.externalConnected;
    const bool hasBattery = registry.hasBattery;
    next.hasBattery = hasBattery;
    next.batteryPercent = hasBattery ? std::clamp<int64_t>(registry.currentCapacity, 0, 100) : 0;
    next.isExternalPowerConnected = connected;
    next.isCharging = hasBattery && connected && registry.isCharging;
    next.isFullyCharged = hasBattery && connected && registry.fullyCharged;

    const int64_t minutes = registry.timeRemainingMinutes;
    next.minutesRemaining =
        hasBattery && minutes >= 1 && minutes <= 65534 ? std::optional<int64_t>(minutes) : std::nullopt;

    // milliamperes x millivolts = microwatts
    next.batteryPowerWatts =
        hasBattery ? soundWatts(std::fabs(registry.amperageMilliamps * registry.voltageMillivolts) / 1'000'000.0) : 0;

    next.systemInputWatts = 0;
    next.adapterWatts = 0;
    next.adapterVoltage = 0;
    next.adapterCurrent = 0;
    if (!connected)
        return;
    if (registry.systemPowerInMilliwatts) {
        const double watts = *registry.systemPowerInMilliwatts / 1000.0;
        next.systemInputWatts = watts >= 0 && watts <= 400 ? watts : 0;  // NaN fails both tests
    }
    if (registry.adapterDetails) {
        const int64_t rating = registry.adapterDetails->watts;
        next.adapterWatts = rating >= 0 && rating <= largestSoundWatts ? rating : 0;
        next.adapterVoltage = registry.adapterDetails->voltageMillivolts / 1000.0;
        next.adapterCurrent = registry.adapterDetails->currentMilliamps / 1000.0;
    }
}

double systemPowerWatts(const SystemSnapshot& snapshot)
{
    if (!snapshot.isExternalPowerConnected)
        return snapshot.batteryPowerWatts;
    if (snapshot.systemInputWatts > 0 && snapshot.isCharging)
        return std::max(snapshot.systemInputWatts - snapshot.batteryPowerWatts, 0.0);
    return std::max(snapshot.systemInputWatts, 0.0);
}

void reconcileDisplayPower(const SystemSnapshot& previous, SystemSnapshot& next, double nowSeconds,
                           std::optional<double>& lastValidAtSeconds)
{
    const double reading = next.isExternalPowerConnected ? next.systemInputWatts : next.batteryPowerWatts;
    if (reading > 0.05) {
        next.displayPowerWatts = systemPowerWatts(next);
        lastValidAtSeconds = nowSeconds;
        return;
    }
    const bool recent = lastValidAtSeconds && nowSeconds - *lastValidAtSeconds < 2.0;
    next.displayPowerWatts = recent && previous.displayPowerWatts ? previous.displayPowerWatts : std::nullopt;
}

}  // namespace moravel

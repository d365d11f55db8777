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

BatteryReading batteryReadingOf(const BatteryRegistry& registry)
{
    const bool connected = registry.externalConnected;
    BatteryReading battery;
    battery.percent = std::clamp<int64_t>(registry.currentCapacity, 0, 100);
    battery.isCharging = connected && registry.isCharging;
    battery.isFullyCharged = connected && registry.fullyCharged;
    const int64_t minutes = registry.timeRemainingMinutes;
    if (minutes >= 1 && minutes <= 65534)
        battery.minutesRemaining = minutes;
    // milliamperes x millivolts = microwatts
    battery.watts = soundWatts(std::fabs(registry.amperageMilliamps * registry.voltageMillivolts) / 1'000'000.0);
    return battery;
}

AdapterReading adapterReadingOf(const BatteryRegistry::AdapterDetails& details)
{
    AdapterReading adapter;
    if (details.watts && *details.watts >= 0 && *details.watts <= largestSoundWatts)
        adapter.ratedWatts = details.watts;
    if (details.voltageMillivolts)
        adapter.volts = *details.voltageMillivolts / 1000.0;
    if (details.currentMilliamps)
        adapter.amperes = *details.currentMilliamps / 1000.0;
    return adapter;
}

}  // namespace

PowerReading powerReadingOf(const BatteryRegistry& registry)
{
    PowerReading power;
    power.isExternalPowerConnected = registry.externalConnected;
    if (registry.hasBattery)
        power.battery = batteryReadingOf(registry);
    if (!registry.externalConnected)
        return power;
    if (registry.systemPowerInMilliwatts) {
        const double watts = *registry.systemPowerInMilliwatts / 1000.0;
        power.systemInputWatts = watts >= 0 && watts <= 400 ? watts : 0;  // NaN fails both tests
    }
    if (registry.adapterDetails)
        power.adapter = adapterReadingOf(*registry.adapterDetails);
    return power;
}

double systemPowerWatts(const PowerReading& power)
{
    const double batteryWatts = power.battery ? power.battery->watts : 0;
    if (!power.isExternalPowerConnected)
        return batteryWatts;
    if (power.systemInputWatts > 0 && power.battery && power.battery->isCharging)
        return std::max(power.systemInputWatts - batteryWatts, 0.0);
    return std::max(power.systemInputWatts, 0.0);
}

Level batteryLevel(int64_t percent)
{
    if (percent <= 10)
        return Level::critical;
    return percent <= 20 ? Level::high : Level::normal;
}

void reconcileDisplayPower(const SystemSnapshot& previous, SystemSnapshot& next, double nowSeconds,
                           std::optional<double>& lastValidAtSeconds)
{
    if (!next.power)
        return;
    PowerReading& power = *next.power;
    const double batteryWatts = power.battery ? power.battery->watts : 0;
    const double reading = power.isExternalPowerConnected ? power.systemInputWatts : batteryWatts;
    if (reading > 0.05) {
        power.displayPowerWatts = systemPowerWatts(power);
        lastValidAtSeconds = nowSeconds;
        return;
    }
    const bool recent = lastValidAtSeconds && nowSeconds - *lastValidAtSeconds < 2.0;
    const std::optional<double> shown = previous.power ? previous.power->displayPowerWatts : std::nullopt;
    power.displayPowerWatts = recent ? shown : std::nullopt;
}

}  // namespace moravel

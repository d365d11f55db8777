#include "monitor/PowerRules.h"

#include <algorithm>
#include <cmath>

namespace moravel {

namespace {

// No battery or adapter of a computer handles a kilowatt: a larger figure is a
// broken driver, and is dropped rather than shown.
constexpr double largestSoundWatts = 1000;
// Nor does any adapter of a computer go past the 60 V of safe low voltage
// (USB Power Delivery stops at 48 V, barrel adapters at about 20 V) or 30 A
// (a 330 W adapter at 20 V takes 16.5 A).
constexpr double largestAdapterVolts = 60;
constexpr double largestAdapterAmperes = 30;

double soundWatts(double watts)
{
    return std::isfinite(watts) && watts >= 0 && watts <= largestSoundWatts ? watts : 0;
}

BatteryReading batteryReadingOf(const BatteryRegistry& registry)
{
    const bool connected = registry.externalConnected;
    BatteryReading battery;
    if (registry.currentCapacity)
        battery.percent = std::clamp<int64_t>(*registry.currentCapacity, 0, 100);
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
    if (const double volts = details.voltageMillivolts.value_or(NAN) / 1000.0;
        volts > 0 && volts <= largestAdapterVolts)
        adapter.volts = volts;
    // The sign of an input current is only the driver's convention.
    if (const double amperes = std::fabs(details.currentMilliamps.value_or(NAN) / 1000.0);
        amperes <= largestAdapterAmperes)
        adapter.amperes = amperes;
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
    if (registry.adapterDetails) {
        const AdapterReading adapter = adapterReadingOf(*registry.adapterDetails);
        if (adapter != AdapterReading{})
            power.adapter = adapter;
    }
    return power;
}

bool isBatteryShownFull(const SystemSnapshot& snapshot)
{
    const BatteryReading* battery = batteryOf(snapshot);
    if (!battery || !snapshot.power->isExternalPowerConnected)
        return false;
    return battery->isFullyCharged || (!battery->isCharging && battery->percent.value_or(0) > 99);
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

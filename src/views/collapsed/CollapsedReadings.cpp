#include "views/collapsed/CollapsedReadings.h"

#include "monitor/Formatters.h"
#include "monitor/PowerRules.h"

namespace moravel::CollapsedReadings {

QString downloadText(double bytesPerSecond)
{
    return QStringLiteral("↓") + MetricFormat::speed(bytesPerSecond);
}

QString uploadText(double bytesPerSecond)
{
    return QStringLiteral("↑") + MetricFormat::speed(bytesPerSecond);
}

bool hasBatteryReading(const SystemSnapshot& snapshot)
{
    const BatteryReading* battery = batteryOf(snapshot);
    return battery && battery->percent && *battery->percent >= 1;
}

PowerReadingTexts powerReadingTexts(const SystemSnapshot& snapshot)
{
    const PowerReading power = snapshot.power.value_or(PowerReading{});
    const std::optional<int64_t> percent = power.battery ? power.battery->percent : std::nullopt;
    const bool onAdapter = power.isExternalPowerConnected;
    return {
        onAdapter,
        onAdapter ? QStringLiteral("SYS") : QStringLiteral("BAT"),
        MetricFormat::compactWatts(power.displayPowerWatts),
        onAdapter ? QStringLiteral("powerplug.fill") : BatterySymbol::name(percent),
        MetricFormat::compactBattery(percent, isBatteryShownFull(snapshot)),
    };
}

std::optional<QString> powerToolTip(const SystemSnapshot& snapshot)
{
    if (!hasBatteryReading(snapshot))
        return std::nullopt;
    if (snapshot.power->isExternalPowerConnected)
        return QStringLiteral(
            "SYS is estimated computer load from AC power; battery charging is shown in the expanded view.");
    return QStringLiteral("BAT is live battery discharge, the available estimate of computer load while unplugged.");
}

}  // namespace moravel::CollapsedReadings

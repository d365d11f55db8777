#include "views/collapsed/CollapsedReadings.h"

#include "island/CollapsedMetricLayout.h"
#include "monitor/Formatters.h"
#include "monitor/ReadingTable.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

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
    return !CollapsedMetricLayout::showsDash(MetricKind::power, snapshot);
}

bool isBatteryShownFull(const SystemSnapshot& snapshot)
{
    if (!snapshot.power || !snapshot.power->battery || !snapshot.power->isExternalPowerConnected)
        return false;
    const BatteryReading& battery = *snapshot.power->battery;
    return battery.isFullyCharged || (!battery.isCharging && battery.percent.value_or(0) > 99);
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

QString accessibilitySummary(const QList<MetricKind>& kinds, const SystemSnapshot& snapshot)
{
    QStringList phrases;
    phrases.reserve(kinds.size());
    for (MetricKind kind : kinds)
        phrases.append(ReadingTable::spoken(kind, snapshot));
    return phrases.join(QStringLiteral(", "));
}

}  // namespace moravel::CollapsedReadings

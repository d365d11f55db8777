#include "views/collapsed/CollapsedReadings.h"

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
    return snapshot.batteryPercent >= 1;
}

bool isBatteryShownFull(const SystemSnapshot& snapshot)
{
    return snapshot.isExternalPowerConnected &&
           (snapshot.isFullyCharged || (!snapshot.isCharging && snapshot.batteryPercent > 99));
}

PowerReadingTexts powerReadingTexts(const SystemSnapshot& snapshot)
{
    const bool onAdapter = snapshot.isExternalPowerConnected;
    return {
        onAdapter,
        onAdapter ? QStringLiteral("SYS") : QStringLiteral("BAT"),
        MetricFormat::compactWatts(snapshot.displayPowerWatts),
        onAdapter ? QStringLiteral("powerplug.fill") : BatterySymbol::name(snapshot.batteryPercent),
        MetricFormat::compactBattery(snapshot.batteryPercent, isBatteryShownFull(snapshot)),
    };
}

std::optional<QString> powerToolTip(const SystemSnapshot& snapshot)
{
    if (!hasBatteryReading(snapshot))
        return std::nullopt;
    if (snapshot.isExternalPowerConnected)
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

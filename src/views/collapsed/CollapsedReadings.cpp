#include "views/collapsed/CollapsedReadings.h"

#include "monitor/Formatters.h"
#include "views/kit/IslandPalette.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace moravel::CollapsedReadings {

namespace {

struct LoadThresholds {
    double red;
    double amber;
    double yellow;
};

QColor colorForLoad(double percent, const LoadThresholds& thresholds)
{
    if (percent >= thresholds.red)
        return IslandPalette::red();
    if (percent >= thresholds.amber)
        return IslandPalette::amber();
    if (percent >= thresholds.yellow)
        return IslandPalette::yellow();
    return IslandPalette::primary();
}

// Screen readers get whole numbers cut towards zero (37.8 is "37"); a value
// that is not a number must not reach the integer conversion.
QString truncatedText(double percent)
{
    if (!std::isfinite(percent))
        return QStringLiteral("0");
    const double bounded = std::clamp(std::trunc(percent), -1e15, 1e15);
    return QString::number(static_cast<qint64>(bounded));
}

QString phrase(CollapsedMetricKind kind, const SystemSnapshot& snapshot)
{
    switch (kind) {
    case CollapsedMetricKind::network:
        return QStringLiteral("Download ") + MetricFormat::speed(snapshot.downloadBytesPerSecond) +
               QStringLiteral(", upload ") + MetricFormat::speed(snapshot.uploadBytesPerSecond);
    case CollapsedMetricKind::cpu:
        return QStringLiteral("CPU ") + truncatedText(snapshot.cpuPercent) + QStringLiteral(" percent");
    case CollapsedMetricKind::memory:
        return QStringLiteral("Memory ") + truncatedText(snapshot.memoryPercent) + QStringLiteral(" percent");
    case CollapsedMetricKind::power:
        if (!snapshot.hasBattery)
            return QStringLiteral("No battery");
        return QStringLiteral("Battery ") + QString::number(snapshot.batteryPercent) + QStringLiteral(" percent");
    }
    return {};
}

}  // namespace

QColor cpuColor(double cpuPercent)
{
    return colorForLoad(cpuPercent, {95, 85, 70});
}

QColor memoryColor(double memoryPercent)
{
    return colorForLoad(memoryPercent, {93, 85, 75});
}

QString percentText(double percent)
{
    return MetricFormat::fixed(percent, 0) + QLatin1Char('%');
}

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

QString accessibilitySummary(const QList<CollapsedMetricKind>& kinds, const SystemSnapshot& snapshot)
{
    QStringList phrases;
    phrases.reserve(kinds.size());
    for (CollapsedMetricKind kind : kinds)
        phrases.append(phrase(kind, snapshot));
    return phrases.join(QStringLiteral(", "));
}

}  // namespace moravel::CollapsedReadings

#include "views/power/PowerFlowRules.h"

#include "monitor/Formatters.h"
#include "views/kit/IslandPalette.h"

#include <algorithm>

namespace moravel::PowerFlow {

namespace {

QString percentDigits(const SystemSnapshot& snapshot)
{
    return QString::number(snapshot.batteryPercent);
}

QString drawText(const SystemSnapshot& snapshot)
{
    return MetricFormat::power(systemDraw(snapshot));
}

}  // namespace

bool isBatteryFull(const SystemSnapshot& snapshot)
{
    return snapshot.isExternalPowerConnected &&
           (snapshot.isFullyCharged || (!snapshot.isCharging && snapshot.batteryPercent >= 100));
}

std::optional<double> systemDraw(const SystemSnapshot& snapshot)
{
    if (!snapshot.hasBattery) {
        if (!(snapshot.systemInputWatts > 0.05))
            return std::nullopt;
        return snapshot.systemInputWatts;
    }
    const double source = snapshot.isExternalPowerConnected ? snapshot.systemInputWatts : snapshot.batteryPowerWatts;
    if (!(source > 0.05))
        return std::nullopt;
    if (!snapshot.isExternalPowerConnected)
        return snapshot.batteryPowerWatts;
    if (!snapshot.isCharging)
        return snapshot.systemInputWatts;
    return std::max(snapshot.systemInputWatts - snapshot.batteryPowerWatts, 0.0);
}

QString powerStatus(const SystemSnapshot& snapshot)
{
    if (snapshot.absentReadings.contains(ReadingGroup::power))
        return QStringLiteral("Not available");
    if (!snapshot.hasBattery) {
        const std::optional<double> draw = systemDraw(snapshot);
        return draw ? QStringLiteral("No battery · ") + MetricFormat::power(draw) + QStringLiteral(" draw")
                    : QStringLiteral("No battery");
    }
    const QString draw = drawText(snapshot);
    const QString pct = percentDigits(snapshot);
    if (!snapshot.isExternalPowerConnected)
        return QStringLiteral("Battery · ") + draw + QStringLiteral(" draw · ") + pct + QLatin1Char('%');
    if (isBatteryFull(snapshot))
        return QStringLiteral("AC · ") + draw + QStringLiteral(" draw · Full");
    if (snapshot.isCharging)
        return QStringLiteral("AC · ") + draw + QStringLiteral(" draw · Charging ") + pct + QLatin1Char('%');
    return QStringLiteral("AC · ") + draw + QStringLiteral(" draw · Battery ") + pct + QLatin1Char('%');
}

QString batteryFlowValue(const SystemSnapshot& snapshot)
{
    if (isBatteryFull(snapshot))
        return QStringLiteral("Full");
    if (!snapshot.isCharging)
        return percentDigits(snapshot) + QLatin1Char('%');
    return QLatin1Char('+') + MetricFormat::power(snapshot.batteryPowerWatts);
}

QString batteryFlowLabel(const SystemSnapshot& snapshot)
{
    if (snapshot.isCharging)
        return QStringLiteral("Battery charge");
    return QStringLiteral("Battery ") + percentDigits(snapshot) + QLatin1Char('%');
}

QString adapterValue(const SystemSnapshot& snapshot)
{
    // Another machine's exporter may not say whether anything is plugged in.
    if (snapshot.absentReadings.contains(ReadingGroup::power))
        return QStringLiteral("—");
    if (snapshot.adapterWatts >= 1)
        return QString::number(snapshot.adapterWatts) + QStringLiteral(" W max");
    return QStringLiteral("Connected");
}

PowerFlowDiagramContent diagram(const SystemSnapshot& snapshot)
{
    const QString battery = BatterySymbol::name(snapshot.batteryPercent);
    const QString laptop = QStringLiteral("laptopcomputer");
    PowerFlowDiagramContent content;
    content.hasBattery = snapshot.hasBattery;
    content.isExternalPower = snapshot.isExternalPowerConnected || !snapshot.hasBattery;
    if (!content.isExternalPower) {
        content.source = {battery, percentDigits(snapshot) + QLatin1Char('%'), QStringLiteral("Battery"),
                          IslandPalette::mint()};
        content.computer = {laptop, drawText(snapshot), QStringLiteral("System load"), IslandPalette::cyan()};
        return content;
    }
    content.source = {QStringLiteral("powerplug.fill"), adapterValue(snapshot), QStringLiteral("Power source"),
                      IslandPalette::primary()};
    // A computer without a battery is most likely a desktop.
    content.computer = {snapshot.hasBattery ? laptop : QStringLiteral("desktopcomputer"),
                        MetricFormat::power(snapshot.systemInputWatts), QStringLiteral("Computer input now"),
                        IslandPalette::primary()};
    if (!content.hasDestinations())
        return content;
    content.destinations = {{
        {battery, batteryFlowValue(snapshot), batteryFlowLabel(snapshot),
         snapshot.isCharging ? IslandPalette::mint() : IslandPalette::secondary()},
        {QStringLiteral("cpu"), drawText(snapshot), QStringLiteral("System draw"), IslandPalette::cyan()},
    }};
    return content;
}

}  // namespace moravel::PowerFlow

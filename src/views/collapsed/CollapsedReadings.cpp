#include "views/collapsed/CollapsedReadings.h"

#include "island/CollapsedMetricLayout.h"
#include "monitor/FleetRules.h"
#include "monitor/Formatters.h"
#include "monitor/PowerRules.h"
#include "monitor/ReadingTable.h"

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

std::optional<QString> fleetMachineOf(MetricKind kind, const SystemSnapshot& snapshot)
{
    if (!snapshot.fleet || snapshot.fleet->chosen)
        return std::nullopt;
    const MachineReading* worst = worstMachine(*snapshot.fleet, kind);
    return worst ? std::optional(shortMachineName(worst->instance)) : std::nullopt;
}

std::optional<QString> fleetDownText(const SystemSnapshot& snapshot)
{
    if (!snapshot.fleet || snapshot.fleet->chosen)
        return std::nullopt;
    const qsizetype down = downCount(*snapshot.fleet);
    if (down == 0)
        return std::nullopt;
    // Worst first: the machines that are down lead the list.
    const QString who = down == 1 ? shortMachineName(snapshot.fleet->machines.first().instance) : QString::number(down);
    return who + QStringLiteral(" down");
}

QString spokenReading(MetricKind kind, const QList<MetricKind>& kinds, const SystemSnapshot& snapshot)
{
    if (!kinds.isEmpty() && kinds.first() == kind)
        if (const std::optional<QString> down = fleetDownText(snapshot))
            return *down;
    const std::optional<QString> machine = fleetMachineOf(kind, snapshot);
    return (machine ? *machine + QStringLiteral(", ") : QString()) + ReadingTable::spoken(kind, snapshot);
}

}  // namespace moravel::CollapsedReadings

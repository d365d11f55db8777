#include "views/dashboard/DashboardRules.h"

#include "monitor/FleetRules.h"
#include "monitor/ReadingTable.h"
#include "views/kit/ReadingColors.h"

namespace moravel {

QString headerMessage(const SystemSnapshot& snapshot, const QString& machine)
{
    const QString subject = machine.isEmpty() ? QStringLiteral("Your computer") : machine;
    if (ReadingTable::value(MetricKind::memory, snapshot) >= 90)
        return QStringLiteral("Memory pressure is high");
    if (ReadingTable::value(MetricKind::cpu, snapshot) >= 90)
        return subject + QStringLiteral(" is working hard");
    if (ReadingTable::value(MetricKind::disk, snapshot) >= 92)
        return QStringLiteral("Disk space is running low");
    return subject + QStringLiteral(" is running well");
}

QString headerStatus(const SystemSnapshot& snapshot, const QString& machine, bool reachable)
{
    if (!reachable)
        return QStringLiteral("Can't reach %1").arg(machine);
    return snapshot.fleet ? fleetSummary(*snapshot.fleet) : headerMessage(snapshot, machine);
}

QList<LegendEntry> chartLegend(MetricKind metric, const SystemSnapshot& snapshot)
{
    QList<LegendEntry> entries;
    const auto& tab = ReadingTable::of(metric).tab;
    if (!tab)
        return entries;
    for (const ChartLine& line : tab->lines) {
        const BatteryReading* battery = batteryOf(snapshot);
        if (line.whileCharging && !(battery && battery->isCharging))
            continue;
        entries.append({line.legendFor ? line.legendFor(snapshot) : QString::fromLatin1(line.legend),
                        toneColor(line.tone)});
    }
    return entries;
}

}  // namespace moravel

#include "views/dashboard/DashboardRules.h"

#include "views/kit/IslandPalette.h"

namespace moravel {

QString headerMessage(const SystemSnapshot& snapshot)
{
    if (snapshot.memoryPercent >= 90)
        return QStringLiteral("Memory pressure is high");
    if (snapshot.cpuPercent >= 90)
        return QStringLiteral("Your computer is working hard");
    if (snapshot.diskPercent >= 92)
        return QStringLiteral("Disk space is running low");
    return QStringLiteral("Your computer is running well");
}

QList<LegendEntry> chartLegend(MetricKind metric, const SystemSnapshot& snapshot)
{
    const LegendEntry cpu{QStringLiteral("CPU"), IslandPalette::mint()};
    const LegendEntry memory{QStringLiteral("Memory"), IslandPalette::cyan()};
    switch (metric) {
    case MetricKind::overview:
        return {cpu, memory};
    case MetricKind::cpu:
        return {cpu};
    case MetricKind::memory:
        return {memory};
    case MetricKind::network:
        return {{QStringLiteral("Download"), IslandPalette::cyan()}, {QStringLiteral("Upload"), IslandPalette::mint()}};
    case MetricKind::power: {
        // Without a battery the chart shows what the power supply delivers.
        if (!snapshot.hasBattery)
            return {{QStringLiteral("Input"), IslandPalette::cyan()}};
        QList<LegendEntry> entries{{snapshot.isExternalPowerConnected ? QStringLiteral("System") : QStringLiteral("Draw"),
                                    IslandPalette::cyan()}};
        if (snapshot.isCharging)
            entries.append({QStringLiteral("Charging"), IslandPalette::mint()});
        return entries;
    }
    }
    return {};
}

}  // namespace moravel

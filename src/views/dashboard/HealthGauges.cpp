#include "views/dashboard/HealthGauges.h"

#include "monitor/Formatters.h"
#include "views/kit/IslandPalette.h"

namespace moravel {

namespace {
QString percentText(double percent)
{
    return MetricFormat::fixed(percent, 0) + QLatin1Char('%');
}
}  // namespace

QColor cpuGaugeAccent(double cpuPercent)
{
    if (cpuPercent >= 95)
        return IslandPalette::red();
    if (cpuPercent >= 85)
        return IslandPalette::amber();
    if (cpuPercent >= 70)
        return IslandPalette::yellow();
    return IslandPalette::primary();
}

QColor memoryGaugeAccent(double memoryPercent)
{
    if (memoryPercent >= 93)
        return IslandPalette::red();
    if (memoryPercent >= 85)
        return IslandPalette::amber();
    if (memoryPercent >= 75)
        return IslandPalette::yellow();
    return IslandPalette::primary();
}

std::array<HealthMetric, 4> healthMetrics(const SystemSnapshot& snapshot)
{
    const QString network = QStringLiteral("↓") + MetricFormat::speed(snapshot.downloadBytesPerSecond) +
                            QStringLiteral("  ↑") + MetricFormat::speed(snapshot.uploadBytesPerSecond);
    return {{
        {QStringLiteral("cpu"), QStringLiteral("CPU"), percentText(snapshot.cpuPercent),
         cpuGaugeAccent(snapshot.cpuPercent)},
        {QStringLiteral("memorychip"), QStringLiteral("MEM"), percentText(snapshot.memoryPercent),
         memoryGaugeAccent(snapshot.memoryPercent)},
        {QStringLiteral("wifi"), QStringLiteral("Network"), network, IslandPalette::cyan()},
        {QStringLiteral("internaldrive"), QStringLiteral("Disk"), percentText(snapshot.diskPercent),
         IslandPalette::primary()},
    }};
}

}  // namespace moravel

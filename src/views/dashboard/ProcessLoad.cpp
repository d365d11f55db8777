#include "views/dashboard/ProcessLoad.h"

#include "monitor/Formatters.h"
#include "views/kit/IslandPalette.h"

#include <algorithm>

namespace moravel {

namespace {
constexpr qsizetype kTopCount = 3;
}

QColor processColor(ProcessLoadKind kind, const ProcessMetric& process, uint64_t memoryTotal)
{
    if (kind == ProcessLoadKind::cpu) {
        const double load = process.cpuPercent;
        if (load >= 90)
            return IslandPalette::red();
        if (load >= 55)
            return IslandPalette::amber();
        if (load >= 25)
            return IslandPalette::yellow();
        return IslandPalette::mint();
    }
    if (memoryTotal == 0)
        return IslandPalette::cyan();
    const double share = static_cast<double>(process.memoryBytes) / static_cast<double>(memoryTotal) * 100;
    if (share >= 20)
        return IslandPalette::red();
    if (share >= 12)
        return IslandPalette::amber();
    if (share >= 6)
        return IslandPalette::yellow();
    return IslandPalette::cyan();
}

double loadFraction(ProcessLoadKind kind, const ProcessMetric& process, uint64_t memoryTotal)
{
    if (kind == ProcessLoadKind::cpu)
        return std::min(process.cpuPercent / 100, 1.0);
    if (memoryTotal == 0)
        return 0;
    return std::min(static_cast<double>(process.memoryBytes) / static_cast<double>(memoryTotal), 1.0);
}

QString processReading(ProcessLoadKind kind, const ProcessMetric& process)
{
    if (kind == ProcessLoadKind::memory)
        return MetricFormat::memory(process.memoryBytes);
    return MetricFormat::fixed(process.cpuPercent, 1) + QLatin1Char('%');
}

QString spokenProcessReading(ProcessLoadKind kind, const ProcessMetric& process)
{
    if (kind == ProcessLoadKind::memory)
        return MetricFormat::spokenMemory(process.memoryBytes);
    return MetricFormat::spokenPercent(process.cpuPercent) + QStringLiteral(" CPU");
}

QString processCardIcon(ProcessLoadKind kind)
{
    return kind == ProcessLoadKind::cpu ? QStringLiteral("cpu") : QStringLiteral("memorychip");
}

QString processCardTitle(ProcessLoadKind kind)
{
    return kind == ProcessLoadKind::cpu ? QStringLiteral("CPU Heavy") : QStringLiteral("Memory Heavy");
}

QColor processCardTint(ProcessLoadKind kind)
{
    return kind == ProcessLoadKind::cpu ? IslandPalette::mint() : IslandPalette::cyan();
}

QList<ProcessMetric> topProcesses(const QList<ProcessMetric>& processes, ProcessLoadKind kind)
{
    QList<ProcessMetric> sorted = processes;
    if (kind == ProcessLoadKind::cpu) {
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const ProcessMetric& a, const ProcessMetric& b) { return a.cpuPercent > b.cpuPercent; });
    } else {
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const ProcessMetric& a, const ProcessMetric& b) { return a.memoryBytes > b.memoryBytes; });
    }
    if (sorted.size() > kTopCount)
        sorted.resize(kTopCount);
    return sorted;
}

}  // namespace moravel

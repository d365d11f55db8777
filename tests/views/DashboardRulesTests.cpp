#include "views/DashboardRules.h"
#include "views/HealthGauges.h"
#include "views/IslandPalette.h"
#include "views/ProcessLoad.h"

#include <gtest/gtest.h>

namespace moravel {
namespace {

SystemSnapshot loads(double cpu, double memory, double disk)
{
    SystemSnapshot snapshot;
    snapshot.cpuPercent = cpu;
    snapshot.memoryPercent = memory;
    snapshot.diskPercent = disk;
    return snapshot;
}

TEST(HeaderMessage, FirstMatchWins)
{
    EXPECT_EQ(headerMessage(loads(99, 95, 99)), QStringLiteral("Memory pressure is high"));
    EXPECT_EQ(headerMessage(loads(90, 89.9, 99)), QStringLiteral("Your Mac is working hard"));
    EXPECT_EQ(headerMessage(loads(10, 10, 92)), QStringLiteral("Disk space is running low"));
    EXPECT_EQ(headerMessage(loads(89.9, 89.9, 91.9)), QStringLiteral("Your Mac is running well"));
}

QStringList labelsOf(const QList<LegendEntry>& entries)
{
    QStringList labels;
    for (const LegendEntry& entry : entries)
        labels.append(entry.label);
    return labels;
}

TEST(ChartLegend, EntriesPerTab)
{
    const SystemSnapshot idle;
    EXPECT_EQ(labelsOf(chartLegend(MetricKind::overview, idle)), (QStringList{"CPU", "Memory"}));
    EXPECT_EQ(labelsOf(chartLegend(MetricKind::cpu, idle)), QStringList{"CPU"});
    EXPECT_EQ(labelsOf(chartLegend(MetricKind::memory, idle)), QStringList{"Memory"});
    const auto network = chartLegend(MetricKind::network, idle);
    EXPECT_EQ(labelsOf(network), (QStringList{"Download", "Upload"}));
    EXPECT_EQ(network[0].color, IslandPalette::cyan());
    EXPECT_EQ(network[1].color, IslandPalette::mint());

    SystemSnapshot charging;
    charging.isExternalPowerConnected = true;
    charging.isCharging = true;
    EXPECT_EQ(labelsOf(chartLegend(MetricKind::power, charging)), (QStringList{"System", "Charging"}));
    EXPECT_EQ(labelsOf(chartLegend(MetricKind::power, idle)), QStringList{"Draw"});
}

TEST(HealthGauges, ThresholdsAreInclusive)
{
    const struct {
        QColor (*accent)(double);
        double value;
        QColor expected;
    } rows[] = {{cpuGaugeAccent, 69.9, IslandPalette::primary()},    {cpuGaugeAccent, 70, IslandPalette::yellow()},
                {cpuGaugeAccent, 85, IslandPalette::amber()},        {cpuGaugeAccent, 95, IslandPalette::red()},
                {memoryGaugeAccent, 74.9, IslandPalette::primary()}, {memoryGaugeAccent, 75, IslandPalette::yellow()},
                {memoryGaugeAccent, 92.9, IslandPalette::amber()},   {memoryGaugeAccent, 93, IslandPalette::red()}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(row.accent(row.value), row.expected);
    }
}

TEST(HealthGauges, FourGaugesFromASnapshot)
{
    SystemSnapshot snapshot = loads(69.6, 99.6, 99);
    snapshot.downloadBytesPerSecond = 1'500'000;
    const auto gauges = healthMetrics(snapshot);
    EXPECT_EQ(gauges[0], (HealthMetric{"cpu", "CPU", "70%", IslandPalette::primary()}));
    EXPECT_EQ(gauges[1], (HealthMetric{"memorychip", "MEM", "100%", IslandPalette::red()}));
    EXPECT_EQ(gauges[2], (HealthMetric{"wifi", "Network", QStringLiteral("↓1.5M  ↑0B"), IslandPalette::cyan()}));
    EXPECT_EQ(gauges[3], (HealthMetric{"internaldrive", "Disk", "99%", IslandPalette::primary()}));
}

ProcessMetric process(double cpu, uint64_t memory = 0, int32_t id = 1)
{
    return {id, QStringLiteral("p%1").arg(id), cpu, memory};
}

TEST(ProcessColor, ProcessorBands)
{
    EXPECT_EQ(processColor(ProcessLoadKind::cpu, process(24.9), 0), IslandPalette::mint());
    EXPECT_EQ(processColor(ProcessLoadKind::cpu, process(25), 0), IslandPalette::yellow());
    EXPECT_EQ(processColor(ProcessLoadKind::cpu, process(55), 0), IslandPalette::amber());
    EXPECT_EQ(processColor(ProcessLoadKind::cpu, process(90), 0), IslandPalette::red());
}

TEST(ProcessColor, MemoryShareBands)
{
    const uint64_t total = 1000;
    EXPECT_EQ(processColor(ProcessLoadKind::memory, process(0, 59), total), IslandPalette::cyan());
    EXPECT_EQ(processColor(ProcessLoadKind::memory, process(0, 60), total), IslandPalette::yellow());
    EXPECT_EQ(processColor(ProcessLoadKind::memory, process(0, 120), total), IslandPalette::amber());
    EXPECT_EQ(processColor(ProcessLoadKind::memory, process(0, 200), total), IslandPalette::red());
    EXPECT_EQ(processColor(ProcessLoadKind::memory, process(0, 900), 0), IslandPalette::cyan());
}

TEST(ProcessLoad, FractionsAndReadings)
{
    EXPECT_DOUBLE_EQ(loadFraction(ProcessLoadKind::cpu, process(250), 0), 1.0);
    EXPECT_DOUBLE_EQ(loadFraction(ProcessLoadKind::cpu, process(12.5), 0), 0.125);
    EXPECT_DOUBLE_EQ(loadFraction(ProcessLoadKind::memory, process(0, 250), 1000), 0.25);
    EXPECT_DOUBLE_EQ(loadFraction(ProcessLoadKind::memory, process(0, 250), 0), 0.0);
    EXPECT_EQ(processReading(ProcessLoadKind::cpu, process(250)), QStringLiteral("250.0%"));
    EXPECT_EQ(processReading(ProcessLoadKind::cpu, process(12.34)), QStringLiteral("12.3%"));
    EXPECT_EQ(processReading(ProcessLoadKind::memory, process(0, 1'240'000'000)), QStringLiteral("1.2 GB"));
    EXPECT_EQ(processColor(ProcessLoadKind::cpu, process(250), 0), IslandPalette::red());
}

TEST(ProcessLoad, TopThreeIsStableAndCut)
{
    const QList<ProcessMetric> all{process(5, 400, 1), process(50, 100, 2), process(5, 900, 3), process(50, 400, 4),
                                   process(1, 50, 5)};
    QList<int32_t> ids;
    for (const ProcessMetric& p : topProcesses(all, ProcessLoadKind::cpu))
        ids.append(p.id);
    EXPECT_EQ(ids, (QList<int32_t>{2, 4, 1}));
    ids.clear();
    for (const ProcessMetric& p : topProcesses(all, ProcessLoadKind::memory))
        ids.append(p.id);
    EXPECT_EQ(ids, (QList<int32_t>{3, 1, 4}));
    EXPECT_EQ(topProcesses(all.mid(0, 2), ProcessLoadKind::memory).size(), 2);
}

}  // namespace
}  // namespace moravel

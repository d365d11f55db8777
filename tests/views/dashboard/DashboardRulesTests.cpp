#include "testsupport/Snapshots.h"
#include "views/dashboard/DashboardRules.h"
#include "views/dashboard/HealthGauges.h"
#include "views/dashboard/ProcessLoad.h"
#include "views/kit/IslandPalette.h"

#include <gtest/gtest.h>

namespace moravel {
namespace {

using fixtures::loads;

TEST(HeaderMessage, FirstMatchWins)
{
    EXPECT_EQ(headerMessage(loads(99, 95, 99)), QStringLiteral("Memory pressure is high"));  // memory before CPU
    EXPECT_EQ(headerMessage(loads(90, 89.9, 99)), QStringLiteral("Your computer is working hard"));
    EXPECT_EQ(headerMessage(loads(10, 10, 92)), QStringLiteral("Disk space is running low"));
    EXPECT_EQ(headerMessage(loads(89.9, 89.9, 91.9)), QStringLiteral("Your computer is running well"));
}

TEST(ChartLegend, EntriesPerTab)
{
    const auto labelsOf = [](MetricKind kind, bool charging, bool hasBattery = true) {
        SystemSnapshot snapshot = hasBattery ? fixtures::onAdapter(50, 10, 5, charging) : fixtures::withoutBattery(10);
        snapshot.power->isExternalPowerConnected = charging;
        QStringList labels;
        for (const LegendEntry& entry : chartLegend(kind, snapshot))
            labels.append(entry.label);
        return labels;
    };
    EXPECT_EQ(labelsOf(MetricKind::overview, false), (QStringList{"CPU", "Memory"}));
    EXPECT_EQ(labelsOf(MetricKind::network, false), (QStringList{"Download", "Upload"}));
    EXPECT_EQ(labelsOf(MetricKind::power, true), (QStringList{"System", "Charging"}));
    EXPECT_EQ(labelsOf(MetricKind::power, false), QStringList{"Draw"});
    EXPECT_EQ(labelsOf(MetricKind::power, true, false), QStringList{"Input"});
}

// Coloured by the unrounded value: 69.6 shows 70% but stays below yellow.
// Each gauge named by its reading's title, its figures in words.
TEST(HealthGauges, FourGaugesFromASnapshot)
{
    SystemSnapshot snapshot = loads(69.6, 99.6, 99);
    snapshot.network->downloadBytesPerSecond = 1'500'000;
    snapshot.diskActivity->readBytesPerSecond = 2'500'000;
    const auto gauges = healthMetrics(snapshot);
    EXPECT_EQ(gauges[0], (HealthMetric{"cpu", "CPU", "70%", IslandPalette::primary(), {}, "CPU", "69 percent"}));
    EXPECT_EQ(gauges[1], (HealthMetric{"memorychip", "MEM", "100%", IslandPalette::red(), {}, "Memory", "99 percent"}));
    EXPECT_EQ(gauges[2], (HealthMetric{"wifi", "Network", QStringLiteral("↓1.5M"), IslandPalette::cyan(), QStringLiteral("↑0B"),
                                     "Network", "down 1.5 megabytes a second, up 0 bytes a second"}));
    EXPECT_EQ(gauges[3], (HealthMetric{"internaldrive", "Disk", "99%", IslandPalette::primary(), "R 2.5M  W 0B", "Disk",
                                     "99 percent, reading 2.5 megabytes a second, writing 0 bytes a second"}));
    EXPECT_EQ(healthMetrics(loads(0, 85))[1].accent, IslandPalette::amber());
    // Another machine's exporter without the filesystem and disk collectors.
    snapshot.disk.reset();
    snapshot.diskActivity.reset();
    EXPECT_EQ(healthMetrics(snapshot)[3], (HealthMetric{"internaldrive", "Disk", "—", IslandPalette::secondary(), "R —  W —", "Disk",
                                                               "not available"}));
}

ProcessMetric process(double cpu, uint64_t memory = 0)
{
    return {1, QStringLiteral("p1"), cpu, memory};
}

// Each band from its threshold up; just below the first, the base colour.
TEST(ProcessColor, ProcessorAndMemoryShareBands)
{
    const struct {
        ProcessLoadKind kind;
        ProcessMetric process;
        uint64_t total;
        QColor expected;
    } rows[] = {{ProcessLoadKind::cpu, process(24.9), 0, IslandPalette::mint()},
                {ProcessLoadKind::cpu, process(25), 0, IslandPalette::yellow()},
                {ProcessLoadKind::cpu, process(90), 0, IslandPalette::red()},
                {ProcessLoadKind::memory, process(0, 59), 1000, IslandPalette::cyan()},
                {ProcessLoadKind::memory, process(0, 120), 1000, IslandPalette::amber()},
                {ProcessLoadKind::memory, process(0, 200), 1000, IslandPalette::red()},
                {ProcessLoadKind::memory, process(0, 900), 0, IslandPalette::cyan()}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.process.cpuPercent + row.process.memoryBytes);
        EXPECT_EQ(processColor(row.kind, row.process, row.total), row.expected);
    }
}

TEST(ProcessLoad, FractionsAndReadings)
{
    EXPECT_DOUBLE_EQ(loadFraction(ProcessLoadKind::cpu, process(250), 0), 1.0);
    EXPECT_DOUBLE_EQ(loadFraction(ProcessLoadKind::memory, process(0, 250), 1000), 0.25);
    EXPECT_DOUBLE_EQ(loadFraction(ProcessLoadKind::memory, process(0, 250), 0), 0.0);
    EXPECT_EQ(processReading(ProcessLoadKind::cpu, process(12.34)), QStringLiteral("12.3%"));
    EXPECT_EQ(processReading(ProcessLoadKind::memory, process(0, 1'240'000'000)), QStringLiteral("1.2 GiB"));
}

}  // namespace
}  // namespace moravel

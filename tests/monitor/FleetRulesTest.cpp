#include "monitor/FleetRules.h"
#include "monitor/JsonWriter.h"
#include "monitor/ReadingTable.h"

#include <gtest/gtest.h>

using namespace moravel;

namespace {

MachineReading machine(const QString& instance, std::optional<double> cpu, std::optional<double> memory = {},
                       std::optional<double> download = {})
{
    MachineReading m{instance, QStringLiteral("node"), true, std::nullopt, {}};
    if (cpu)
        m.readings.cpu = CpuReading{*cpu, {}};
    if (memory)
        m.readings.memory = MemoryReading{*memory, 1, 2};
    if (download)
        m.readings.network = NetworkReading{*download, 1};
    return m;
}

MachineReading down(const QString& instance, std::optional<qint64> sinceSeconds)
{
    MachineReading m{instance, QStringLiteral("node"), false, std::nullopt, {}};
    if (sinceSeconds)
        m.since = QDateTime::fromSecsSinceEpoch(*sinceSeconds, Qt::UTC);
    return m;
}

QStringList instances(const QList<MachineReading>& machines)
{
    QStringList names;
    for (const MachineReading& m : machines)
        names.append(m.instance);
    return names;
}

}  // namespace

TEST(FleetRules, AMachinesShortName)
{
    const std::pair<const char*, const char*> cases[] = {
        {"web3.lan:9100", "web3"}, {"web3", "web3"},         {"10.0.0.5:9100", "10.0.0.5"},
        {"[fe80::1]:9100", "fe80::1"}, {"fe80::1", "fe80::1"}, {"localhost:9100", "localhost"},
        {".hidden:1", ".hidden"},
    };
    for (const auto& [instance, name] : cases)
        EXPECT_EQ(shortMachineName(QString::fromLatin1(instance)), QString::fromLatin1(name)) << instance;
}

TEST(FleetRules, WorstFirstDownThenLevelThenShareThenName)
{
    QList<MachineReading> machines{
        machine("calm-b", 10),     machine("calm-a", 10),       machine("busy", 60),
        machine("hot", 96),        down("down-unknown", {}),     down("down-late", 2000),
        down("down-early", 1000),  machine("full", 20, 94),      machine("nothing", {}),
    };
    sortWorstFirst(machines);
    EXPECT_EQ(instances(machines), (QStringList{"down-early", "down-late", "down-unknown", "hot", "full", "busy",
                                                "calm-a", "calm-b", "nothing"}));
}

TEST(FleetRules, EachReadingsWorstMachine)
{
    const FleetReading fleet{{machine("a", 50, 10, 100), machine("b", 80, {}, 5), machine("c", {}, 30, 1e6),
                              down("d", 1)},
                             std::nullopt};
    EXPECT_EQ(worstMachine(fleet, MetricKind::cpu)->instance, "b");
    EXPECT_EQ(worstMachine(fleet, MetricKind::memory)->instance, "c");
    EXPECT_EQ(worstMachine(fleet, MetricKind::network)->instance, "c");  // the most traffic
    EXPECT_EQ(worstMachine(fleet, MetricKind::disk), nullptr);
    EXPECT_EQ(downCount(fleet), 1);
}

TEST(FleetRules, TheSnapshotOfAFleetIsItsWorstOrItsChosenMachine)
{
    MachineReading a = machine("a", 50, 10);
    a.readings.loadAverage = std::array<double, 3>{1, 2, 3};
    MachineReading b = machine("b", 80, 5);
    b.readings.loadAverage = std::array<double, 3>{4, 5, 6};
    FleetReading fleet{{a, b}, std::nullopt};

    const SystemSnapshot whole = fleetSnapshot(fleet);
    EXPECT_EQ(whole.cpu, b.readings.cpu);
    EXPECT_EQ(whole.loadAverage, b.readings.loadAverage);  // with the busiest processor
    EXPECT_EQ(whole.memory, a.readings.memory);
    EXPECT_EQ(whole.disk, std::nullopt);
    EXPECT_EQ(whole.fleet, fleet);

    fleet.chosen = QStringLiteral("a");
    const SystemSnapshot chosen = fleetSnapshot(fleet);
    EXPECT_EQ(chosen.cpu, a.readings.cpu);
    EXPECT_EQ(chosen.loadAverage, a.readings.loadAverage);
    EXPECT_EQ(chosen.fleet, fleet);
}

TEST(FleetRules, TheFleetsSummary)
{
    EXPECT_EQ(fleetSummary({{machine("a", 1)}, std::nullopt}), "1 machine, all up");
    EXPECT_EQ(fleetSummary({{machine("a", 1), down("b", {}), machine("c", 1)}, std::nullopt}), "3 machines, 1 down");
    EXPECT_EQ(fleetSummary({}), "0 machines");
}

TEST(FleetRules, MachinesAreListedInJsonWithNullsForWhatTheyLack)
{
    MachineReading a = machine("web3:9100", 12.5, 40);
    a.readings.memory = MemoryReading{50, 4, 8};
    a.since = QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
    const ReadingDescriptor& row = ReadingTable::of(MetricKind::machines);
    QByteArray out;
    JsonWriter writer(out);
    SystemSnapshot snapshot;
    row.writeJson(writer, snapshot);
    snapshot.fleet = FleetReading{{a, down("old:9100", {})}, std::nullopt};
    row.writeJson(writer, snapshot);
    writer.finish();
    EXPECT_EQ(out, R"({"machines":null,"machines":[{"instance":"web3:9100","job":"node","up":true,)"
                   R"("since":"1970-01-01T00:00:00.000Z","cpuPercent":12.5,"memoryUsed":4,"memoryTotal":8,)"
                   R"("diskUsed":null,"diskTotal":null,"downloadBytesPerSecond":null,"uploadBytesPerSecond":null,)"
                   R"("loadAverage":null,"cpuTemperatureCelsius":null,"fanRpm":null,"fans":null,"voltages":null},)"
                   R"({"instance":"old:9100","job":"node",)"
                   R"("up":false,"since":null,"cpuPercent":null,"memoryUsed":null,"memoryTotal":null,)"
                   R"("diskUsed":null,"diskTotal":null,"downloadBytesPerSecond":null,"uploadBytesPerSecond":null,)"
                   R"("loadAverage":null,"cpuTemperatureCelsius":null,"fanRpm":null,"fans":null,"voltages":null}]})");
}

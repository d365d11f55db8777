#include "monitor/FleetRules.h"

#include "monitor/ReadingTable.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace moravel {

namespace {

bool isAddress(const QString& host)
{
    return host.contains(u':') || std::all_of(host.begin(), host.end(), [](QChar c) { return c.isDigit() || c == u'.'; });
}

// How bad a machine's reading of `kind` is, to compare machines by; NaN when
// it has none.
double severityOf(MetricKind kind, const SystemSnapshot& readings)
{
    if (kind == MetricKind::network)
        return readings.network ? readings.network->downloadBytesPerSecond + readings.network->uploadBytesPerSecond
                                : NAN;
    return ReadingTable::value(kind, readings);
}

// Which slices of the snapshot come with each reading, taken from one machine.
struct SliceRow {
    MetricKind kind;
    void (*take)(SystemSnapshot& to, const SystemSnapshot& from);
};
constexpr SliceRow sliceRows[] = {
    {MetricKind::cpu,
     [](SystemSnapshot& to, const SystemSnapshot& from) {
         to.cpu = from.cpu;
         to.loadAverage = from.loadAverage;
     }},
    {MetricKind::memory, [](SystemSnapshot& to, const SystemSnapshot& from) { to.memory = from.memory; }},
    {MetricKind::swap, [](SystemSnapshot& to, const SystemSnapshot& from) { to.swap = from.swap; }},
    {MetricKind::network, [](SystemSnapshot& to, const SystemSnapshot& from) { to.network = from.network; }},
    {MetricKind::disk,
     [](SystemSnapshot& to, const SystemSnapshot& from) {
         to.disk = from.disk;
         to.diskActivity = from.diskActivity;
     }},
    {MetricKind::temperature,
     [](SystemSnapshot& to, const SystemSnapshot& from) { to.temperatures = from.temperatures; }},
    {MetricKind::gpu, [](SystemSnapshot& to, const SystemSnapshot& from) { to.gpus = from.gpus; }},
    {MetricKind::fan, [](SystemSnapshot& to, const SystemSnapshot& from) { to.fans = from.fans; }},
};

// What a machine is sorted by, worked out once per machine.
struct SortKey {
    bool isDown = false;
    qint64 since = 0;  // a machine down longer comes first; unknown last
    int level = 0;
    double share = 0;
    QString name;
};

SortKey sortKeyOf(const MachineReading& machine)
{
    SortKey key{!machine.isUp, machine.since ? machine.since->toMSecsSinceEpoch() : INT64_MAX, 0, 0,
                shortMachineName(machine.instance)};
    if (machine.isUp) {
        key.level = static_cast<int>(worstLevel(machine));
        for (MetricKind kind : {MetricKind::cpu, MetricKind::memory, MetricKind::disk}) {
            const double value = ReadingTable::value(kind, machine.readings);
            if (std::isfinite(value))
                key.share = std::max(key.share, value);
        }
    }
    return key;
}

bool comesFirst(const SortKey& a, const SortKey& b)
{
    if (a.isDown != b.isDown)
        return a.isDown;
    if (a.isDown && a.since != b.since)
        return a.since < b.since;
    if (a.level != b.level)
        return a.level > b.level;
    if (a.share != b.share)
        return a.share > b.share;
    return a.name < b.name;
}

}  // namespace

QString shortMachineName(const QString& instance)
{
    QString host = instance;
    if (host.startsWith(u'[')) {
        const qsizetype close = host.indexOf(u']');
        return close > 1 ? host.mid(1, close - 1) : host;
    }
    if (host.count(u':') == 1)
        host.truncate(host.indexOf(u':'));
    if (isAddress(host))
        return host;
    const qsizetype dot = host.indexOf(u'.');
    return dot > 0 ? host.left(dot) : host;
}

const MachineReading* machineNamed(const FleetReading& fleet, const QString& instance)
{
    const auto found = std::find_if(fleet.machines.begin(), fleet.machines.end(),
                                    [&](const MachineReading& machine) { return machine.instance == instance; });
    return found == fleet.machines.end() ? nullptr : &*found;
}

Level worstLevel(const MachineReading& machine)
{
    Level worst = Level::normal;
    for (const ReadingDescriptor& reading : ReadingTable::all()) {
        if (reading.thresholds || reading.thresholdsFor)
            worst = std::max(worst, ReadingTable::level(reading.kind, machine.readings));
    }
    return worst;
}

void sortWorstFirst(QList<MachineReading>& machines)
{
    std::vector<SortKey> keys;
    keys.reserve(static_cast<size_t>(machines.size()));
    for (const MachineReading& machine : machines)
        keys.push_back(sortKeyOf(machine));
    std::vector<size_t> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return comesFirst(keys[a], keys[b]); });
    QList<MachineReading> sorted;
    sorted.reserve(machines.size());
    for (size_t at : order)
        sorted.append(std::move(machines[static_cast<qsizetype>(at)]));
    machines = std::move(sorted);
}

const MachineReading* worstMachine(const FleetReading& fleet, MetricKind kind)
{
    const MachineReading* worst = nullptr;
    double worstSeverity = -INFINITY;
    for (const MachineReading& machine : fleet.machines) {
        const double severity = severityOf(kind, machine.readings);
        if (std::isfinite(severity) && severity > worstSeverity) {
            worst = &machine;
            worstSeverity = severity;
        }
    }
    return worst;
}

qsizetype downCount(const FleetReading& fleet)
{
    return std::count_if(fleet.machines.begin(), fleet.machines.end(),
                         [](const MachineReading& machine) { return !machine.isUp; });
}

SystemSnapshot fleetSnapshot(FleetReading fleet)
{
    SystemSnapshot snapshot;
    if (fleet.chosen) {
        if (const MachineReading* chosen = machineNamed(fleet, *fleet.chosen))
            snapshot = chosen->readings;
    } else {
        for (const SliceRow& row : sliceRows) {
            if (const MachineReading* worst = worstMachine(fleet, row.kind))
                row.take(snapshot, worst->readings);
        }
    }
    snapshot.fleet = std::move(fleet);
    return snapshot;
}

QString fleetSummary(const FleetReading& fleet)
{
    const qsizetype count = fleet.machines.size();
    const qsizetype down = downCount(fleet);
    const QString machines = count == 1 ? QStringLiteral("1 machine") : QStringLiteral("%1 machines").arg(count);
    if (count == 0)
        return machines;
    return machines + (down == 0 ? QStringLiteral(", all up") : QStringLiteral(", %1 down").arg(down));
}

}  // namespace moravel

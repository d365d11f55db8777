#include "monitor/prometheus/FleetAnswers.h"

#include "monitor/FleetRules.h"
#include "monitor/MetricSeries.h"
#include "monitor/remote/NodeExporterReadings.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>

namespace moravel {

namespace {

QString text(std::string_view value)
{
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

// Looks machines up by a label's text without copying it.
struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
};
using Index = std::unordered_map<std::string, size_t, TextHash, std::equal_to<>>;

// One machine while its answers are gathered.
struct Gathered {
    std::string job;
    double lastSeen = 0;
    std::optional<bool> isUp;
    std::optional<double> cpuPercent;
    ExpositionPage page;
};

// A series as one sample of its machine's exporter page: its family's name
// and the labels that tell its device or sensor apart.
ExpositionSample pageSample(std::span<const QueryLabel> labels, double value)
{
    ExpositionSample sample;
    sample.value = value;
    sample.labels.reserve(labels.size());
    for (const auto& [name, label] : labels) {
        if (name == familyLabel || (name == "__name__" && sample.name.empty()))
            sample.name = label;
        else if (name != "instance" && name != "job" && name != "__name__")
            sample.labels.emplace_back(name, label);
    }
    return sample;
}

// The readings a page of the machine's samples gives, with the server's
// processor share.
SystemSnapshot readingsOf(const ExpositionPage& page, std::optional<double> cpuPercent)
{
    const NodePage node = readNodePage(page);
    SystemSnapshot readings = node.gauges;
    if (node.network) {
        // The server's rates under the counters' names: summed over the
        // interfaces that count, they are the machine's traffic.
        NetworkReading network;
        for (const DeviceCounters& interface : *node.network) {
            network.downloadBytesPerSecond += static_cast<double>(interface.in);
            network.uploadBytesPerSecond += static_cast<double>(interface.out);
        }
        readings.network = network;
    }
    if (cpuPercent && std::isfinite(*cpuPercent))
        readings.cpu = CpuReading{std::clamp(*cpuPercent, 0.0, 100.0), {}};
    return readings;
}

Gathered* machineOf(const QuerySeries& series, const Index& index, std::vector<Gathered>& machines)
{
    const auto found = index.find(series.label("instance"));
    if (found == index.end() || machines[found->second].job != series.label("job"))
        return nullptr;
    return &machines[found->second];
}

// A machine seen up since the last refresh keeps its time; one that came
// back is up from now; one that is down is so since the server last read it.
std::optional<QDateTime> sinceOf(const MachineReading& machine, double lastSeen, const FleetReading* previous,
                                 const QDateTime& now)
{
    if (!machine.isUp)
        return QDateTime::fromMSecsSinceEpoch(std::llround(lastSeen * 1000), Qt::UTC);
    const MachineReading* before = previous ? machineNamed(*previous, machine.instance) : nullptr;
    if (!before)
        return std::nullopt;
    return before->isUp ? before->since : std::optional(now);
}

}  // namespace

QList<MachineReading> machinesOfAnswers(const FleetAnswers& answers, const FleetReading* previous,
                                        const QDateTime& now)
{
    const auto answer = [&answers](FleetQuery query) -> const std::vector<QuerySeries>& {
        return answers[static_cast<size_t>(query)].series;
    };
    Index index;
    std::vector<Gathered> machines;
    for (const QuerySeries& series : answer(FleetQuery::lastSeen)) {
        const std::string_view instance = series.label("instance");
        if (instance.empty() || series.points.empty() || !std::isfinite(series.points.back().value)
            || index.contains(instance))
            continue;
        index.emplace(std::string(instance), machines.size());
        machines.push_back({std::string(series.label("job")), series.points.back().value, {}, {}, {}});
    }
    for (const QuerySeries& series : answer(FleetQuery::up)) {
        if (Gathered* machine = machineOf(series, index, machines); machine && !series.points.empty())
            machine->isUp = series.points.back().value == 1;
    }
    for (const QuerySeries& series : answer(FleetQuery::cpu)) {
        if (Gathered* machine = machineOf(series, index, machines); machine && !series.points.empty())
            machine->cpuPercent = series.points.back().value;
    }
    for (FleetQuery query : {FleetQuery::gauges, FleetQuery::network}) {
        for (const QuerySeries& series : answer(query)) {
            if (Gathered* machine = machineOf(series, index, machines); machine && !series.points.empty())
                machine->page.samples.push_back(pageSample(series.labels, series.points.back().value));
        }
    }

    QList<MachineReading> fleet;
    fleet.reserve(static_cast<qsizetype>(machines.size()));
    for (const auto& [instance, at] : index) {
        Gathered& gathered = machines[at];
        // A target the server no longer scrapes is no longer part of the fleet.
        if (!gathered.isUp)
            continue;
        MachineReading machine{text(instance), QString::fromStdString(gathered.job), *gathered.isUp, {}, {}};
        if (machine.isUp)
            machine.readings = readingsOf(gathered.page, gathered.cpuPercent);
        machine.since = sinceOf(machine, gathered.lastSeen, previous, now);
        fleet.append(std::move(machine));
    }
    sortWorstFirst(fleet);
    return fleet;
}

MetricHistory pastHourOfAnswers(const std::array<QueryResult, pastHourQueries.size()>& answers)
{
    struct Step {
        std::optional<double> cpuPercent;
        ExpositionPage page;
    };
    std::map<qint64, Step> steps;  // by milliseconds since the epoch
    const auto stepAt = [&steps](double time) -> Step& { return steps[std::llround(time * 1000)]; };
    for (size_t i = 0; i < pastHourQueries.size(); ++i) {
        for (const QuerySeries& series : answers[i].series) {
            for (const QueryPoint& point : series.points) {
                if (pastHourQueries[i] == FleetQuery::cpu)
                    stepAt(point.time).cpuPercent = point.value;
                else
                    stepAt(point.time).page.samples.push_back(pageSample(series.labels, point.value));
            }
        }
    }
    MetricHistory history;
    history.reserve(static_cast<qsizetype>(steps.size()));
    for (const auto& [milliseconds, step] : steps) {
        if (step.cpuPercent)
            history.append(sampleOf(readingsOf(step.page, step.cpuPercent),
                                    QDateTime::fromMSecsSinceEpoch(milliseconds, Qt::UTC)));
    }
    return history;
}

}  // namespace moravel

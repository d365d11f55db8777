#include "monitor/prometheus/FleetAnswers.h"

#include "monitor/FleetRules.h"
#include "monitor/MetricSeries.h"
#include "monitor/remote/NodeExporterReadings.h"

#include <QByteArrayView>
#include <QHash>

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <unordered_map>

namespace moravel {

namespace {

QString text(std::string_view value)
{
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

// One machine while its answers are gathered: views of the answers.
struct Gathered {
    std::string_view instance;
    std::string_view job;
    double lastSeen = 0;
    std::optional<bool> isUp;
    std::optional<double> cpuPercent;
    std::vector<NodeSample> samples;
};

// A series as a sample of its machine's exporter page: under its family's
// name where an expression lost or hid its own.
NodeSample pageSample(std::span<const QueryLabel> labels, double value)
{
    std::string_view name;
    for (const auto& [key, label] : labels) {
        if (key == familyLabel)
            return {label, labels, value};
        if (key == "__name__")
            name = label;
    }
    return {name, labels, value};
}

// The readings a machine's samples give, with the server's processor share.
SystemSnapshot readingsOf(std::span<const NodeSample> samples, std::optional<double> cpuPercent)
{
    const NodePage node = readNodePage(MetricFamilies(samples));
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

// The machines of the last hour's answer, found by their instance label
// with one lookup per series.
class Gathering {
public:
    explicit Gathering(const std::vector<QuerySeries>& lastSeen)
    {
        machines_.reserve(lastSeen.size());
        index_.reserve(lastSeen.size());
        for (const QuerySeries& series : lastSeen) {
            const std::string_view instance = series.label("instance");
            // Label values are UTF-8: instances that are not would be shown under one garbled name.
            if (instance.empty() || !QByteArrayView(instance.data(), std::ssize(instance)).isValidUtf8()
                || series.points.empty() || !std::isfinite(series.points.back().value))
                continue;
            if (index_.emplace(instance, machines_.size()).second)
                machines_.push_back({instance, series.label("job"), series.points.back().value, {}, {}, {}});
        }
        last_ = machines_.size();
    }

    // The machine a series is about, if it is one of them and the series has a value.
    Gathered* machineOf(const QuerySeries& series)
    {
        if (series.points.empty())
            return nullptr;
        const std::string_view instance = series.label("instance");
        // An answer mostly lists a machine's series one after another: they need no look-up.
        if (last_ == machines_.size() || machines_[last_].instance != instance) {
            const auto found = index_.find(instance);
            if (found == index_.end())
                return nullptr;
            last_ = found->second;
        }
        Gathered& machine = machines_[last_];
        return machine.job == series.label("job") ? &machine : nullptr;
    }

    std::vector<Gathered>& machines() { return machines_; }

    // Room for `count` samples over all machines, in even shares: one
    // allocation per machine where they have about as many each.
    void expectSamples(size_t count)
    {
        for (Gathered& machine : machines_)
            machine.samples.reserve(count / std::max<size_t>(1, machines_.size()) + 1);
    }

private:
    std::unordered_map<std::string_view, size_t> index_;
    std::vector<Gathered> machines_;
    size_t last_ = 0;  // the machine found last; none while it is machines_.size()
};

// The machines of the previous refresh by instance.
QHash<QString, const MachineReading*> byInstance(const FleetReading* previous)
{
    QHash<QString, const MachineReading*> machines;
    if (previous) {
        machines.reserve(previous->machines.size());
        for (const MachineReading& machine : previous->machines)
            machines.insert(machine.instance, &machine);
    }
    return machines;
}

// A machine seen up since the last refresh keeps its time; one that came
// back is up from now; one that is down is so since the server last read it.
std::optional<QDateTime> sinceOf(const MachineReading& machine, double lastSeen, const MachineReading* before,
                                 const QDateTime& now)
{
    if (!machine.isUp)
        return QDateTime::fromMSecsSinceEpoch(std::llround(lastSeen * 1000), Qt::UTC);
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
    Gathering gathering(answer(FleetQuery::lastSeen));
    for (const QuerySeries& series : answer(FleetQuery::up)) {
        if (Gathered* machine = gathering.machineOf(series))
            machine->isUp = series.points.back().value == 1;
    }
    for (const QuerySeries& series : answer(FleetQuery::cpu)) {
        if (Gathered* machine = gathering.machineOf(series))
            machine->cpuPercent = series.points.back().value;
    }
    constexpr FleetQuery pageQueries[] = {FleetQuery::gauges, FleetQuery::network, FleetQuery::fans,
                                          FleetQuery::voltages};
    gathering.expectSamples(std::accumulate(std::begin(pageQueries), std::end(pageQueries), size_t{0},
                                            [&](size_t sum, FleetQuery query) { return sum + answer(query).size(); }));
    for (FleetQuery query : pageQueries) {
        for (const QuerySeries& series : answer(query)) {
            if (Gathered* machine = gathering.machineOf(series))
                machine->samples.push_back(pageSample(series.labels, series.points.back().value));
        }
    }

    const QHash<QString, const MachineReading*> before = byInstance(previous);
    QList<MachineReading> fleet;
    fleet.reserve(static_cast<qsizetype>(gathering.machines().size()));
    for (Gathered& gathered : gathering.machines()) {
        // A target the server no longer scrapes is no longer part of the fleet.
        if (!gathered.isUp)
            continue;
        MachineReading machine{text(gathered.instance), text(gathered.job), *gathered.isUp, {}, {}};
        if (machine.isUp)
            machine.readings = readingsOf(gathered.samples, gathered.cpuPercent);
        machine.since = sinceOf(machine, gathered.lastSeen, before.value(machine.instance), now);
        fleet.append(std::move(machine));
    }
    sortWorstFirst(fleet);
    return fleet;
}

MetricHistory pastHourOfAnswers(const std::array<QueryResult, pastHourQueries.size()>& answers)
{
    struct Step {
        std::optional<double> cpuPercent;
        std::vector<NodeSample> samples;
    };
    std::map<qint64, Step> steps;  // by milliseconds since the epoch
    const auto stepAt = [&steps](double time) -> Step& { return steps[std::llround(time * 1000)]; };
    for (size_t i = 0; i < pastHourQueries.size(); ++i) {
        for (const QuerySeries& series : answers[i].series) {
            for (const QueryPoint& point : series.points) {
                if (pastHourQueries[i] == FleetQuery::cpu)
                    stepAt(point.time).cpuPercent = point.value;
                else
                    stepAt(point.time).samples.push_back(pageSample(series.labels, point.value));
            }
        }
    }
    MetricHistory history;
    history.reserve(static_cast<qsizetype>(steps.size()));
    for (const auto& [milliseconds, step] : steps) {
        if (step.cpuPercent)
            history.append(sampleOf(readingsOf(step.samples, step.cpuPercent),
                                    QDateTime::fromMSecsSinceEpoch(milliseconds, Qt::UTC)));
    }
    return history;
}

}  // namespace moravel

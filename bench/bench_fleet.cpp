// A fleet of 500 machines through a Prometheus server. Reading one refresh:
// parsing the five answers and reading every machine off them, sorted worst
// first, and the snapshot they make (target: under 5 ms). Repainting the
// Machines tab with the 500 rows (target: under 8 ms), and taking a new
// reading of them into it.
#include "monitor/FleetRules.h"
#include "monitor/prometheus/FleetAnswers.h"
#include "testsupport/Application.h"
#include "testsupport/Snapshots.h"
#include "views/fleet/MachinesTab.h"

#include <QApplication>
#include <QImage>
#include <QListView>
#include <QScrollBar>

#include <benchmark/benchmark.h>

using namespace moravel;

namespace {

constexpr int fleetSize = 500;

std::string series(const std::string& labels, int machine, double value)
{
    return R"({"metric":{)" + labels + (labels.empty() ? "" : ",") + R"("instance":"web)" + std::to_string(machine)
           + R"(.example.org:9100","job":"node"},"value":[1700000000.123,")" + std::to_string(value) + "\"]}";
}

std::string answer(const std::vector<std::string>& results)
{
    std::string joined;
    for (const std::string& result : results)
        joined += (joined.empty() ? "" : ",") + result;
    return R"({"status":"success","data":{"resultType":"vector","result":[)" + joined + "]}}";
}

// What a server answers about a fleet of typical servers: each with its
// memory, swap, load and root volume, three network interfaces, and a
// four-core processor's package and core sensors.
std::array<QByteArray, fleetQueryCount> fleetAnswers()
{
    std::array<std::vector<std::string>, fleetQueryCount> results;
    const auto add = [&](FleetQuery query, std::string labels, int machine, double value) {
        results[static_cast<size_t>(query)].push_back(series(labels, machine, value));
    };
    for (int m = 1; m <= fleetSize; ++m) {
        add(FleetQuery::lastSeen, "", m, 1700000000);
        add(FleetQuery::up, R"("__name__":"up")", m, m % 50 == 0 ? 0 : 1);
        add(FleetQuery::cpu, "", m, m % 100);
        for (const char* name : {"MemTotal", "MemAvailable", "SwapTotal", "SwapFree"})
            add(FleetQuery::gauges, R"("__name__":"node_memory_)" + std::string(name) + "_bytes\"", m, 8e9 + m);
        for (const char* load : {"node_load1", "node_load5", "node_load15"})
            add(FleetQuery::gauges, R"("__name__":")" + std::string(load) + "\"", m, 1.5);
        for (const char* size : {"size", "free", "avail"})
            add(FleetQuery::gauges,
                R"("__name__":"node_filesystem_)" + std::string(size)
                    + R"(_bytes","device":"/dev/sda1","fstype":"ext4","mountpoint":"/")",
                m, 5e11);
        for (const char* device : {"lo", "eth0", "docker0"}) {
            add(FleetQuery::gauges, R"("__name__":"node_network_flags","device":")" + std::string(device) + "\"", m,
                4099);
            for (const char* counter : {"receive", "transmit"})
                add(FleetQuery::network,
                    R"("device":")" + std::string(device) + R"(","moravel_family":"node_network_)" + counter
                        + "_bytes_total\"",
                    m, 12345.5);
        }
        add(FleetQuery::gauges, R"("__name__":"node_hwmon_chip_names","chip":"platform_coretemp_0","chip_name":"coretemp")",
            m, 1);
        for (int sensor = 1; sensor <= 5; ++sensor) {
            const std::string key = R"("chip":"platform_coretemp_0","sensor":"temp)" + std::to_string(sensor) + "\"";
            add(FleetQuery::gauges, R"("__name__":"node_hwmon_temp_celsius",)" + key, m, 40 + sensor);
            add(FleetQuery::gauges, R"("__name__":"node_hwmon_temp_crit_celsius",)" + key, m, 100);
            add(FleetQuery::gauges,
                R"("__name__":"node_hwmon_sensor_label",)" + key + R"(,"label":")"
                    + (sensor == 1 ? std::string("Package id 0") : "Core " + std::to_string(sensor - 2)) + "\"",
                m, 1);
        }
    }
    std::array<QByteArray, fleetQueryCount> answers;
    for (size_t i = 0; i < fleetQueryCount; ++i)
        answers[i] = QByteArray::fromStdString(answer(results[i]));
    return answers;
}

void BM_ReadFleetOf500(benchmark::State& state)
{
    const std::array<QByteArray, fleetQueryCount> pages = fleetAnswers();
    qsizetype bytes = 0;
    for (const QByteArray& page : pages)
        bytes += page.size();
    const QDateTime now = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);
    const auto read = [&](const FleetReading* previous) {
        FleetAnswers answers;
        for (size_t i = 0; i < fleetQueryCount; ++i)
            answers[i] = std::get<QueryResult>(parseQueryResponse(pages[i]));
        return FleetReading{machinesOfAnswers(answers, previous, now), std::nullopt};
    };
    // Every refresh but the first has the one before to carry times over from.
    const FleetReading previous = read(nullptr);
    for (auto _ : state)
        benchmark::DoNotOptimize(fleetSnapshot(read(&previous)));
    state.counters["MB"] = static_cast<double>(bytes) / (1 << 20);
}
BENCHMARK(BM_ReadFleetOf500)->Unit(benchmark::kMillisecond);

void BM_ParseFleetAnswersOf500(benchmark::State& state)
{
    const std::array<QByteArray, fleetQueryCount> pages = fleetAnswers();
    for (auto _ : state) {
        for (const QByteArray& page : pages)
            benchmark::DoNotOptimize(parseQueryResponse(page));
    }
}
BENCHMARK(BM_ParseFleetAnswersOf500)->Unit(benchmark::kMillisecond);

void BM_MachinesTabRepaint(benchmark::State& state)
{
    MachinesTab tab;
    tab.resize(548, 140);
    tab.setFleet(fixtures::fleetOf(fleetSize));
    tab.list()->verticalScrollBar()->setValue(tab.list()->verticalScrollBar()->maximum() / 2);
    QImage image(tab.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::black);
        tab.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_MachinesTabRepaint)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

// A new reading of the fleet: its rows rebuilt, then painted.
void BM_MachinesTabNewReading(benchmark::State& state)
{
    MachinesTab tab;
    tab.resize(548, 140);
    const FleetReading fleet = fixtures::fleetOf(fleetSize);
    QImage image(tab.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        FleetReading next = fleet;
        next.machines.detach();  // a new reading: a list of its own
        tab.setFleet(next);
        image.fill(Qt::black);
        tab.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_MachinesTabNewReading)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    fixtures::ensureApplication<QApplication>();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#include "monitor/FleetRules.h"
#include "monitor/ReadingTable.h"
#include "monitor/prometheus/FleetAnswers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>

using namespace moravel;

namespace {

using Labels = std::vector<std::pair<std::string, std::string>>;

constexpr double answeredAt = 1'700'000'000;

// A series views its result's storage: here it is kept for the whole run.
QuerySeries stored(const Labels& labels, std::vector<QueryPoint> points)
{
    static std::deque<std::string> texts;
    static std::deque<std::vector<QueryLabel>> labelLists;
    static std::deque<std::vector<QueryPoint>> pointLists;
    std::vector<QueryLabel>& viewed = labelLists.emplace_back();
    for (const auto& [name, value] : labels)
        viewed.emplace_back(texts.emplace_back(name), texts.emplace_back(value));
    return {viewed, pointLists.emplace_back(std::move(points))};
}

QuerySeries series(const std::string& instance, Labels labels, double value, const std::string& job = "node")
{
    labels.emplace_back("instance", instance);
    labels.emplace_back("job", job);
    return stored(labels, {{answeredAt, value}});
}

QuerySeries named(const std::string& instance, const std::string& name, Labels labels, double value)
{
    labels.insert(labels.begin(), {"__name__", name});
    return series(instance, std::move(labels), value);
}

QueryResult& answer(FleetAnswers& answers, FleetQuery query)
{
    return answers[static_cast<size_t>(query)];
}

// web3 busy and full, db1 quiet, old1 down since a minute before, and a
// series of another job under web3's name that must not count.
FleetAnswers threeMachines()
{
    FleetAnswers answers;
    for (const char* instance : {"web3.lan:9100", "db1.lan:9100"})
        answer(answers, FleetQuery::lastSeen).series.push_back(series(instance, {}, answeredAt));
    answer(answers, FleetQuery::lastSeen).series.push_back(series("old1:9100", {}, answeredAt - 60));
    answer(answers, FleetQuery::lastSeen).series.push_back(series("gone:9100", {}, answeredAt - 90));
    auto& up = answer(answers, FleetQuery::up).series;
    up = {series("web3.lan:9100", {{"__name__", "up"}}, 1), series("db1.lan:9100", {{"__name__", "up"}}, 1),
          series("old1:9100", {{"__name__", "up"}}, 0), series("prometheus:9090", {{"__name__", "up"}}, 1)};
    for (const char* garbled : {"bad\xff:9100", "bad\xfe:9100"}) {  // no UTF-8: both would show as one name
        answer(answers, FleetQuery::lastSeen).series.push_back(series(garbled, {}, answeredAt));
        up.push_back(series(garbled, {{"__name__", "up"}}, 1));
    }
    auto& cpu = answer(answers, FleetQuery::cpu).series;
    cpu = {series("web3.lan:9100", {}, 91.5), series("web3.lan:9100", {}, 5, "other"), series("db1.lan:9100", {}, 3),
           series("old1:9100", {}, 50)};
    auto& gauges = answer(answers, FleetQuery::gauges).series;
    const auto machine = [&](const std::string& instance, double total, double available, double rootAvailable) {
        gauges.push_back(named(instance, "node_memory_MemTotal_bytes", {}, total));
        gauges.push_back(named(instance, "node_memory_MemAvailable_bytes", {}, available));
        gauges.push_back(named(instance, "node_memory_SwapTotal_bytes", {}, 1000));
        gauges.push_back(named(instance, "node_memory_SwapFree_bytes", {}, 750));
        for (const char* load : {"node_load1", "node_load5", "node_load15"})
            gauges.push_back(named(instance, load, {}, 0.5));
        gauges.push_back(named(instance, "node_filesystem_size_bytes", {{"mountpoint", "/"}}, 1000));
        gauges.push_back(named(instance, "node_filesystem_avail_bytes", {{"mountpoint", "/"}}, rootAvailable));
        gauges.push_back(named(instance, "node_filesystem_free_bytes", {{"mountpoint", "/"}}, rootAvailable));
        for (const auto& [device, flags] : {std::pair{"lo", 9}, {"eth0", 4099}, {"docker0", 4098}})
            gauges.push_back(named(instance, "node_network_flags", {{"device", device}}, flags));
    };
    // Memory in whole kilobytes, as the kernel counts it.
    machine("web3.lan:9100", 8000 * 1024, 400 * 1024, 20);
    machine("db1.lan:9100", 8000 * 1024, 6000 * 1024, 500);
    gauges.push_back(named("db1.lan:9100", "node_hwmon_chip_names", {{"chip", "platform_coretemp_0"},
                                                                    {"chip_name", "coretemp"}}, 1));
    for (const auto& [sensor, label, celsius] :
         {std::tuple{"temp1", "Package id 0", 61.0}, {"temp2", "Core 0", 70.0}}) {
        gauges.push_back(named("db1.lan:9100", "node_hwmon_temp_celsius",
                               {{"chip", "platform_coretemp_0"}, {"sensor", sensor}}, celsius));
        gauges.push_back(named("db1.lan:9100", "node_hwmon_sensor_label",
                               {{"chip", "platform_coretemp_0"}, {"label", label}, {"sensor", sensor}}, 1));
    }
    auto& network = answer(answers, FleetQuery::network).series;
    for (const auto& [device, rate] : {std::pair{"lo", 1e6}, {"eth0", 2000.0}, {"docker0", 500.0}}) {
        network.push_back(series("db1.lan:9100",
                                 {{"device", device}, {familyLabel, "node_network_receive_bytes_total"}}, rate));
        network.push_back(series("db1.lan:9100",
                                 {{"device", device}, {familyLabel, "node_network_transmit_bytes_total"}}, rate / 4));
    }
    return answers;
}

const QDateTime now = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(answeredAt), Qt::UTC);

}  // namespace

TEST(FleetAnswers, EachMachineIsReadAsItsOwnExportersPageWouldBe)
{
    FleetAnswers answers = threeMachines();
    const QList<MachineReading> machines = machinesOfAnswers(answers, nullptr, now);
    // The server itself, a machine it no longer scrapes and instances that
    // are no text are no node exporter machines; the others come worst first.
    QStringList order;
    for (const MachineReading& machine : machines)
        order.append(machine.instance);
    ASSERT_EQ(order, (QStringList{"old1:9100", "web3.lan:9100", "db1.lan:9100"}));
    const FleetReading fleet{machines, std::nullopt};

    const MachineReading& web = *machineNamed(fleet, "web3.lan:9100");
    EXPECT_TRUE(web.isUp);
    EXPECT_EQ(web.job, "node");
    EXPECT_EQ(web.since, std::nullopt);  // not yet seen coming up
    EXPECT_EQ(web.readings.cpu, (CpuReading{91.5, {}}));  // another job's series left out
    EXPECT_EQ(web.readings.memory->used, 7600u * 1024);
    EXPECT_DOUBLE_EQ(web.readings.memory->percent, 95);
    EXPECT_EQ(web.readings.swap, (SwapReading{250, 1000}));
    EXPECT_DOUBLE_EQ(web.readings.disk->percent, 98);
    EXPECT_EQ(web.readings.loadAverage, (std::array<double, 3>{0.5, 0.5, 0.5}));

    const MachineReading& db = *machineNamed(fleet, "db1.lan:9100");
    // Loopback and an interface that is down do not count.
    EXPECT_EQ(db.readings.network, (NetworkReading{2000, 500}));
    EXPECT_DOUBLE_EQ(ReadingTable::value(MetricKind::temperature, db.readings), 61);  // the package sensor

    const MachineReading& old = *machineNamed(fleet, "old1:9100");
    EXPECT_FALSE(old.isUp);
    EXPECT_EQ(old.readings, SystemSnapshot{});  // a rate that lingers is no reading of a machine that is down
    EXPECT_EQ(old.since, now.addSecs(-60));
}

TEST(FleetAnswers, HowLongAMachineHasBeenUpCarriesOver)
{
    FleetAnswers first = threeMachines();
    FleetReading before{machinesOfAnswers(first, nullptr, now), std::nullopt};
    const QDateTime earlier = now.addSecs(-3600);
    for (MachineReading& machine : before.machines) {
        if (machine.instance == u"db1.lan:9100")
            machine.since = earlier;
        if (machine.instance == u"web3.lan:9100")
            machine.isUp = false;  // down at the refresh before
    }
    FleetAnswers second = threeMachines();
    const FleetReading after{machinesOfAnswers(second, &before, now), std::nullopt};
    EXPECT_EQ(machineNamed(after, "db1.lan:9100")->since, earlier);
    EXPECT_EQ(machineNamed(after, "web3.lan:9100")->since, now);  // came back
}

TEST(FleetAnswers, AMachinesPastHourIsReadStepByStep)
{
    std::array<QueryResult, pastHourQueries.size()> answers;
    const auto steps = [](std::vector<double> values) {
        std::vector<QueryPoint> points;
        for (size_t i = 0; i < values.size(); ++i)
            points.push_back({answeredAt + 15.0 * static_cast<double>(i), values[i]});
        return points;
    };
    std::vector<QueryPoint> memoryTotal = steps({1024e3, 1024e3, 1024e3});
    // A step at which the server had no processor share is no sample.
    memoryTotal.push_back({answeredAt + 45, 1024e3});
    answers[0].series = {stored({{"instance", "db1"}}, steps({10, 20, 30}))};
    answers[1].series = {stored({{"__name__", "node_memory_MemTotal_bytes"}}, memoryTotal),
                         stored({{"__name__", "node_memory_MemAvailable_bytes"}}, steps({921.6e3, 512e3, 102.4e3})),
                         stored({{"__name__", "node_network_flags"}, {"device", "eth0"}}, steps({4099, 4099, 4099}))};
    answers[2].series = {
        stored({{"device", "eth0"}, {familyLabel, "node_network_receive_bytes_total"}}, steps({100, 200, 300})),
        stored({{"device", "eth0"}, {familyLabel, "node_network_transmit_bytes_total"}}, steps({1, 2, 3}))};

    const MetricHistory history = pastHourOfAnswers(answers);
    ASSERT_EQ(history.size(), 3);
    EXPECT_EQ(history[1].time, now.addSecs(15));
    EXPECT_DOUBLE_EQ(history[1][Series::cpu], 20);
    EXPECT_DOUBLE_EQ(history[1][Series::memory], 50);
    EXPECT_DOUBLE_EQ(history[2][Series::download], 300);
    EXPECT_DOUBLE_EQ(history[2][Series::upload], 3);
    EXPECT_TRUE(std::isnan(history[0][Series::cpuTemperature]));
}

// A fleet through a real Prometheus server scraping three real node
// exporters over fixture trees, every second; and the ways a server can fail.
#include "alerts/FleetAlerts.h"
#include "monitor/FleetRules.h"
#include "monitor/ReadingTable.h"
#include "monitor/SnapshotJson.h"
#include "monitor/SystemMonitor.h"
#include "monitor/linux/DiskReader.h"
#include "monitor/prometheus/PrometheusSource.h"
#include "support/BackgroundRunner.h"
#include "support/VirtualScheduler.h"
#include "testsupport/Application.h"
#include "testsupport/FixtureTree.h"
#include "testsupport/LocalHttpServer.h"
#include "testsupport/NodeExporterProcess.h"
#include "testsupport/PrometheusProcess.h"

#include <gtest/gtest.h>

#include <memory>

using namespace moravel;
using moravel::fixtures::FixtureTree;
using moravel::fixtures::NodeExporterProcess;
using moravel::fixtures::PrometheusProcess;
using moravel::fixtures::processEventsUntil;

namespace {

// One machine of the fleet: its files, its exporter, and counters that grow
// by `busy` busy ticks in every hundred, so that its share is exact
// whenever the server reads them.
struct Machine {
    QString instance;
    int busy = 0;
    uint64_t memoryKilobytes = 0;
    FixtureTree tree;
    std::unique_ptr<NodeExporterProcess> exporter;
    uint64_t step = 0;

    Machine(const char* name, int busyShare, uint64_t memory) : instance(name), busy(busyShare), memoryKilobytes(memory)
    {
        tree.write("proc/meminfo", "MemTotal: " + std::to_string(memory) + " kB\nMemFree: 10 kB\nMemAvailable: "
                                       + std::to_string(memory / 4) + " kB\nSwapTotal: 0 kB\nSwapFree: 0 kB\n");
        tree.write("proc/loadavg", "0." + std::to_string(busy) + " 0.25 0.10 1/100 42\n");
        tree.write("proc/1/mounts", "/dev/sda1 / ext4 rw,relatime 0 0\n");
        tree.makeDirectory("rootfs");
        for (const auto& [file, value] : {std::pair{"hwmon/hwmon0/name", "coretemp"},
                                          {"hwmon/hwmon0/temp1_input", "45000"},
                                          {"hwmon/hwmon0/temp1_label", "Package id 0"},
                                          {"hwmon/hwmon0/temp2_input", "52000"}})
            tree.write(QStringLiteral("sys/class/") + file, std::string(value) + "\n");
        advance();
        exporter = std::make_unique<NodeExporterProcess>(tree.root());
    }

    // Counters a step on: busy and idle ticks in their shares, the network's
    // sent bytes half its received ones, and loopback's (not counted) equal.
    void advance()
    {
        ++step;
        const uint64_t used = 1'000'000 + busy * step * 10;
        const uint64_t idle = 1'000'000 + (100 - busy) * step * 10;
        tree.replace("proc/stat", "cpu  " + std::to_string(used) + " 0 0 " + std::to_string(idle)
                                      + " 0 0 0 0 0 0\ncpu0 " + std::to_string(used) + " 0 0 " + std::to_string(idle)
                                      + " 0 0 0 0 0 0\nintr 0\nctxt 0\nbtime 0\nprocesses 1\n");
        const uint64_t bytes = 10'000'000 + step * 4096;
        const auto row = [](const char* name, uint64_t received, uint64_t sent) {
            return std::string(name) + ": " + std::to_string(received) + " 1 0 0 0 0 0 0 " + std::to_string(sent)
                   + " 1 0 0 0 0 0 0\n";
        };
        tree.replace("proc/net/dev", "Inter-| Receive | Transmit\n face |bytes packets|bytes packets\n"
                                         + row("lo", bytes * 9, bytes * 9) + row("eth0", bytes, bytes / 2));
    }
};

class PrometheusSourceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { fixtures::ensureApplication(); }

    // The time to the next refresh passes (or the monitor starts); then waits,
    // bounded, for the server's answers. True for a fleet, false for a failure.
    bool refresh(SystemMonitor& monitor, PrometheusSource& source)
    {
        std::optional<bool> read;
        const auto failed = QObject::connect(&monitor, &SystemMonitor::refreshFailed, [&] { read = false; });
        const auto sampled = QObject::connect(&monitor, &SystemMonitor::historyChanged, [&] { read = true; });
        if (!monitor.isStarted())
            monitor.start();
        // Second by second, and no further once the server is asked: its
        // answers must not meet a deadline that passed in no time at all.
        for (int second = 0; second < 120 && !read && !source.isAsking(); ++second)
            scheduler.advance(1);
        processEventsUntil([&] { return read.has_value(); }, 15'000);
        QObject::disconnect(failed);
        QObject::disconnect(sampled);
        return read.value_or(false);
    }

    // Refreshes, stepping the machines' counters on, until `done` holds;
    // bounded by what the real servers need (a few scrapes of a second).
    bool refreshUntil(SystemMonitor& monitor, PrometheusSource& source, std::vector<Machine*> machines,
                      const std::function<bool(const FleetReading&)>& done)
    {
        const QDeadlineTimer limit(30'000);
        while (!limit.hasExpired()) {
            for (Machine* machine : machines)
                machine->advance();
            // Give the server a scrape of the new counters.
            processEventsUntil([] { return false; }, 400);
            if (refresh(monitor, source) && done(*monitor.snapshot().fleet))
                return true;
        }
        return false;
    }

    // The wall clock of the server, so that its last hour lines up with ours.
    VirtualScheduler scheduler{QDateTime::currentDateTimeUtc()};
};

const MachineReading& named(const SystemSnapshot& snapshot, const char* instance)
{
    static const MachineReading none;
    const MachineReading* machine = machineNamed(*snapshot.fleet, QString::fromLatin1(instance));
    EXPECT_TRUE(machine) << instance;
    return machine ? *machine : none;
}

}  // namespace

TEST_F(PrometheusSourceTest, AFleetThroughARealServerItsMachinesGoingDownAndComingBack)
{
    if (PrometheusProcess::program().isEmpty() || NodeExporterProcess::program().isEmpty())
        GTEST_SKIP() << "prometheus or prometheus-node-exporter is not installed (scripts/install-deps installs both)";
    Machine web1("web1.lan:9100", 30, 2'000'000);
    Machine web2("web2.lan:9100", 60, 4'000'000);
    Machine web3("web3.lan:9100", 90, 8'000'000);
    QList<PrometheusProcess::Target> targets;
    for (Machine* machine : {&web1, &web2, &web3}) {
        ASSERT_TRUE(machine->exporter->start()) << machine->exporter->failure().toStdString();
        targets.append({machine->exporter->url().authority(), machine->instance});
    }
    // One machine has a fan and a voltage, each with a limit.
    for (const auto& [file, value] : {std::pair{"name", "nct6798"}, {"fan1_input", "1250"}, {"fan1_label", "CPU Fan"},
                                      {"fan1_min", "300"}, {"in0_input", "1020"}, {"in0_max", "1500"}})
        web1.tree.write(QStringLiteral("sys/class/hwmon/hwmon1/") + file, std::string(value) + "\n");
    PrometheusProcess server(targets);
    ASSERT_TRUE(server.start()) << server.failure().toStdString();

    auto source = std::make_shared<PrometheusSource>(RemoteEndpoint{server.url(), std::nullopt}, scheduler);
    SystemMonitor monitor(scheduler, source);
    FleetAlerts alerts(scheduler, AlertPreferences{});
    QList<Alert> raised;
    QObject::connect(&alerts, &FleetAlerts::alertRaised, [&](const Alert& alert) { raised.append(alert); });
    QObject::connect(&monitor, &SystemMonitor::historyChanged, [&] {
        if (monitor.snapshot().fleet)
            alerts.evaluate(*monitor.snapshot().fleet);
    });

    // Every machine's figures, as soon as the server has two readings of each.
    const auto allMeasured = [](const FleetReading& fleet) {
        return fleet.machines.size() == 3 && std::all_of(fleet.machines.begin(), fleet.machines.end(), [](auto& m) {
                   return m.readings.cpu && m.readings.network && m.readings.network->downloadBytesPerSecond > 0;
               });
    };
    ASSERT_TRUE(refreshUntil(monitor, *source, {&web1, &web2, &web3}, allMeasured));
    EXPECT_EQ(source->scrapeIntervalSeconds(), 1);
    EXPECT_EQ(source->refreshSeconds(), PrometheusSource::shortestRefreshSeconds);
    const SystemSnapshot& s = monitor.snapshot();
    for (Machine* machine : {&web1, &web2, &web3}) {
        SCOPED_TRACE(machine->instance.toStdString());
        const MachineReading& m = named(s, machine->instance.toLatin1().constData());
        EXPECT_TRUE(m.isUp);
        EXPECT_EQ(m.job, "node");
        EXPECT_NEAR(m.readings.cpu->percent, machine->busy, 1e-6);
        EXPECT_EQ(m.readings.memory->total, machine->memoryKilobytes * 1024);
        EXPECT_EQ(m.readings.memory->used, machine->memoryKilobytes * 1024 * 3 / 4);  // total less available
        // Loopback left out: the interface that counts sends half what it
        // receives (in whole bytes a second).
        EXPECT_NEAR(m.readings.network->uploadBytesPerSecond * 2, m.readings.network->downloadBytesPerSecond, 2);
        EXPECT_DOUBLE_EQ(ReadingTable::value(MetricKind::temperature, m.readings), 45);  // the package, not the hottest
        EXPECT_EQ(m.readings.disk->total, readDiskUsage(machine->tree.root().toStdString() + "/rootfs")->total);
        EXPECT_DOUBLE_EQ((*m.readings.loadAverage)[0], machine->busy / 100.0);
    }
    // Worst first; on the whole fleet each reading is its worst machine's.
    EXPECT_EQ(s.fleet->machines.first().instance, web3.instance);
    EXPECT_NEAR(s.cpu->percent, 90, 1e-6);
    EXPECT_EQ(s.memory, named(s, "web3.lan:9100").readings.memory);
    EXPECT_EQ(fleetSummary(*s.fleet), "3 machines, all up");
    // Fans and voltages are their own machine's, with their limits; on the
    // whole fleet the fans are the fastest fan's machine's.
    const MachineReading& cooled = named(s, "web1.lan:9100");
    EXPECT_EQ(cooled.readings.fans, (QList<SensorReading>{{"nct6798", "CPU Fan", 1250, {}, {}, 300}}));
    EXPECT_EQ(cooled.readings.voltages, (QList<SensorReading>{{"nct6798", "in0", 1.02, {}, 1.5}}));
    EXPECT_EQ(named(s, "web2.lan:9100").readings.fans, std::nullopt);
    EXPECT_EQ(named(s, "web2.lan:9100").readings.voltages, std::nullopt);
    EXPECT_EQ(s.fans, cooled.readings.fans);
    const QByteArray json = snapshotJsonLine(s, scheduler.currentDateTime());
    EXPECT_TRUE(json.contains(R"("machines":[{"instance":"web3.lan:9100")"));
    EXPECT_TRUE(json.contains(R"("fans":[{"chip":"nct6798","label":"CPU Fan","rpm":1250}])"));
    EXPECT_TRUE(json.contains(R"("voltages":[{"chip":"nct6798","label":"in0","volts":1.02}])"));  // the machine's

    // Gone: down, first in the list, its readings gone, and warned about once
    // it has been down for a minute.
    web2.exporter->stop();
    ASSERT_TRUE(refreshUntil(monitor, *source, {&web1, &web3},
                             [](const FleetReading& fleet) { return !machineNamed(fleet, "web2.lan:9100")->isUp; }));
    const MachineReading& gone = monitor.snapshot().fleet->machines.first();
    EXPECT_EQ(gone.instance, web2.instance);
    EXPECT_EQ(gone.readings, SystemSnapshot{});
    ASSERT_TRUE(gone.since);
    EXPECT_LE(std::abs(gone.since->secsTo(QDateTime::currentDateTimeUtc())), 30);
    EXPECT_EQ(fleetSummary(*monitor.snapshot().fleet), "3 machines, 1 down");
    EXPECT_TRUE(raised.isEmpty());
    for (int minute = 0; minute < 4; ++minute)
        ASSERT_TRUE(refresh(monitor, *source));
    ASSERT_EQ(raised.size(), 1);
    EXPECT_EQ(raised[0].machine, web2.instance);
    EXPECT_TRUE(raised[0].isMachineDown);

    // Back: up since Moravel saw it come back.
    ASSERT_TRUE(web2.exporter->start()) << web2.exporter->failure().toStdString();
    ASSERT_TRUE(refreshUntil(monitor, *source, {&web1, &web2, &web3},
                             [](const FleetReading& fleet) { return machineNamed(fleet, "web2.lan:9100")->isUp; }));
    EXPECT_EQ(named(monitor.snapshot(), "web2.lan:9100").since, scheduler.currentDateTime());
    EXPECT_EQ(raised.size(), 1);

    // Chosen: its readings at once, then its last hour from the server.
    const QDateTime chosenAt = scheduler.currentDateTime();
    monitor.chooseMachine(web1.instance);
    EXPECT_TRUE(monitor.history().isEmpty());
    EXPECT_EQ(monitor.snapshot().fleet->chosen, web1.instance);
    EXPECT_NEAR(monitor.snapshot().cpu->percent, 30, 1e-6);
    ASSERT_TRUE(processEventsUntil([&] {
        if (!source->isAsking())
            scheduler.advance(1);
        return !monitor.history().isEmpty();
    }, 15'000));
    for (const MetricSample& sample : monitor.history()) {
        EXPECT_LT(sample.time, chosenAt);  // the server's, not read since
        EXPECT_NEAR(sample[Series::cpu], 30, 1e-6);
    }
}

// Every way a server can fail is a failure in its own words, never a reading.
TEST_F(PrometheusSourceTest, FailuresAreTold)
{
    const auto answering = [](const QByteArray& result) {
        return R"({"status":"success","data":{"resultType":"vector","result":[)" + result + "]}}";
    };
    const QByteArray oneMachine = answering(R"({"metric":{"instance":"a","job":"node"},"value":[1,"1"]})");
    const struct {
        const char* status;
        QByteArray body;
        const char* failure;
    } rows[] = {
        {"400 Bad Request", R"({"status":"error","errorType":"bad_data","error":"parse error at char 4"})",
         "the server refused a query: parse error at char 4"},
        {"200 OK", answering(""), "This Prometheus server has no node exporter targets"},
        {"200 OK", "<html>login</html>", "did not answer as a Prometheus server does"},
        {"401 Unauthorized", "", "the server asks for credentials (HTTP 401)"},
        {"200 OK", oneMachine, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.body.toStdString());
        fixtures::LocalHttpServer server;
        server.serve("/prefix/api/v1/query", row.status, row.body);
        server.serve("/prefix/api/v1/status/config", "200 OK",
                     R"({"status":"success","data":{"yaml":"global:\n  scrape_interval: 30s\n"}})");
        PrometheusSource source({server.url("/prefix"), std::nullopt}, scheduler);
        std::optional<SourceReading> answer;
        source.readEverySecond(false, [&](SourceReading reading) { answer = std::move(reading); });
        ASSERT_TRUE(processEventsUntil([&] { return answer.has_value(); }));
        if (!row.failure) {
            // The server's own interval, and every query asked once.
            EXPECT_FALSE(answer->failure);
            EXPECT_EQ(source.refreshSeconds(), 30);
            EXPECT_EQ(server.requestCount(), 1 + static_cast<int>(fleetQueryCount));
            continue;
        }
        ASSERT_TRUE(answer->failure);
        EXPECT_TRUE(answer->failure->contains(QLatin1String(row.failure))) << answer->failure->toStdString();
    }
}

TEST_F(PrometheusSourceTest, BetweenRefreshesNothingIsAskedAndAChosenMachinesHourComesOnce)
{
    fixtures::LocalHttpServer server;
    server.serve("/api/v1/query", "200 OK",
                 R"({"status":"success","data":{"resultType":"vector","result":[)"
                 R"({"metric":{"instance":"a","job":"node"},"value":[1,"1"]}]}})");
    server.serve("/api/v1/query_range", "200 OK",
                 R"({"status":"success","data":{"resultType":"matrix","result":[)"
                 R"({"metric":{"instance":"a","job":"node"},"values":[[1,"7"],[16,"8"]]}]}})");
    // No configuration: a scrape a minute is assumed.
    PrometheusSource source({server.url({}), std::nullopt}, scheduler);
    const auto read = [&] {
        std::optional<SourceReading> answer;
        source.readEverySecond(false, [&](SourceReading reading) { answer = std::move(reading); });
        EXPECT_TRUE(processEventsUntil([&] { return answer.has_value(); }));
        return answer.value_or(SourceReading{});
    };
    EXPECT_TRUE(read().isMeasured);
    EXPECT_EQ(source.refreshSeconds(), PrometheusSource::assumedScrapeIntervalSeconds);
    const int asked = server.requestCount();
    scheduler.advance(30);
    const SourceReading between = read();
    EXPECT_FALSE(between.isMeasured);  // nothing new: no sample
    EXPECT_FALSE(between.failure);
    EXPECT_EQ(server.requestCount(), asked);

    source.chooseMachine(QStringLiteral("a"));
    EXPECT_TRUE(processEventsUntil([&] { return server.requestCount() == asked + 3; }));
    std::optional<MetricHistory> hour;
    processEventsUntil([&] {
        if (std::optional<MetricHistory> sent = read().pastHour)
            hour = std::move(sent);
        return hour.has_value();
    });
    ASSERT_TRUE(hour);
    ASSERT_EQ(hour->size(), 2);
    EXPECT_DOUBLE_EQ((*hour)[1][Series::cpu], 8);
    EXPECT_FALSE(read().pastHour);  // sent once
    scheduler.advance(30);
    EXPECT_TRUE(read().isMeasured);
    EXPECT_EQ(server.requestCount(), asked + 3 + static_cast<int>(fleetQueryCount));  // the minute assumed stays
}

// The server's configuration and answers are read on the background runner:
// nothing is answered until each has been read there.
TEST_F(PrometheusSourceTest, AnswersAreReadInTheBackground)
{
    fixtures::LocalHttpServer server;
    server.serve("/api/v1/query", "200 OK",
                 R"({"status":"success","data":{"resultType":"vector","result":[)"
                 R"({"metric":{"instance":"a","job":"node"},"value":[1,"1"]}]}})");
    server.serve("/api/v1/status/config", "200 OK",
                 R"({"status":"success","data":{"yaml":"global:\n  scrape_interval: 20s\n"}})");
    ManualRunner parser;
    PrometheusSource source({server.url({}), std::nullopt}, scheduler, &parser);
    std::optional<SourceReading> answer;
    source.readEverySecond(false, [&](SourceReading reading) { answer = std::move(reading); });
    ASSERT_TRUE(processEventsUntil([&] { return parser.pendingCount() == 1; }));
    EXPECT_EQ(server.requestCount(), 1);  // the configuration, waiting to be read
    parser.runAll();
    EXPECT_EQ(source.scrapeIntervalSeconds(), 20);
    ASSERT_TRUE(processEventsUntil([&] { return parser.pendingCount() == 1; }));
    EXPECT_FALSE(answer);
    parser.runAll();
    ASSERT_TRUE(answer);
    EXPECT_FALSE(answer->failure);
    EXPECT_EQ(server.requestCount(), 1 + static_cast<int>(fleetQueryCount));
}

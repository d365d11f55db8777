// Another machine's readings from a real node exporter over a fixture tree,
// read the way this computer reads the same files.
#include "testsupport/NodeExporterProcess.h"
#include "monitor/SystemMonitor.h"
#include "monitor/linux/DiskReader.h"
#include "monitor/linux/NetworkCounters.h"
#include "monitor/remote/RemoteSource.h"
#include "support/BackgroundRunner.h"
#include "support/VirtualScheduler.h"
#include "testsupport/FixtureTree.h"
#include "testsupport/Application.h"
#include "testsupport/LocalHttpServer.h"

#include <QFile>
#include <QSslConfiguration>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

using namespace moravel;
using moravel::fixtures::FixtureTree;
using moravel::fixtures::NodeExporterProcess;
using moravel::fixtures::processEventsUntil;

namespace {

// Two cores; `busy` and `idle` ticks each, half of the idle ones waiting for I/O.
std::string procStat(uint64_t busy, uint64_t idle)
{
    const auto core = [&](const std::string& name, uint64_t factor) {
        return name + " " + std::to_string(busy * factor / 2) + " 0 " + std::to_string(busy * factor / 2) + " "
               + std::to_string(idle * factor / 2) + " " + std::to_string(idle * factor / 2) + " 0 0 0 0 0\n";
    };
    return core("cpu ", 2) + core("cpu0", 1) + core("cpu1", 1) + "intr 0\nctxt 0\nbtime 0\nprocesses 1\n";
}

std::string netDev(uint64_t received)
{
    const auto row = [](const std::string& name, uint64_t bytes) {
        return name + ": " + std::to_string(bytes) + " 1 0 0 0 0 0 0 " + std::to_string(bytes / 2)
               + " 1 0 0 0 0 0 0\n";
    };
    return "Inter-| Receive | Transmit\n face |bytes packets|bytes packets\n" + row("lo", received * 9)
           + row("eth0", received);
}

std::string diskStats(uint64_t sectorsRead)
{
    const auto row = [&](const std::string& name) {
        return "8 0 " + name + " 1 0 " + std::to_string(sectorsRead) + " 0 1 0 " + std::to_string(sectorsRead * 2)
               + " 0 0 0 0 0 0 0 0 0 0\n";
    };
    return row("sda") + row("sda1") + row("dm-0");
}

void writeMachine(FixtureTree& tree)
{
    tree.write("proc/stat", procStat(100, 300));
    tree.write("proc/meminfo", "MemTotal: 2000 kB\nMemFree: 100 kB\nMemAvailable: 500 kB\nSwapTotal: 1000 kB\n"
                               "SwapFree: 250 kB\n");
    tree.write("proc/net/dev", netDev(1000));
    tree.write("proc/loadavg", "0.50 0.25 0.10 1/100 42\n");
    tree.write("proc/diskstats", diskStats(0));
    tree.write("proc/1/mounts", "/dev/sda1 / ext4 rw,relatime 0 0\n");
    tree.makeDirectory("rootfs");
    for (const auto& [file, value] :
         {std::pair{"hwmon/hwmon0/name", "coretemp"}, {"hwmon/hwmon0/temp1_input", "45000"},
          {"hwmon/hwmon0/temp1_label", "Package id 0"}, {"hwmon/hwmon0/temp1_crit", "100000"},
          {"hwmon/hwmon0/temp2_input", "38500"}, {"hwmon/hwmon0/temp3_input", "-273150"},  // unconnected
          {"hwmon/hwmon1/name", "thinkpad"},
          {"hwmon/hwmon1/fan1_input", "2900"}, {"hwmon/hwmon1/fan1_label", "CPU fan"},
          {"hwmon/hwmon1/fan2_input", "0"}, {"hwmon/hwmon1/in0_input", "1020"}, {"hwmon/hwmon1/in0_label", "Vcore"},
          {"hwmon/hwmon1/in0_max", "1500"}, {"power_supply/BAT0/type", "Battery"},
          {"power_supply/BAT0/status", "Discharging"}, {"power_supply/BAT0/capacity", "80"},
          {"power_supply/BAT0/voltage_now", "12000000"}, {"power_supply/BAT0/current_now", "1000000"},
          {"power_supply/AC/type", "Mains"}, {"power_supply/AC/online", "0"}})
        tree.write(QStringLiteral("sys/class/") + file, std::string(value) + "\n");
}

class RemoteSourceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { fixtures::ensureApplication(); }

    // One tick (or start) of the monitor, then waits, bounded, for the page or
    // the failure of the request it made. True for a page.
    bool tick(SystemMonitor& monitor, double seconds = 1)
    {
        if (monitor.isStarted())
            scheduler.advance(seconds);  // ticks that fall within the backoff fail at once
        else
            monitor.start();
        // Connected once the tick has run: what it read at once (the disk, say) is not the page.
        std::optional<bool> read;
        const auto failed = QObject::connect(&monitor, &SystemMonitor::refreshFailed, [&] { read = false; });
        const auto published = QObject::connect(&monitor, &SystemMonitor::snapshotChanged, [&] { read = true; });
        processEventsUntil([&] { return read.has_value(); });
        QObject::disconnect(failed);
        QObject::disconnect(published);
        return read.value_or(false);
    }

    VirtualScheduler scheduler;
};

}  // namespace

TEST_F(RemoteSourceTest, ReadsTheExporterAsThisComputerReadsTheSameFilesAndRecoversWhenItComesBack)
{
    if (NodeExporterProcess::program().isEmpty())
        GTEST_SKIP() << "prometheus-node-exporter is not installed (scripts/install-deps installs it)";
    FixtureTree tree;
    writeMachine(tree);
    NodeExporterProcess exporter(tree.root());
    ASSERT_TRUE(exporter.start()) << exporter.failure().toStdString();
    auto monitor = std::make_unique<SystemMonitor>(
        scheduler, std::make_shared<RemoteSource>(RemoteEndpoint{exporter.url(), std::nullopt}, scheduler));
    EXPECT_EQ(monitor->machineName(), QStringLiteral("127.0.0.1"));

    ASSERT_TRUE(tick(*monitor));
    EXPECT_TRUE(monitor->history().isEmpty());  // the first page is a baseline
    tree.write("proc/stat", procStat(100 + 60, 300 + 140));
    tree.write("proc/net/dev", netDev(1000 + 4096));
    tree.write("proc/diskstats", diskStats(8));
    ASSERT_TRUE(tick(*monitor));

    const SystemSnapshot& s = monitor->snapshot();
    EXPECT_DOUBLE_EQ(s.cpu->percent, 30);  // iowait counts as idle, as here
    EXPECT_EQ(s.memory->used, 1500u * 1024);
    EXPECT_EQ(s.swap->used, 750u * 1024);
    EXPECT_DOUBLE_EQ(s.network->downloadBytesPerSecond, 4096);  // one second apart; loopback left out
    // The whole disk, not its partition or mapper again.
    EXPECT_DOUBLE_EQ(s.diskActivity->readBytesPerSecond, 8 * 512);
    EXPECT_EQ(s.loadAverage, (std::array<double, 3>{0.5, 0.25, 0.1}));
    // The volume as this computer reads it, give or take what others write meanwhile.
    const DiskReading local = readDiskUsage(tree.root().toStdString() + "/rootfs").value();
    EXPECT_EQ(s.disk->total, local.total);
    EXPECT_NEAR(s.disk->percent, local.percent, 0.1);
    EXPECT_NEAR(static_cast<double>(s.disk->available), static_cast<double>(local.available),
                static_cast<double>(local.total) / 1000);
    EXPECT_EQ(s.temperatures, (QList<SensorReading>{{"coretemp", "Package id 0", 45, 100, std::nullopt},
                                                         {"coretemp", "temp2", 38.5, std::nullopt, std::nullopt}}));
    EXPECT_EQ(s.fans, (QList<SensorReading>{{"thinkpad", "CPU fan", 2900}, {"thinkpad", "fan2", 0}}));
    EXPECT_EQ(s.voltages, (QList<SensorReading>{{"thinkpad", "Vcore", 1.02, {}, 1.5}}));
    ASSERT_TRUE(s.power && s.power->battery);
    EXPECT_EQ(s.power->battery->percent, 80);
    EXPECT_FALSE(s.power->isExternalPowerConnected);
    EXPECT_DOUBLE_EQ(s.power->battery->watts, 12);
    EXPECT_EQ(s.power->displayPowerWatts, 12);  // reconciled on the first refresh, kept on the second
    EXPECT_FALSE(s.gpus || s.power->adapter || s.topProcesses);

    // Gone: told, the readings and the chart pause. Back: read again by itself.
    exporter.stop();
    const int samples = monitor->history().size();
    EXPECT_FALSE(tick(*monitor));
    EXPECT_FALSE(monitor->isSourceReachable());
    EXPECT_FALSE(monitor->sourceFailure().isEmpty());
    EXPECT_FALSE(tick(*monitor));  // still gone
    EXPECT_EQ(monitor->history().size(), samples + 2);  // seconds without readings
    ASSERT_TRUE(exporter.start()) << exporter.failure().toStdString();
    tree.write("proc/stat", procStat(160 + 10, 440 + 30));
    EXPECT_TRUE(tick(*monitor, retryDelaySeconds(2)));
    EXPECT_TRUE(monitor->isSourceReachable());
    const MetricHistory& history = monitor->history();
    ASSERT_GT(history.size(), samples + 2);
    EXPECT_TRUE(std::isnan(history[history.size() - 2][Series::cpu]));  // waiting to try again: missing too
    EXPECT_DOUBLE_EQ(history.last()[Series::cpu], 25);  // measured across the gap
}

// The same copied interfaces read here, through the device links of
// /sys/class/net, and there, through what the exporter's netclass collector
// publishes of them: a veth pair and a bridge carrying eth0's traffic again
// count on neither side.
TEST_F(RemoteSourceTest, AnotherMachinesNetworkIsCountedByThisComputersRule)
{
    if (NodeExporterProcess::program().isEmpty())
        GTEST_SKIP() << "prometheus-node-exporter is not installed (scripts/install-deps installs it)";
    FixtureTree tree;
    writeMachine(tree);
    // flags, ifindex, iflink, name_assign_type, addr_assign_type, type
    const std::pair<const char*, std::array<const char*, 6>> interfaces[] = {
        {"lo", {"0x9", "1", "1", "2", "0", "772"}},
        {"eth0", {"0x1003", "2", "2", "4", "0", "1"}},
        {"veth1a2b", {"0x1003", "4", "3", "3", "1", "1"}},
        {"br0", {"0x1003", "5", "5", "3", "3", "1"}},
    };
    for (const auto& [name, figures] : interfaces) {
        const char* files[] = {"flags", "ifindex", "iflink", "name_assign_type", "addr_assign_type", "type"};
        for (size_t i = 0; i < figures.size(); ++i)
            tree.write(QStringLiteral("sys/class/net/%1/%2").arg(name, files[i]), std::string(figures[i]) + "\n");
    }
    tree.makeDirectory("sys/class/net/eth0/device");
    const auto writeTraffic = [&](uint64_t bytes) {
        std::string text = "Inter-| Receive | Transmit\n face |bytes packets|bytes packets\n";
        for (const auto& [name, figures] : interfaces)
            text += std::string(name) + ": " + std::to_string(bytes) + " 1 0 0 0 0 0 0 " + std::to_string(bytes / 2)
                    + " 1 0 0 0 0 0 0\n";
        tree.write("proc/net/dev", text);
    };
    NodeExporterProcess exporter(tree.root());
    ASSERT_TRUE(exporter.start({"--collector.netclass"})) << exporter.failure().toStdString();
    SystemMonitor remote(scheduler,
                         std::make_shared<RemoteSource>(RemoteEndpoint{exporter.url(), std::nullopt}, scheduler));
    NetworkReader local(tree.procRoot().toStdString(), tree.sysRoot().toStdString());
    SystemSnapshot here;

    writeTraffic(1000);
    ASSERT_TRUE(tick(remote));
    EXPECT_FALSE(local.read(scheduler.monotonicSeconds()));  // a baseline: no rate yet
    writeTraffic(1000 + 4096);
    ASSERT_TRUE(tick(remote));
    local.read(scheduler.monotonicSeconds())(here);
    EXPECT_EQ(here.network, (NetworkReading{4096, 2048}));  // eth0 alone, one second apart
    EXPECT_EQ(remote.snapshot().network, here.network);
}

// Every way a page can fail to arrive is a failure in words, never a reading;
// the server's own words are cut short and made printable.
TEST_F(RemoteSourceTest, FailuresAreToldNotReadAsZeros)
{
    fixtures::LocalHttpServer server;
    const QByteArray hostileReason = "\x1b[2J" + QByteArray(100'000, 'x');
    const struct {
        const char* path;
        QByteArray status;  // empty: never answers
        QByteArray body;
        const char* failure;
        QByteArray headers = {};
    } rows[] = {
        {"/missing", "404 Not Found", "", "HTTP 404 Not Found"},
        {"/locked", "401 Unauthorized", "", "the exporter asks for credentials (HTTP 401)"},
        {"/garbled", "200 OK", "node_load1 0.5\nnode_load5 {\n", "line 2"},
        {"/other", "200 OK", "# TYPE up gauge\nup 1\n", "no node exporter readings"},
        {"/stalled", {}, "", "no answer within 2 seconds"},
        {"/hostile", "500 " + hostileReason, "", "HTTP 500 ?[2Jxxx"},
        {"/loop", "302 Found", "", "redirected more than 3 times", "Location: /loop\r\n"},
        {"/elsewhere", "302 Found", "", "redirected to another address", "Location: http://127.0.0.2/metrics\r\n"},
        {"/gzip", "200 OK", "not gzip at all", "Decompression failed: the page is damaged",
         "Content-Encoding: gzip\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        row.status.isEmpty() ? server.stall(row.path) : server.serve(row.path, row.status, row.body, row.headers);
        const int before = server.requestCount();
        RemoteSource source({server.url(row.path), std::nullopt}, scheduler);
        std::optional<SourceReading> answer;
        source.readEverySecond(true, [&](SourceReading reading) { answer = std::move(reading); });
        processEventsUntil([&] { return answer.has_value() || server.requestCount() > before; });
        if (row.status.isEmpty())
            scheduler.advance(RemoteSource::timeoutSeconds);
        ASSERT_TRUE(processEventsUntil([&] { return answer.has_value(); }));
        ASSERT_TRUE(answer->failure);
        EXPECT_TRUE(answer->failure->contains(QLatin1String(row.failure))) << answer->failure->toStdString();
        EXPECT_LT(answer->failure->size(), 200);
        EXPECT_LE(server.requestCount() - before, 1 + PageFetcher::maximumRedirects);

        // Backing off: the next tick fails at once, without asking again.
        const int asked = server.requestCount();
        answer.reset();
        source.readEverySecond(true, [&](SourceReading reading) { answer = std::move(reading); });
        ASSERT_TRUE(answer && answer->failure);
        EXPECT_EQ(server.requestCount(), asked);
    }
    // The back-off doubles from a second up to 16 seconds, so a machine that comes back is seen within that.
    for (const auto& [failures, seconds] : {std::pair{1, 1.0}, {2, 2.0}, {5, 16.0}, {6, 16.0}, {1000, 16.0}})
        EXPECT_EQ(retryDelaySeconds(failures), seconds) << failures;
}

// A page too large is refused as soon as that shows: at once when its length
// is announced (before any of it comes), and, when it is not, as the bytes
// pass the limit, having taken little more than the limit from a body that
// never ends.
TEST_F(RemoteSourceTest, OversizedPagesAreRefusedWithoutReadingThemWhole)
{
    fixtures::LocalHttpServer server;
    server.stream("/announced", "HTTP/1.0 200 OK\r\nContent-Length: 524288000\r\n\r\n", false);
    // A byte over the limit, its length unannounced, the connection left open.
    server.stream("/unannounced", "HTTP/1.0 200 OK\r\n\r\n" + QByteArray(largestExpositionPage + 1, '#'), false);
    server.stream("/endless", "HTTP/1.0 200 OK\r\n\r\n");
    // The endless page last: what was streamed is counted as soon as it is refused.
    for (const char* path : {"/announced", "/unannounced", "/endless"}) {
        SCOPED_TRACE(path);
        RemoteSource source({server.url(path), std::nullopt}, scheduler);
        std::optional<SourceReading> answer;
        source.readEverySecond(true, [&](SourceReading reading) { answer = std::move(reading); });
        ASSERT_TRUE(processEventsUntil([&] { return answer.has_value(); }));
        ASSERT_TRUE(answer->failure);
        EXPECT_TRUE(answer->failure->contains(QLatin1String("larger than 4 MB"))) << answer->failure->toStdString();
    }
    EXPECT_LT(server.bytesStreamed(), 4 * static_cast<qint64>(largestExpositionPage));
}

// The page is parsed on the background runner; ticks meanwhile wait for it
// instead of asking again.
TEST_F(RemoteSourceTest, PagesAreParsedInTheBackground)
{
    fixtures::LocalHttpServer server;
    server.serve("/metrics", "200 OK", "node_load1 0.5\nnode_load5 0.25\nnode_load15 0.1\n");
    ManualRunner parser;
    RemoteSource source({server.url("/metrics"), std::nullopt}, scheduler, &parser);
    std::vector<SourceReading> answers;
    source.readEverySecond(true, [&](SourceReading reading) { answers.push_back(std::move(reading)); });
    ASSERT_TRUE(processEventsUntil([&] { return parser.pendingCount() == 1; }));
    source.readEverySecond(true, [&](SourceReading reading) { answers.push_back(std::move(reading)); });
    EXPECT_TRUE(answers.empty());
    parser.runAll();
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_FALSE(answers[0].failure);
    EXPECT_EQ(server.requestCount(), 1);
}

// The exporter behind https and a password, as on a cloud machine: its
// certificate must be trusted by the system, and its password come from the
// user's file.
TEST_F(RemoteSourceTest, HttpsVerifiesTheCertificateAndSendsTheCredentials)
{
    if (NodeExporterProcess::program().isEmpty())
        GTEST_SKIP() << "prometheus-node-exporter is not installed (scripts/install-deps installs it)";
    const QString tls = QStringLiteral(MORAVEL_REMOTE_PAGES "/../tls/localhost");
    FixtureTree tree;
    writeMachine(tree);
    tree.write("web.yml", ("tls_server_config:\n  cert_file: " + tls + ".crt\n  key_file: " + tls
                           + ".key\nbasic_auth_users:\n"
                             "  moravel: $2b$04$jCYk1bfMb1QiI.EjY7xUTeKgNLYypQqmuF88Q9ukUadTUX1mdPdGi\n")
                              .toStdString());
    NodeExporterProcess exporter(tree.root());
    ASSERT_TRUE(exporter.start({"--web.config.file=" + tree.root() + "/web.yml"})) << exporter.failure().toStdString();
    QUrl url = exporter.url();
    url.setScheme("https");

    const auto firstReading = [&](const char* password) {
        tree.remove("credentials");
        tree.write("credentials", std::string("moravel:") + password + "\n");
        QFile::setPermissions(tree.root() + "/credentials", QFile::ReadOwner | QFile::WriteOwner);
        RemoteSource source(std::get<RemoteEndpoint>(endpointWithCredentials(url, tree.root() + "/credentials")),
                            scheduler);
        std::optional<SourceReading> answer;
        source.readEverySecond(true, [&](SourceReading reading) { answer = std::move(reading); });
        processEventsUntil([&] { return answer.has_value(); });
        return answer ? answer->failure.value_or(QStringLiteral("read")) : QStringLiteral("no answer");
    };
    const QString untrusted = firstReading("s3cret");
    EXPECT_TRUE(untrusted.startsWith("the certificate of 127.0.0.1 is not trusted by this computer (")
                && untrusted.contains("self-signed"))
        << untrusted.toStdString();

    // Trusted the way a user trusts a certificate: by the system, not by Moravel.
    const QSslConfiguration system = QSslConfiguration::defaultConfiguration();
    QSslConfiguration trusting = system;
    trusting.addCaCertificates(tls + ".crt");
    QSslConfiguration::setDefaultConfiguration(trusting);
    EXPECT_EQ(firstReading("s3cret"), QStringLiteral("read"));
    EXPECT_TRUE(firstReading("guess").contains(QLatin1String("refused the credentials")));
    QSslConfiguration::setDefaultConfiguration(system);
}

#include "monitor/MeasuredReadings.h"
#include "monitor/SystemMonitor.h"
#include "support/BackgroundRunner.h"
#include "support/VirtualScheduler.h"
#include "testsupport/FixtureTree.h"

#include <gtest/gtest.h>

#include <string>

using namespace moravel;
using moravel::fixtures::FixtureTree;

namespace {

// Counts calls and hands out canned readings.
class FakeTelemetry : public TelemetryReaders {
public:
    std::optional<BatteryRegistry> readBattery() override
    {
        ++batteryReads;
        return battery;
    }
    std::optional<DiskMetric> readDisk() const override
    {
        ++diskReads;
        return disk;
    }
    ProcessReading readProcesses(ProcessHistory previous, int32_t) const override
    {
        ++processReads;
        previous.entries[1] = {1, static_cast<uint64_t>(processReads)};
        previous.isValid = true;
        return ProcessReading{processes, std::move(previous)};
    }

    std::optional<BatteryRegistry> battery;
    std::optional<DiskMetric> disk;
    QList<ProcessMetric> processes{{7, QStringLiteral("worker"), 12.5, 4096}};
    int batteryReads = 0;
    mutable int diskReads = 0;
    mutable int processReads = 0;
};

std::string statLine(uint64_t used, uint64_t idle)
{
    return "cpu  " + std::to_string(used) + " 0 0 " + std::to_string(idle) + " 0 0 0 0 0 0\n";
}

std::string netDev(uint64_t received, uint64_t sent)
{
    return "Inter-| Receive | Transmit\n face |bytes ...|bytes ...\n"
           "    lo: 999 1 0 0 0 0 0 0 999 1 0 0 0 0 0 0\n"
           "  eth0: " + std::to_string(received) + " 1 0 0 0 0 0 0 " + std::to_string(sent) + " 1 0 0 0 0 0 0\n";
}

class SystemMonitorTest : public ::testing::Test {
protected:
    SystemMonitorTest()
    {
        tree.write("proc/stat", statLine(0, 0));
        tree.write("proc/meminfo", "MemTotal: 1000 kB\nMemAvailable: 600 kB\n");
        tree.write("proc/net/dev", netDev(0, 0));
        tree.write("sys/class/net/lo/flags", "0x9\n");
        tree.write("sys/class/net/eth0/flags", "0x1003\n");
        tree.makeDirectory("sys/class/net/eth0/device");
        telemetry = std::make_shared<FakeTelemetry>();
        monitor = std::make_unique<SystemMonitor>(scheduler, runner, telemetry,
                                                  ReaderRoots{tree.procRoot(), tree.sysRoot()});
    }

    struct Interface {
        std::string name;
        bool up = true;
        bool device = true;
        uint64_t received = 0;
    };

    // The interfaces of /proc/net/dev and /sys/class/net; each sends a tenth of what it receives.
    void writeInterfaces(const std::vector<Interface>& interfaces)
    {
        std::string rows = "h\nh\n";
        for (const Interface& i : interfaces) {
            rows += i.name + ": " + std::to_string(i.received) + " 1 0 0 0 0 0 0 " + std::to_string(i.received / 10)
                    + " 1 0 0 0 0 0 0\n";
            const QString base = QString::fromStdString("sys/class/net/" + i.name);
            tree.write(base + "/flags", i.up ? "0x1003\n" : "0x1002\n");
            if (i.device)
                tree.makeDirectory(base + "/device");
        }
        tree.write("proc/net/dev", rows);
    }

    void refreshAfter(double seconds)
    {
        scheduler.advance(seconds);
        monitor->refresh();
    }

    FixtureTree tree;
    VirtualScheduler scheduler;
    ManualRunner runner;
    std::shared_ptr<FakeTelemetry> telemetry;
    std::unique_ptr<SystemMonitor> monitor;
};

}  // namespace

TEST_F(SystemMonitorTest, StartTakesOneSampleBeforeTheFirstTickAndOnlyOnce)
{
    EXPECT_EQ(monitor->snapshot().memoryTotal, 1000u * 1024);  // known before any reading
    int snapshots = 0;
    QObject::connect(monitor.get(), &SystemMonitor::snapshotChanged, [&] { ++snapshots; });
    monitor->start();
    monitor->start();
    EXPECT_EQ(monitor->updateCount(), 1);
    scheduler.advance(0.99);
    EXPECT_EQ(monitor->updateCount(), 1);
    scheduler.advance(10.01);
    EXPECT_EQ(monitor->updateCount(), 12);  // one timer, not two
    EXPECT_EQ(snapshots, 12);
    EXPECT_EQ(monitor->history().size(), 12);
}

TEST_F(SystemMonitorTest, FailedReadsRepeatTheLastValues)
{
    tree.write("proc/stat", statLine(100, 900));
    monitor->refresh();
    tree.write("proc/stat", statLine(130, 970));
    tree.write("proc/net/dev", netDev(1000, 500));
    refreshAfter(1);
    const SystemSnapshot good = monitor->snapshot();
    ASSERT_DOUBLE_EQ(good.cpuPercent, 30);
    ASSERT_DOUBLE_EQ(good.downloadBytesPerSecond, 1000);  // loopback left out
    ASSERT_EQ(good.memoryUsed, 400u * 1024);

    tree.write("proc/stat", "");
    tree.write("proc/meminfo", "garbage\n");
    tree.write("proc/net/dev", "");
    refreshAfter(1);
    EXPECT_EQ(monitor->snapshot().cpuPercent, good.cpuPercent);
    EXPECT_EQ(monitor->snapshot().memoryUsed, good.memoryUsed);
    EXPECT_EQ(monitor->snapshot().downloadBytesPerSecond, good.downloadBytesPerSecond);
    EXPECT_EQ(monitor->history().size(), 3);  // a refresh always adds a sample

    // The previous ticks were kept through the failure.
    tree.write("proc/stat", statLine(140, 1060));
    monitor->refresh();
    EXPECT_DOUBLE_EQ(monitor->snapshot().cpuPercent, 10);
}

TEST_F(SystemMonitorTest, NetworkIntervalHasAMillisecondFloor)
{
    monitor->refresh();
    tree.write("proc/net/dev", netDev(5, 1));
    refreshAfter(0.0005);
    EXPECT_DOUBLE_EQ(monitor->snapshot().downloadBytesPerSecond, 5000);
    EXPECT_DOUBLE_EQ(monitor->snapshot().uploadBytesPerSecond, 1000);
}

TEST_F(SystemMonitorTest, CountersGoingBackwardsGiveZeroAndAreStored)
{
    tree.write("proc/net/dev", netDev(10'000, 10'000));
    monitor->refresh();
    tree.write("proc/net/dev", netDev(100, 30'000));
    refreshAfter(2);
    EXPECT_EQ(monitor->snapshot().downloadBytesPerSecond, 0);
    EXPECT_DOUBLE_EQ(monitor->snapshot().uploadBytesPerSecond, 10'000);
    tree.write("proc/net/dev", netDev(600, 30'000));
    refreshAfter(1);
    EXPECT_DOUBLE_EQ(monitor->snapshot().downloadBytesPerSecond, 500);  // measured from the new totals
}

// Only interfaces counted in both readings add to the rate, so a change of
// the counted set is no burst, and the other interfaces' traffic still counts.
TEST_F(SystemMonitorTest, NetworkRateAcrossAChangeOfTheCountedInterfaces)
{
    constexpr uint64_t GB = 1'000'000'000;
    const struct {
        const char* name;
        std::vector<Interface> before;
        std::vector<Interface> after;
        double download;
    } rows[] = {
        // Summed totals gave 0 (they went backwards), losing eth0's 1000 B.
        {"Wi-Fi radio off", {{"eth0", true, true, 5 * GB}, {"wlan0", true, true, 3 * GB}},
         {{"eth0", true, true, 5 * GB + 1000}, {"wlan0", false, true, 3 * GB}}, 1000},
        // Summed totals gave 9.5 GB/s: the tunnel's lifetime counter joined the sum.
        {"cable pulled, tunnels counted instead", {{"eth0", true, true, 1 * GB}, {"tun0", true, false, 21 * GB / 2}},
         {{"eth0", false, true, 1 * GB}, {"tun0", true, false, 21 * GB / 2 + 2000}}, 0},
        // Summed totals gave 52 GB/s.
        {"link back up with counters that grew", {{"eth0", true, true, 1 * GB}, {"wlan0", false, true, 2 * GB}},
         {{"eth0", true, true, 1 * GB + 500}, {"wlan0", true, true, 52 * GB}}, 500},
        {"one counter reset", {{"eth0", true, true, 1 * GB}, {"wlan0", true, true, 2 * GB}},
         {{"eth0", true, true, 100}, {"wlan0", true, true, 2 * GB + 700}}, 700},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        tree.remove("sys/class/net");
        writeInterfaces(row.before);
        SystemMonitor fresh(scheduler, runner, telemetry, ReaderRoots{tree.procRoot(), tree.sysRoot()});
        fresh.refresh();
        writeInterfaces(row.after);
        scheduler.advance(1);
        fresh.refresh();
        EXPECT_DOUBLE_EQ(fresh.snapshot().downloadBytesPerSecond, row.download);
        EXPECT_DOUBLE_EQ(fresh.snapshot().uploadBytesPerSecond, row.download / 10);
    }
}

// The headless mode's lines: never the first refresh (rates need two), and
// not before the disk, and where asked for live process shares, are in.
TEST_F(SystemMonitorTest, MeasuredReadingsWaitForTheSecondRefreshTheDiskAndLiveProcessShares)
{
    for (const bool withProcesses : {false, true}) {
        SCOPED_TRACE(withProcesses);
        SystemMonitor fresh(scheduler, runner, telemetry, ReaderRoots{tree.procRoot(), tree.sysRoot()});
        telemetry->disk = DiskMetric{50, 5, 10};
        telemetry->processReads = 0;
        MeasuredReadings readings(fresh, withProcesses);
        QList<SystemSnapshot> lines;
        QObject::connect(&readings, &MeasuredReadings::readingReady,
                         [&](const SystemSnapshot& snapshot, const QDateTime&) { lines.append(snapshot); });
        tree.write("proc/stat", statLine(100, 900));
        fresh.start();
        tree.write("proc/stat", statLine(130, 970));
        scheduler.advance(1);
        EXPECT_TRUE(lines.isEmpty());  // the disk (and the first process reading) still out

        runner.runAll();  // with processes: the lifetime averages, then a second reading asked for
        ASSERT_EQ(lines.size(), 1);
        EXPECT_DOUBLE_EQ(lines[0].cpuPercent, 30);
        EXPECT_EQ(lines[0].diskTotal, 10u);
        EXPECT_EQ(lines[0].topProcesses.size(), withProcesses ? 1 : 0);
        EXPECT_EQ(telemetry->processReads, withProcesses ? 2 : 0);

        scheduler.advance(1);  // later refreshes go out at once
        EXPECT_EQ(lines.size(), 2);
        fresh.stop();
        runner.runAll();
    }
}

TEST_F(SystemMonitorTest, HistoryKeepsTheNewest300)
{
    for (int i = 0; i < 301; ++i)
        refreshAfter(1);
    ASSERT_EQ(monitor->history().size(), 300);
    // The first sample was taken at t = 1 s; the oldest kept is the second one.
    EXPECT_EQ(scheduler.currentDateTime().addSecs(-299), monitor->history().first().time);
}

TEST_F(SystemMonitorTest, StopThenStartContinuesTheCountAndKeepsTheHistory)
{
    monitor->start();
    scheduler.advance(2);
    monitor->stop();
    scheduler.advance(5);
    EXPECT_EQ(monitor->updateCount(), 3);
    monitor->start();
    EXPECT_EQ(monitor->updateCount(), 4);
    EXPECT_EQ(monitor->history().size(), 4);
}

TEST_F(SystemMonitorTest, BatteryOnOddCountsDiskOnFirstAndEvery30thKeepingTheLastOnFailure)
{
    telemetry->disk = DiskMetric{50, 5, 10};
    monitor->start();
    EXPECT_EQ(telemetry->batteryReads, 1);
    runner.runAll();
    EXPECT_EQ(monitor->snapshot().diskTotal, 10u);
    telemetry->disk.reset();
    scheduler.advance(29);  // count 30
    EXPECT_EQ(telemetry->batteryReads, 15);
    EXPECT_EQ(runner.pendingCount(), 1);
    scheduler.advance(30);  // count 60, while the 30th is still in flight
    EXPECT_EQ(runner.pendingCount(), 1);
    runner.runAll();
    EXPECT_EQ(monitor->snapshot().diskPercent, 50);
}

TEST_F(SystemMonitorTest, ProcessTelemetryOnlyWhileActive)
{
    monitor->start();
    runner.runAll();  // the disk reading
    scheduler.advance(10);
    EXPECT_EQ(telemetry->processReads, 0);

    monitor->setProcessTelemetryActive(true);  // reads at once, not at the next multiple of 5
    runner.runAll();
    EXPECT_EQ(telemetry->processReads, 1);
    EXPECT_EQ(monitor->snapshot().topProcesses.size(), 1);
    scheduler.advance(4);  // counts 12 .. 15
    runner.runAll();
    EXPECT_EQ(telemetry->processReads, 2);

    monitor->setProcessTelemetryActive(false);
    EXPECT_TRUE(monitor->snapshot().topProcesses.isEmpty());
    scheduler.advance(10);
    EXPECT_EQ(runner.pendingCount(), 0);
}

TEST_F(SystemMonitorTest, SlowResultsArrivingAfterSwitchOffOrStopAreDropped)
{
    monitor->setProcessTelemetryActive(true);
    monitor->setProcessTelemetryActive(false);
    runner.runAll();
    EXPECT_TRUE(monitor->snapshot().topProcesses.isEmpty());
    // The reading's history came back: the next reading continues from it.
    monitor->setProcessTelemetryActive(true);
    runner.runAll();
    EXPECT_EQ(telemetry->processReads, 2);
    EXPECT_EQ(monitor->snapshot().topProcesses.size(), 1);

    telemetry->disk = DiskMetric{50, 5, 10};
    monitor->start();
    monitor->stop();
    runner.runAll();
    EXPECT_EQ(monitor->snapshot().diskTotal, 0u);
}

TEST_F(SystemMonitorTest, SampleSystemPowerFollowsThePowerSource)
{
    BatteryRegistry charging;
    charging.externalConnected = true;
    charging.isCharging = true;
    charging.systemPowerInMilliwatts = 30'000;
    charging.amperageMilliamps = 1000;
    charging.voltageMillivolts = 12'000;  // 12 W into the battery
    telemetry->battery = charging;
    monitor->refresh();
    EXPECT_DOUBLE_EQ(monitor->history().last().systemPower, 18);
    EXPECT_TRUE(monitor->history().last().isCharging);

    charging.systemPowerInMilliwatts = 0;
    telemetry->battery = charging;
    monitor->refresh();  // even count: battery carried over
    monitor->refresh();
    EXPECT_DOUBLE_EQ(monitor->history().last().systemPower, 0);

    BatteryRegistry discharging;
    discharging.amperageMilliamps = -750;
    discharging.voltageMillivolts = 12'000;  // 9 W
    telemetry->battery = discharging;
    monitor->refresh();
    monitor->refresh();
    EXPECT_DOUBLE_EQ(monitor->history().last().systemPower, 9);
    EXPECT_DOUBLE_EQ(monitor->history().last().batteryPower, 9);
}

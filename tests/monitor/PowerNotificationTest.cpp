#include "monitor/SystemMonitor.h"
#include "support/BackgroundRunner.h"
#include "support/VirtualScheduler.h"
#include "testsupport/FixtureTree.h"

#include <gtest/gtest.h>

using namespace moravel;
using moravel::fixtures::FixtureTree;

namespace {

// Hands the monitor a battery and keeps the notification callback, so the
// test can play the platform's power-source changes.
class NotifyingTelemetry : public TelemetryReaders {
public:
    std::optional<BatteryRegistry> readBattery() override
    {
        ++batteryReads;
        return battery;
    }
    std::unique_ptr<PowerSourceWatcher> watchPowerSources(std::function<void()> changed) override
    {
        notify = std::move(changed);
        return std::make_unique<PowerSourceWatcher>();
    }

    BatteryRegistry battery;
    std::function<void()> notify;
    int batteryReads = 0;
};

BatteryRegistry dischargingAt(double watts)
{
    BatteryRegistry registry;
    registry.amperageMilliamps = -watts * 100;
    registry.voltageMillivolts = 10'000;
    return registry;
}

class PowerNotificationTest : public ::testing::Test {
protected:
    PowerNotificationTest()
    {
        tree.write("proc/stat", "cpu  0 0 0 0 0 0 0 0 0 0\n");
        tree.write("proc/meminfo", "MemTotal: 1000 kB\nMemAvailable: 600 kB\n");
        telemetry->battery = dischargingAt(8);
        monitor = std::make_unique<SystemMonitor>(scheduler, runner, telemetry,
                                                  ReaderRoots{tree.procRoot(), tree.sysRoot()});
    }

    FixtureTree tree;
    VirtualScheduler scheduler;
    ManualRunner runner;
    std::shared_ptr<NotifyingTelemetry> telemetry = std::make_shared<NotifyingTelemetry>();
    std::unique_ptr<SystemMonitor> monitor;
};

}  // namespace

TEST_F(PowerNotificationTest, BurstGivesOneReadEachAndOneTrailingRead)
{
    monitor->start();
    ASSERT_TRUE(telemetry->notify);
    int published = 0;
    QObject::connect(monitor.get(), &SystemMonitor::snapshotChanged, [&] { ++published; });
    EXPECT_EQ(telemetry->batteryReads, 1);

    for (int i = 0; i < 3; ++i) {
        scheduler.advance(0.1);
        telemetry->notify();
        EXPECT_EQ(telemetry->batteryReads, 2 + i);
    }
    scheduler.advance(0.17);  // 0.47 s
    EXPECT_EQ(telemetry->batteryReads, 4);
    scheduler.advance(0.02);  // past 0.18 s after the third
    EXPECT_EQ(telemetry->batteryReads, 5);
    EXPECT_EQ(published, 4);
}

TEST_F(PowerNotificationTest, StopCancelsTheTrailingRead)
{
    monitor->start();
    telemetry->notify();
    monitor->stop();
    scheduler.advance(0.5);
    EXPECT_EQ(telemetry->batteryReads, 2);
}

TEST_F(PowerNotificationTest, WeakReadingKeepsTheLastFigureForUnderTwoSeconds)
{
    monitor->start();
    EXPECT_EQ(monitor->snapshot().displayPowerWatts, 8.0);
    telemetry->battery = dischargingAt(0.03);
    scheduler.advance(1.5);
    telemetry->notify();
    EXPECT_EQ(monitor->snapshot().displayPowerWatts, 8.0);
    scheduler.advance(0.5);  // the third refresh, 2 s after the last valid figure, reads the battery
    EXPECT_EQ(monitor->snapshot().displayPowerWatts, std::nullopt);
}

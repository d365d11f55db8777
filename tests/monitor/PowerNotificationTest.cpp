#include "monitor/SystemMonitor.h"
#include "support/VirtualScheduler.h"
#include "testsupport/FakeSource.h"

#include <gtest/gtest.h>

using namespace moravel;
using moravel::fixtures::FakeSource;

namespace {

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
        telemetry->battery = dischargingAt(8);
        monitor = std::make_unique<SystemMonitor>(scheduler, telemetry);
    }

    VirtualScheduler scheduler;
    std::shared_ptr<FakeSource> telemetry = std::make_shared<FakeSource>();
    std::unique_ptr<SystemMonitor> monitor;
};

}  // namespace

TEST_F(PowerNotificationTest, BurstGivesOneReadEachAndOneTrailingRead)
{
    monitor->start();
    ASSERT_TRUE(telemetry->notifyPowerChange);
    int published = 0;
    QObject::connect(monitor.get(), &SystemMonitor::snapshotChanged, [&] { ++published; });
    EXPECT_EQ(telemetry->powerReads, 1);

    for (int i = 0; i < 3; ++i) {
        scheduler.advance(0.1);
        telemetry->notifyPowerChange();
        EXPECT_EQ(telemetry->powerReads, 2 + i);
    }
    scheduler.advance(0.17);  // 0.47 s
    EXPECT_EQ(telemetry->powerReads, 4);
    scheduler.advance(0.02);  // past 0.18 s after the third
    EXPECT_EQ(telemetry->powerReads, 5);
    EXPECT_EQ(published, 4);
}

TEST_F(PowerNotificationTest, StopCancelsTheTrailingRead)
{
    monitor->start();
    telemetry->notifyPowerChange();
    monitor->stop();
    scheduler.advance(0.5);
    EXPECT_EQ(telemetry->powerReads, 2);
}

TEST_F(PowerNotificationTest, WeakReadingKeepsTheLastFigureForUnderTwoSeconds)
{
    monitor->start();
    EXPECT_EQ(monitor->snapshot().displayPowerWatts, 8.0);
    telemetry->battery = dischargingAt(0.03);
    scheduler.advance(1.5);
    telemetry->notifyPowerChange();
    EXPECT_EQ(monitor->snapshot().displayPowerWatts, 8.0);
    scheduler.advance(0.5);  // the third refresh, 2 s after the last valid figure, reads the battery
    EXPECT_EQ(monitor->snapshot().displayPowerWatts, std::nullopt);
}

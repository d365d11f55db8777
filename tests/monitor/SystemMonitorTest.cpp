#include "monitor/FleetRules.h"
#include "monitor/MeasuredReadings.h"
#include "monitor/MetricSeries.h"
#include "monitor/PlausibleFigures.h"
#include "monitor/SystemMonitor.h"
#include "monitor/TemperaturePolicy.h"
#include "support/VirtualScheduler.h"
#include "testsupport/FakeSource.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

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

class SystemMonitorTest : public ::testing::Test {
protected:
    SystemMonitorTest()
    {
        telemetry->initial.memory = MemoryReading{0, 0, 1000 * 1024};
        monitor = std::make_unique<SystemMonitor>(scheduler, telemetry);
    }

    VirtualScheduler scheduler;
    std::shared_ptr<FakeSource> telemetry = std::make_shared<FakeSource>();
    std::unique_ptr<SystemMonitor> monitor;
};

}  // namespace

// A reading at start, published but no sample: it is a baseline (no processor
// load or rates yet), and would put a made-up minimum into the hour and the day.
TEST_F(SystemMonitorTest, ReadsAtStartSamplesOnlyMeasuredSecondsOnOneTimerAndKeepsAnHour)
{
    EXPECT_EQ(monitor->snapshot().memory->total, 1000u * 1024);  // the source's, before any reading
    int snapshots = 0;
    QObject::connect(monitor.get(), &SystemMonitor::snapshotChanged, [&] { ++snapshots; });
    monitor->start();
    monitor->start();
    EXPECT_EQ(monitor->updateCount(), 1);
    EXPECT_EQ(snapshots, 1);
    EXPECT_TRUE(monitor->history().isEmpty());
    scheduler.advance(0.99);
    EXPECT_EQ(monitor->updateCount(), 1);
    scheduler.advance(10.01);
    EXPECT_EQ(monitor->updateCount(), 12);  // one timer, not two
    EXPECT_EQ(snapshots, 12);

    monitor->stop();
    scheduler.advance(5);
    monitor->start();
    EXPECT_EQ(monitor->updateCount(), 13);
    EXPECT_EQ(monitor->history().size(), 12);

    scheduler.advance(3600);  // the history keeps the newest hour
    ASSERT_EQ(monitor->history().size(), 3600);
    EXPECT_EQ(monitor->history().first().time, scheduler.currentDateTime().addSecs(-3599));
}

// The headless mode's lines: never the first refresh (rates need two), even
// when the disk answers before the second, as it does in the program; and
// not before the disk and, where asked for, live process shares are in.
TEST_F(SystemMonitorTest, MeasuredReadingsWaitForTheSecondRefreshTheDiskAndLiveProcessShares)
{
    for (const bool diskFirst : {true, false}) {
        for (const bool withProcesses : {false, true}) {
            SCOPED_TRACE(testing::Message() << "disk first " << diskFirst << ", processes " << withProcesses);
            auto source = std::make_shared<FakeSource>();
            source->disk = DiskReading{50, 5, 10};
            source->everySecond = [&source](SystemSnapshot& next) { next.cpu = CpuReading{source->secondReads * 10.0}; };
            SystemMonitor fresh(scheduler, source);
            MeasuredReadings readings(fresh, withProcesses);
            QList<SystemSnapshot> lines;
            QObject::connect(&readings, &MeasuredReadings::readingReady,
                             [&](const SystemSnapshot& snapshot, const QDateTime&) { lines.append(snapshot); });
            fresh.start();
            if (diskFirst)
                source->runPending();  // the disk and the first process table answer within the first second
            scheduler.advance(1);
            // With processes: the table's lifetime averages are no shares; another reading is asked for.
            if (!diskFirst || withProcesses) {
                EXPECT_TRUE(lines.isEmpty());
                source->runPending();
            }
            ASSERT_EQ(lines.size(), 1);
            EXPECT_DOUBLE_EQ(lines[0].cpu->percent, 20);  // the second reading's
            EXPECT_EQ(lines[0].disk->total, 10u);
            EXPECT_EQ(lines[0].topProcesses.value_or(QList<ProcessMetric>()).size(), withProcesses ? 1 : 0);
            EXPECT_EQ(source->processReads, withProcesses ? 2 : 0);

            scheduler.advance(1);  // later refreshes go out at once
            EXPECT_EQ(lines.size(), 2);
            source->failure = QStringLiteral("Connection refused");
            scheduler.advance(1);  // a second of an outage is no reading
            EXPECT_EQ(lines.size(), 2);
            fresh.stop();
            source->runPending();
        }
    }
}

TEST_F(SystemMonitorTest, BatteryOnOddCountsDiskOnFirstAndEvery30thKeepingTheLastOnFailure)
{
    telemetry->disk = DiskReading{50, 5, 10};
    monitor->start();
    EXPECT_EQ(telemetry->powerReads, 1);
    telemetry->runPending();
    EXPECT_EQ(monitor->snapshot().disk->total, 10u);
    telemetry->disk.reset();
    scheduler.advance(29);  // count 30
    EXPECT_EQ(telemetry->powerReads, 15);
    EXPECT_EQ(telemetry->pendingCount(), 1);
    scheduler.advance(30);  // count 60, while the 30th is still in flight
    EXPECT_EQ(telemetry->pendingCount(), 1);
    telemetry->runPending();
    EXPECT_EQ(monitor->snapshot().disk->percent, 50);
}

TEST_F(SystemMonitorTest, ProcessTelemetryOnlyWhileActive)
{
    monitor->start();
    telemetry->runPending();  // the disk reading
    scheduler.advance(10);
    EXPECT_EQ(telemetry->processReads, 0);

    monitor->setProcessTelemetryActive(true);  // reads at once, not at the next multiple of 5
    telemetry->runPending();
    EXPECT_EQ(telemetry->processReads, 1);
    EXPECT_EQ(monitor->snapshot().topProcesses->size(), 1);
    scheduler.advance(4);  // counts 12 .. 15
    telemetry->runPending();
    EXPECT_EQ(telemetry->processReads, 2);

    monitor->setProcessTelemetryActive(false);
    EXPECT_TRUE(monitor->snapshot().topProcesses.value_or(QList<ProcessMetric>()).isEmpty());
    scheduler.advance(10);
    EXPECT_EQ(telemetry->pendingCount(), 0);
}

TEST_F(SystemMonitorTest, SlowResultsArrivingAfterSwitchOffOrStopAreDropped)
{
    monitor->setProcessTelemetryActive(true);
    monitor->setProcessTelemetryActive(false);
    telemetry->runPending();
    EXPECT_TRUE(monitor->snapshot().topProcesses.value_or(QList<ProcessMetric>()).isEmpty());
    // The reading's history came back: the next reading continues from it.
    monitor->setProcessTelemetryActive(true);
    telemetry->runPending();
    EXPECT_EQ(telemetry->processReads, 2);
    EXPECT_EQ(monitor->snapshot().topProcesses->size(), 1);

    telemetry->disk = DiskReading{50, 5, 10};
    monitor->start();
    monitor->stop();
    telemetry->runPending();
    EXPECT_FALSE(monitor->snapshot().disk);
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
    monitor->refresh();  // a baseline, with the power read
    monitor->refresh();
    EXPECT_DOUBLE_EQ(monitor->history().last()[Series::systemPower], 18);
    EXPECT_TRUE(monitor->history().last().isCharging);

    telemetry->battery = dischargingAt(9);
    monitor->refresh();
    EXPECT_DOUBLE_EQ(monitor->history().last()[Series::systemPower], 9);
    EXPECT_DOUBLE_EQ(monitor->history().last()[Series::batteryPower], 9);
}

// A burst of power-source changes: one read each, then one trailing read
// 0.18 s after the last; stopping cancels the trailing one.
TEST_F(SystemMonitorTest, PowerChangeBurstGivesOneReadEachAndOneTrailingRead)
{
    telemetry->battery = dischargingAt(8);
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

    telemetry->notifyPowerChange();
    monitor->stop();
    scheduler.advance(0.5);
    EXPECT_EQ(telemetry->powerReads, 6);
}

TEST_F(SystemMonitorTest, WeakPowerReadingKeepsTheLastFigureForUnderTwoSeconds)
{
    telemetry->battery = dischargingAt(8);
    monitor->start();
    EXPECT_EQ(monitor->snapshot().power->displayPowerWatts, 8.0);
    telemetry->battery = dischargingAt(0.03);
    scheduler.advance(1.5);
    telemetry->notifyPowerChange();
    EXPECT_EQ(monitor->snapshot().power->displayPowerWatts, 8.0);
    scheduler.advance(0.5);  // the third refresh, 2 s after the last valid figure, reads the battery
    EXPECT_EQ(monitor->snapshot().power->displayPowerWatts, std::nullopt);
}

// Figures no hardware gives never reach the snapshot, whichever source read
// them (the readers' own tests feed them from files and from an exporter):
// what is left could be true.
TEST_F(SystemMonitorTest, FiguresNoHardwareGivesAreDropped)
{
    const auto core = [](const char* label, double celsius, std::optional<double> critical = std::nullopt) {
        return SensorReading{"coretemp", label, celsius, critical, 200};
    };
    const std::array<double, 3> sound{0, 2.5, largestLoadAverage};
    std::array<double, 3> load = sound;
    telemetry->everySecond = [&](SystemSnapshot& next) {
        next.temperatures = QList<SensorReading>{
            core("Package id 0", -273.15),  // what unconnected inputs report
            core("Core 0", 1e9),            // 999999999999 millidegrees
            core("Core 1", 9.2e15),         // the largest 64-bit millidegrees
            core("Core 2", NAN),   core("Core 3", -40.5), core("Core 4", 200.5),
            core("Core 5", -40, 999'999.999), core("Core 6", 200, 100),
        };
        next.gpus = QList<GpuReading>{{"broken", 100.5, 100'000'000'000'000'000, 8'000'000'000, 999'999.999},
                                      {"full", 100, 8'000'000'000, 8'000'000'000, 95}};
        next.loadAverage = load;
    };
    monitor->refresh();
    const SystemSnapshot& s = monitor->snapshot();
    EXPECT_EQ(s.temperatures, (QList<SensorReading>{
                                  {"coretemp", "Core 5", -40, std::nullopt, 200}, core("Core 6", 200, 100)}));
    EXPECT_EQ(cpuTemperatureOf(s), (CpuTemperature{200, 100}));  // the hottest plausible core, not the package
    EXPECT_EQ(s.gpus, (QList<GpuReading>{{"broken", std::nullopt, std::nullopt, 8'000'000'000, std::nullopt},
                                         {"full", 100, 8'000'000'000, 8'000'000'000, 95}}));
    EXPECT_EQ(s.loadAverage, sound);

    for (const double absurd : {-0.01, largestLoadAverage + 1, 1e308, double(NAN), double(INFINITY)}) {
        load = sound;
        load[1] = absurd;
        monitor->refresh();
        EXPECT_EQ(monitor->snapshot().loadAverage, std::nullopt) << absurd;
    }
}

// Another machine out of reach: the readings pause, each second of the outage
// is a sample with nothing in it (the chart's line breaks there), the change
// is told once each way, and a slow answer is never asked for twice.
TEST_F(SystemMonitorTest, UnansweredReadingsAreMissingSamplesUntilTheSourceAnswersAgain)
{
    QList<bool> changes;
    int failures = 0;
    QObject::connect(monitor.get(), &SystemMonitor::sourceReachabilityChanged, [&](bool up) { changes.append(up); });
    QObject::connect(monitor.get(), &SystemMonitor::refreshFailed, [&] { ++failures; });
    telemetry->everySecond = [](SystemSnapshot& next) { next.cpu = CpuReading{25}; };
    monitor->refresh();  // a baseline
    monitor->refresh();

    telemetry->failure = QStringLiteral("Connection refused");
    telemetry->everySecond = [](SystemSnapshot& next) { next.cpu = CpuReading{0}; };
    monitor->refresh();
    monitor->refresh();
    ASSERT_EQ(monitor->history().size(), 3);
    for (const MetricSample& outage : monitor->history().sliced(1)) {
        for (const SeriesDescriptor& series : allSeries())
            EXPECT_TRUE(std::isnan(outage[series.series])) << series.jsonName;
    }
    EXPECT_DOUBLE_EQ(monitor->snapshot().cpu->percent, 25);
    EXPECT_FALSE(monitor->isSourceReachable());
    EXPECT_EQ(monitor->sourceFailure(), QStringLiteral("Connection refused"));
    EXPECT_EQ(failures, 2);

    telemetry->failure.reset();
    telemetry->deferEverySecond = true;
    const int asked = telemetry->secondReads;
    for (int tick = 0; tick < 3; ++tick)
        monitor->refresh();
    EXPECT_EQ(telemetry->secondReads, asked + 1);
    telemetry->runPending();
    EXPECT_EQ(monitor->history().size(), 4);
    EXPECT_DOUBLE_EQ(monitor->history().last()[Series::cpu], 0);
    EXPECT_TRUE(monitor->isSourceReachable());
    EXPECT_EQ(changes, (QList<bool>{false, true}));
}

// Another machine from now on: the old one's samples and late answers are
// gone, the cadence stays, and an unreachable spell ends with the old source.
TEST_F(SystemMonitorTest, ReplacingTheSourceStartsAFreshHistoryAtTheSameCadence)
{
    telemetry->everySecond = [](SystemSnapshot& next) { next.cpu = CpuReading{25}; };
    monitor->start();
    scheduler.advance(2);
    telemetry->failure = QStringLiteral("Connection refused");
    telemetry->deferEverySecond = true;
    scheduler.advance(1);
    QList<bool> changes;
    QObject::connect(monitor.get(), &SystemMonitor::sourceReachabilityChanged, [&](bool up) { changes.append(up); });

    auto other = std::make_shared<FakeSource>();
    other->initial.memory = MemoryReading{0, 0, 42};
    other->everySecond = [](SystemSnapshot& next) { next.cpu = CpuReading{60}; };
    monitor->replaceSource(other);
    telemetry->failure.reset();
    telemetry->runPending();  // the old machine's late answer
    EXPECT_EQ(changes, QList<bool>{true});
    EXPECT_TRUE(monitor->history().isEmpty());  // read at once, a baseline; nothing of the old machine
    EXPECT_DOUBLE_EQ(monitor->snapshot().cpu->percent, 60);
    EXPECT_EQ(monitor->snapshot().memory->total, 42u);
    scheduler.advance(3);
    EXPECT_EQ(monitor->history().size(), 3);
    EXPECT_EQ(other->secondReads, 4);
}

// A machine chosen from a fleet: shown at once, its chart started over from
// the last hour its source keeps, then sampled on as before.
TEST_F(SystemMonitorTest, AMachineChosenFromAFleetIsShownAtOnceWithItsPastHour)
{
    FleetReading fleet{{{"a", "node", true, std::nullopt, {}}, {"b", "node", true, std::nullopt, {}}}, std::nullopt};
    fleet.machines[0].readings.cpu = CpuReading{90};
    fleet.machines[1].readings.cpu = CpuReading{10};
    // The source reads the machine chosen, as a fleet's does.
    telemetry->everySecond = [fleet, source = telemetry.get()](SystemSnapshot& next) {
        FleetReading read = fleet;
        if (!source->chosenMachines.isEmpty() && !source->chosenMachines.last().isEmpty())
            read.chosen = source->chosenMachines.last();
        next = fleetSnapshot(read);
    };
    monitor->start();
    scheduler.advance(3);
    ASSERT_EQ(monitor->history().size(), 3);
    EXPECT_DOUBLE_EQ(monitor->snapshot().cpu->percent, 90);

    monitor->chooseMachine(QStringLiteral("b"));
    EXPECT_EQ(telemetry->chosenMachines, QStringList{"b"});
    EXPECT_TRUE(monitor->history().isEmpty());
    EXPECT_DOUBLE_EQ(monitor->snapshot().cpu->percent, 10);
    EXPECT_EQ(monitor->snapshot().fleet->chosen, "b");
    monitor->chooseMachine(QStringLiteral("b"));  // already shown: nothing asked again
    EXPECT_EQ(telemetry->chosenMachines.size(), 1);

    MetricHistory hour;
    for (int minute = 60; minute > 0; --minute)
        hour.append(sampleOf(fleet.machines[1].readings, scheduler.currentDateTime().addSecs(-60 * minute)));
    telemetry->pastHour = hour;
    scheduler.advance(1);
    EXPECT_EQ(monitor->history().size(), hour.size() + 1);  // the hour, then this second
    EXPECT_EQ(monitor->history().first().time, hour.first().time);

    monitor->chooseMachine({});
    EXPECT_EQ(telemetry->chosenMachines, (QStringList{"b", QString()}));
    EXPECT_EQ(monitor->snapshot().fleet->chosen, std::nullopt);
}

#include "alerts/AlertMonitor.h"
#include "monitor/DiskUse.h"
#include "monitor/ReadingTable.h"
#include "support/VirtualScheduler.h"
#include "testsupport/Snapshots.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace moravel;

namespace {

struct RuleCase {
    const char* name;
    AlertRule rule;
    void (*set)(SystemSnapshot&, double reading);
    double past;      // past the default threshold
    double inMargin;  // back on the safe side, but not by the margin
    double settled;   // back by more than the margin
};

const RuleCase ruleCases[] = {
    {"cpu", AlertRule::cpu, [](SystemSnapshot& s, double v) { s.cpu->percent = v; }, 95, 85, 75},
    {"memory", AlertRule::memory, [](SystemSnapshot& s, double v) { s.memory->percent = v; }, 95, 87, 80},
    {"disk", AlertRule::disk, [](SystemSnapshot& s, double v) { s.disk->percent = v; }, 96, 94, 90},
    {"battery", AlertRule::battery,
     [](SystemSnapshot& s, double v) { s.power->battery->percent = static_cast<int64_t>(v); }, 8, 14, 20},
    // Its sensor's own critical figure, 90 °C, is the threshold.
    {"cpu temperature", AlertRule::cpuTemperature,
     [](SystemSnapshot& s, double v) { (*s.temperatures)[0].value = v; }, 92, 87, 80},
};

class AlertMonitorTest : public ::testing::Test {
protected:
    AlertMonitorTest()
    {
        QObject::connect(&monitor, &AlertMonitor::alertRaised, [this](const Alert& alert) { raised.append(alert); });
        snapshot.memory->total = 16;
        snapshot.disk->total = 100;
        snapshot.temperatures = QList<SensorReading>{{"coretemp", "Package id 0", 40, 90, {}}};
    }

    // One snapshot a second for `seconds` seconds with this reading.
    void observe(const RuleCase& row, double reading, int seconds)
    {
        for (int i = 0; i < seconds; ++i) {
            row.set(snapshot, reading);
            monitor.evaluate(snapshot);
            scheduler.advance(1);
        }
    }
    void observe(AlertRule rule, double reading, int seconds)
    {
        observe(*std::ranges::find(ruleCases, rule, &RuleCase::rule), reading, seconds);
    }

    VirtualScheduler scheduler;
    AlertMonitor monitor{scheduler, AlertPreferences{}};
    SystemSnapshot snapshot = fixtures::onBattery(80);  // discharging
    QList<Alert> raised;
};

}  // namespace

// The disk is judged on the share df shows. Of a 1000 GB volume with 100 GB
// free, 50 GB kept for root: 900 GB used of the 950 GB a user can have is
// 94.7 %, under the 95 % threshold (the size less the available space would
// make it 95 %).
TEST_F(AlertMonitorTest, TheDiskIsJudgedOnTheShareInUseAsDfShowsIt)
{
    snapshot.disk = diskReadingFrom(1000, 100, 50);
    monitor.evaluate(snapshot);
    EXPECT_TRUE(raised.isEmpty());
    snapshot.disk = diskReadingFrom(1000, 90, 40);  // 95.8 %
    monitor.evaluate(snapshot);
    ASSERT_EQ(raised.size(), 1);
    EXPECT_EQ(raised[0].rule, AlertRule::disk);
}

TEST_F(AlertMonitorTest, EachRuleWarnsOnceAfterItsHoldAndAgainOnlyAfterSettlingForAMinute)
{
    for (const RuleCase& row : ruleCases) {
        SCOPED_TRACE(row.name);
        raised.clear();
        const int hold = static_cast<int>(alertRuleDescriptor(row.rule).holdSeconds);
        observe(row, row.past, hold);
        EXPECT_EQ(raised.size(), 0);
        observe(row, row.past, 600);  // the hold completes on the first of these; then nothing more
        ASSERT_EQ(raised.size(), 1);
        EXPECT_EQ(raised[0].rule, row.rule);
        EXPECT_DOUBLE_EQ(raised[0].reading, row.past);
        EXPECT_TRUE(monitor.isActive(row.rule));

        observe(row, row.inMargin, 120);  // wavering just past the threshold is the same episode
        observe(row, row.past, hold + 1);
        observe(row, row.settled, 59);  // not yet a minute
        observe(row, row.past, hold + 1);
        EXPECT_EQ(raised.size(), 1);

        observe(row, row.settled, 61);
        EXPECT_FALSE(monitor.isActive(row.rule));
        observe(row, row.past, hold + 1);
        EXPECT_EQ(raised.size(), 2);
        observe(row, row.settled, 61);
    }
}

// A reading that dips, a rule switched off or given a new threshold: the hold starts over.
TEST_F(AlertMonitorTest, SwitchedOffOrGivenANewThresholdARuleStartsOver)
{
    observe(AlertRule::cpu, 95, 299);
    observe(AlertRule::cpu, 89, 1);
    observe(AlertRule::cpu, 95, 299);
    monitor.setRuleSetting(AlertRule::cpu, {false, std::nullopt});
    observe(AlertRule::cpu, 95, 400);
    EXPECT_EQ(raised.size(), 0);
    monitor.setRuleSetting(AlertRule::cpu, {true, std::nullopt});  // counts from now, not from the first 95 %
    observe(AlertRule::cpu, 95, 300);
    EXPECT_EQ(raised.size(), 0);
    observe(AlertRule::cpu, 95, 1);
    ASSERT_EQ(raised.size(), 1);

    // A lower threshold warns about a reading the old one let pass, from the change on.
    monitor.setRuleSetting(AlertRule::memory, {true, 80});
    observe(AlertRule::memory, 85, 301);
    ASSERT_EQ(raised.size(), 2);
    EXPECT_DOUBLE_EQ(raised[1].threshold, 80);
    monitor.setRuleSetting(AlertRule::memory, {true, 90});
    observe(AlertRule::memory, 85, 400);
    EXPECT_EQ(raised.size(), 2);
}

TEST_F(AlertMonitorTest, ABatteryWarnsWhileDischargingAtItsThresholdAndOnceMoreAtFivePercent)
{
    snapshot.power->isExternalPowerConnected = true;
    snapshot.power->battery->isCharging = true;
    observe(AlertRule::battery, 3, 10);  // charging: nothing to warn about
    snapshot.power->battery->isCharging = false;
    observe(AlertRule::battery, 3, 10);  // plugged in but held (a charge limit, a weak adapter): nor now
    EXPECT_EQ(raised.size(), 0);

    snapshot.power->isExternalPowerConnected = false;
    snapshot.power->battery->isCharging = false;
    observe(AlertRule::battery, 4, 10);  // first seen below both levels: one warning, the lower
    ASSERT_EQ(raised.size(), 1);
    EXPECT_TRUE(raised[0].isFinalWarning);
    observe(AlertRule::battery, 30, 61);

    observe(AlertRule::battery, 10, 1);
    observe(AlertRule::battery, 7, 30);
    observe(AlertRule::battery, 5, 30);
    ASSERT_EQ(raised.size(), 3);
    EXPECT_FALSE(raised[1].isFinalWarning);
    EXPECT_DOUBLE_EQ(raised[1].reading, 10);
    EXPECT_TRUE(raised[2].isFinalWarning);
    EXPECT_DOUBLE_EQ(raised[2].threshold, 5);
    observe(AlertRule::battery, 30, 61);

    // A level no battery figure tells is no reading: never "Battery at 0 %".
    snapshot.power->battery->percent.reset();
    monitor.evaluate(snapshot);
    scheduler.advance(60);
    monitor.evaluate(snapshot);
    EXPECT_EQ(raised.size(), 3);
    EXPECT_FALSE(monitor.isActive(AlertRule::battery));
}

// The alert fires where the island turns red: the user's threshold, else
// the sensor's plausible critical figure, else 95 °C; a default the settings
// can step from, and a stored file can hold.
TEST(AlertRules, TheCpuTemperatureThresholdIsTheUsersElseWhereTheReadingTurnsRed)
{
    const struct {
        std::optional<double> setting;
        std::optional<double> critical;
        double expected;
    } rows[] = {
        {std::nullopt, std::nullopt, 95}, {std::nullopt, 100, 100}, {std::nullopt, 0, 95},
        {std::nullopt, 255, 95},          {std::nullopt, 125, 125}, {80, 100, 80},
        {std::nullopt, 130, 130},         {std::nullopt, 131, 95},  {std::nullopt, 49, 95},
    };
    for (const auto& row : rows) {
        SystemSnapshot snapshot;
        snapshot.temperatures = QList<SensorReading>{{"k10temp", "Tctl", 50, row.critical, {}}};
        const double threshold = effectiveThreshold(AlertRule::cpuTemperature, {true, row.setting}, snapshot);
        EXPECT_DOUBLE_EQ(threshold, row.expected);
        if (!row.setting) {
            EXPECT_DOUBLE_EQ(ReadingTable::thresholds(MetricKind::temperature, snapshot)->critical, threshold);
            const AlertRuleDescriptor& d = alertRuleDescriptor(AlertRule::cpuTemperature);
            EXPECT_TRUE(threshold >= d.minimumThreshold && threshold <= d.maximumThreshold) << threshold;
        }
    }
}

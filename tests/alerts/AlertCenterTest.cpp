#include "alerts/AlertCenter.h"
#include "alerts/AlertPreferencesStore.h"
#include "monitor/FleetRules.h"
#include "monitor/SystemMonitor.h"
#include "support/MemoryDefaultsStore.h"
#include "support/VirtualScheduler.h"
#include "testsupport/FakeAlertNotifier.h"
#include "testsupport/FakeSource.h"
#include "testsupport/Files.h"
#include "testsupport/Snapshots.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace moravel;
using fixtures::FakeAlertNotifier;

namespace {

AlertPreferences withCpu(AlertRuleSetting cpu)
{
    AlertPreferences preferences{};
    preferences[static_cast<size_t>(AlertRule::cpu)] = cpu;
    return preferences;
}

}  // namespace

TEST(AlertPreferencesStore, StoredDocumentsLoadStrictlyAndRulesTheyDoNotNameKeepTheirDefaults)
{
    const AlertPreferences defaults{};
    const struct {
        const char* stored;  // nullptr: nothing stored
        AlertPreferences expected;
    } rows[] = {
        {nullptr, defaults},
        {"garbage", defaults},
        {R"({"cpu":{"enabled":false,"threshold":80}})", withCpu({false, 80})},
        // Unknown keys are ignored.
        {R"({"fan":{"on":1},"cpu":{"threshold":null,"enabled":false}})", withCpu({false, std::nullopt})},
        {R"({"cpu":{"enabled":"no","threshold":80}})", defaults},
        {R"({"cpu":{"enabled":false,"threshold":20}})", defaults},  // outside the rule's range
        {R"({"cpu":{"enabled":false,"threshold":80},"memory":7})", defaults},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.stored ? row.stored : "(nothing)");
        MemoryDefaultsStore store;
        if (row.stored)
            store.setData(AlertPreferencesStore::storageKey, row.stored);
        EXPECT_EQ(AlertPreferencesStore::load(store), row.expected);
    }
}

class AlertCenterTest : public ::testing::Test {
protected:
    AlertCenterTest()
    {
        source->initial.memory = MemoryReading{0, 0, 16'000'000'000};
        source->processes = {{7, "worker", 180, 1'000'000'000}, {8, "database", 20, 9'000'000'000}};
        auto fake = std::make_unique<FakeAlertNotifier>();
        notifier = fake.get();
        center = std::make_unique<AlertCenter>(monitor, scheduler, store, std::move(fake));
    }

    VirtualScheduler scheduler;
    std::shared_ptr<fixtures::FakeSource> source = std::make_shared<fixtures::FakeSource>();
    SystemMonitor monitor{scheduler, source};
    FailingDefaultsStore store;
    FakeAlertNotifier* notifier = nullptr;
    std::unique_ptr<AlertCenter> center;
};

// The click that opens the alert's tab is checked with the whole application.
TEST_F(AlertCenterTest, AnAlertNamesTheBusiestProcessMeasuredWhileTheDashboardIsClosed)
{
    source->everySecond = [](SystemSnapshot& next) {
        next.cpu = CpuReading{96.4};
        next.memory->percent = 40;
    };
    monitor.start();
    scheduler.advance(300);
    source->runPending();  // the disk; then the first process reading, a baseline
    EXPECT_TRUE(notifier->shown.isEmpty());
    scheduler.advance(AlertCenter::processSampleSpacing);
    source->runPending();
    ASSERT_EQ(notifier->shown.size(), 1);
    EXPECT_EQ(notifier->shown[0],
              (AlertNotification{AlertRule::cpu, "CPU busy for 5 minutes",
                                 "CPU at 96 %. Busiest process: worker (180 %).", false}));
    EXPECT_EQ(source->processReads, 2);
}

TEST_F(AlertCenterTest, ARuleChangeHoldsForTheRunWhenItCannotBeSavedAndTheFailureIsToldOnce)
{
    QList<std::optional<QString>> told;
    QObject::connect(center.get(), &AlertCenter::preferencesSaveFailureChanged,
                     [&](const std::optional<QString>& failure) { told.append(failure); });
    center->setRuleSetting(AlertRule::disk, {false, std::nullopt});
    center->setRuleSetting(AlertRule::disk, {false, 99});
    EXPECT_EQ(told, QList<std::optional<QString>>{FailingDefaultsStore::failure});
    EXPECT_FALSE(center->preferences()[static_cast<size_t>(AlertRule::disk)].enabled);

    store.failsWrites = false;
    center->setRuleSetting(AlertRule::disk, {true, 99});
    EXPECT_EQ(told.size(), 2);
    EXPECT_FALSE(center->preferencesSaveFailure());
    const auto stored = AlertPreferencesStore::load(store);
    EXPECT_EQ(stored[static_cast<size_t>(AlertRule::disk)], (AlertRuleSetting{true, 99}));
}

// Alerts the notification service refuses are told once a spell, and the
// latest reason is kept until an alert is shown again.
TEST_F(AlertCenterTest, RefusedAlertsAreToldOnceASpell)
{
    QStringList told;
    QObject::connect(center.get(), &AlertCenter::alertsLost, [&](const QString& why) { told.append(why); });
    notifier->answer(QStringLiteral("too many"));
    notifier->answer(QStringLiteral("too many still"));
    EXPECT_EQ(told, QStringList{"too many"});
    EXPECT_EQ(center->showFailure(), "too many still");
    notifier->answer(std::nullopt);
    EXPECT_EQ(center->showFailure(), std::nullopt);
    notifier->answer(QStringLiteral("full"));
    EXPECT_EQ(told, (QStringList{"too many", "full"}));
}

TEST_F(AlertCenterTest, AFleetsMachinesAreWatchedOneByOneAndAClickShowsTheMachine)
{
    FleetReading fleet{{{"web1.lan:9100", "node", true, std::nullopt, fixtures::loads(96, 20)},
                        {"web9.lan:9100", "node", false, std::nullopt, {}}},
                       std::nullopt};
    fleet.machines[1].since = QDateTime(QDate(2026, 1, 1), QTime(12, 34), Qt::LocalTime);
    // Each second a new reading of the fleet, as each refresh of a server is.
    source->everySecond = [fleet](SystemSnapshot& next) {
        FleetReading read = fleet;
        read.machines.detach();
        next = fleetSnapshot(read);
    };
    monitor.start();
    scheduler.advance(301);
    source->runPending();

    // The whole fleet's CPU is web1's: it warns once, as web1's, without a process list.
    ASSERT_EQ(notifier->shown.size(), 2);
    EXPECT_EQ(notifier->shown[0], (AlertNotification{AlertRule::cpu, "web9 is down",
                                                     "The Prometheus server has not read web9.lan:9100 since 12:34.",
                                                     true, "web9.lan:9100", true}));
    EXPECT_EQ(notifier->shown[1], (AlertNotification{AlertRule::cpu, "web1: CPU busy for 5 minutes", "CPU at 96 %.",
                                                     false, "web1.lan:9100"}));
    EXPECT_EQ(source->processReads, 0);

    QList<std::pair<MetricKind, QString>> opened;
    QObject::connect(center.get(), &AlertCenter::openRequested,
                     [&](MetricKind tab, const QString& machine) { opened.append({tab, machine}); });
    notifier->click(notifier->shown[1]);
    notifier->click(notifier->shown[0]);
    EXPECT_EQ(opened, (QList<std::pair<MetricKind, QString>>{{MetricKind::cpu, "web1.lan:9100"},
                                                            {MetricKind::machines, QString()}}));
}

// The episodes that have warned outlive a restart: a battery still low says
// nothing again; once it has settled, the next episode warns.
TEST(AlertEpisodes, ARestartDoesNotWarnAgainUntilTheReadingHasSettled)
{
    QTemporaryDir state;
    const QString path = state.filePath("Moravel/alerts.json");
    VirtualScheduler scheduler;
    MemoryDefaultsStore store;
    // One run of the application, with the battery discharging at `percent`: what it showed.
    const auto run = [&](int64_t percent, int seconds) {
        auto source = std::make_shared<fixtures::FakeSource>();
        source->battery = BatteryRegistry{};
        source->battery->currentCapacity = percent;
        SystemMonitor monitor(scheduler, source);
        auto fake = std::make_unique<FakeAlertNotifier>();
        const FakeAlertNotifier& notifier = *fake;
        AlertCenter center(monitor, scheduler, store, std::move(fake), path);
        monitor.start();
        scheduler.advance(seconds);
        monitor.stop();
        std::string shown;
        for (const AlertNotification& notification : notifier.shown)
            shown += notification.summary.toStdString() + ';';
        return shown;
    };
    EXPECT_EQ(run(4, 5), "Battery at 4 %;");
    EXPECT_EQ(fixtures::modeOf(path), 0600u);
    EXPECT_EQ(run(4, 5), "");
    EXPECT_EQ(run(3, 5), "");
    EXPECT_EQ(run(30, 61), "");  // charged meanwhile: the episode ends
    EXPECT_EQ(run(8, 5), "Battery at 8 %;");

    ASSERT_TRUE(fixtures::writeFile(path, "{\"open\":[\"battery\",7,\"cpu.final\"]"));  // torn: read as none
    EXPECT_EQ(run(8, 5), "Battery at 8 %;");

    // A FIFO there is read as none, never waited on.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_EQ(run(8, 5), "Battery at 8 %;");
}

TEST(AlertText, MessagesNameTheReadingTheFigureAndWhereItAppliesTheBusiestProcess)
{
    SystemSnapshot s = fixtures::onBattery(9);
    s.memory = MemoryReading{94.4, 15'100'000'000, 16'000'000'000};
    s.disk = DiskReading{98, 465'000'000'000, 500'000'000'000, 10'000'000'000};  // with 25 GB reserved for root
    s.power->battery->minutesRemaining = 25;
    const ProcessMetric browser{3, "browser", 35, 3'200'000'000};
    const struct {
        Alert alert;
        std::optional<ProcessMetric> busiest;
        AlertNotification expected;
    } rows[] = {
        {{AlertRule::memory, 94.4, 90, false, s}, browser,
         {AlertRule::memory, "Memory at 94 % for 5 minutes",
          "14.1 GiB of 14.9 GiB in use. Most memory: browser (3.0 GiB).", false}},
        {{AlertRule::disk, 98, 95, false, s}, std::nullopt,
         {AlertRule::disk, "Disk 98 % full", "10.0 GB free of 500 GB.", false}},
        {{AlertRule::battery, 5, 5, true, s}, std::nullopt,
         {AlertRule::battery, "Battery at 5 %", "About 25 minutes left. Connect the charger.", true}},
        {{AlertRule::cpuTemperature, 97.2, 95, false, s}, std::nullopt,
         {AlertRule::cpuTemperature, "CPU at 97 °C for 1 minute", "At or above 95 °C.", true}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(alertNotification(row.alert, row.busiest), row.expected);
}

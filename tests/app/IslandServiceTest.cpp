// The island's methods on a real, private D-Bus session bus, called the way
// `moravel --toggle` calls them.
#include "app/IslandCommand.h"
#include "app/IslandService.h"
#include "island/IslandState.h"
#include "support/MemoryDefaultsStore.h"
#include "support/VirtualScheduler.h"
#include "testsupport/Application.h"
#include "testsupport/PrivateBus.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace moravel;
using Action = IslandCommand::Action;

namespace {

class IslandServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed (scripts/install-deps installs it)";
        fixtures::ensureApplication();
        ASSERT_FALSE(bus.address().isEmpty());
    }
    void TearDown() override { QDBusConnection::disconnectFromBus(QStringLiteral("island")); }

    QDBusConnection islandConnection() { return QDBusConnection::connectToBus(bus.address(), QStringLiteral("island")); }

    IslandCallOutcome call(Action action, const QString& tab = {})
    {
        problem.clear();
        return callIsland(bus.address(), IslandCommand{action, tab}, &problem);
    }

    fixtures::PrivateBus bus;
    MemoryDefaultsStore defaults;
    VirtualScheduler scheduler;
    IslandState state{defaults, scheduler, std::nullopt};
    QString problem;
};

// Open pins the island (so it takes the keyboard) on the tab named in any
// case; Toggle closes a pinned island and opens a closed one; Close closes.
TEST_F(IslandServiceTest, ToggleOpenAndCloseDriveTheIsland)
{
    int keyboardTaken = 0;
    IslandService service(state, [&keyboardTaken] { ++keyboardTaken; });
    ASSERT_TRUE(service.publishOn(islandConnection(), &problem)) << problem.toStdString();

    EXPECT_EQ(call(Action::open, QStringLiteral("SENSORS")), IslandCallOutcome::done) << problem.toStdString();
    EXPECT_TRUE(state.isLockedOpen());
    EXPECT_TRUE(state.isExpanded());
    EXPECT_EQ(state.selectedMetric(), MetricKind::temperature);
    EXPECT_EQ(keyboardTaken, 1);

    EXPECT_EQ(call(Action::toggle), IslandCallOutcome::done);
    EXPECT_FALSE(state.isLockedOpen());
    EXPECT_EQ(keyboardTaken, 1);
    scheduler.advance(1);  // the closing steps
    EXPECT_FALSE(state.isExpanded());

    EXPECT_EQ(call(Action::toggle), IslandCallOutcome::done);
    EXPECT_TRUE(state.isLockedOpen());
    EXPECT_EQ(state.selectedMetric(), MetricKind::temperature);  // where it was

    EXPECT_EQ(call(Action::open, QStringLiteral("cpu")), IslandCallOutcome::done);
    EXPECT_EQ(state.selectedMetric(), MetricKind::cpu);
    EXPECT_EQ(call(Action::close), IslandCallOutcome::done);
    EXPECT_FALSE(state.isLockedOpen());
    scheduler.advance(1);
    EXPECT_FALSE(state.isExpanded());
    EXPECT_EQ(call(Action::close), IslandCallOutcome::done);  // already closed: still fine
    EXPECT_FALSE(state.isLockedOpen());

    // A caller other than moravel gets an error for a tab that does not exist.
    EXPECT_EQ(call(Action::open, QStringLiteral("bogus")), IslandCallOutcome::failed);
    EXPECT_TRUE(problem.contains(QStringLiteral("the tabs are overview, cpu"))) << problem.toStdString();
    EXPECT_FALSE(state.isLockedOpen());
}

// Without an island on the bus the command says so; a second island cannot
// take the name of the first.
TEST_F(IslandServiceTest, NoIslandAndASecondIsland)
{
    EXPECT_EQ(call(Action::toggle), IslandCallOutcome::noIsland);
    EXPECT_EQ(problem, QStringLiteral("moravel: no island is running"));

    IslandService first(state);
    ASSERT_TRUE(first.publishOn(islandConnection(), &problem));
    QDBusConnection other = QDBusConnection::connectToBus(bus.address(), QStringLiteral("other"));
    IslandService second(state);
    EXPECT_FALSE(second.publishOn(other, &problem));
    EXPECT_TRUE(problem.contains(QStringLiteral("org.moravel.Island is taken"))) << problem.toStdString();
    QDBusConnection::disconnectFromBus(QStringLiteral("other"));
    EXPECT_EQ(call(Action::open), IslandCallOutcome::done);
    EXPECT_TRUE(state.isLockedOpen());
}

// A bus that is not there is no island.
TEST(IslandCommand, NoBusIsNoIsland)
{
    fixtures::ensureApplication();
    QString problem;
    EXPECT_EQ(callIsland(QStringLiteral("unix:path=/nonexistent/bus"), IslandCommand{}, &problem),
              IslandCallOutcome::noIsland);
    EXPECT_FALSE(problem.isEmpty());
}

}  // namespace

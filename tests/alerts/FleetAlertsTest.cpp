#include "alerts/FleetAlerts.h"
#include "support/VirtualScheduler.h"
#include "testsupport/Snapshots.h"

#include <gtest/gtest.h>

using namespace moravel;

namespace {

MachineReading up(const char* instance, double cpu)
{
    return {instance, QStringLiteral("node"), true, std::nullopt, fixtures::loads(cpu, 20)};
}

MachineReading down(const char* instance)
{
    return {instance, QStringLiteral("node"), false, std::nullopt, {}};
}

class FleetAlertsTest : public ::testing::Test {
protected:
    FleetAlertsTest()
    {
        QObject::connect(&alerts, &FleetAlerts::alertRaised, [this](const Alert& alert) {
            raised.append(alert.isMachineDown ? alert.machine + " down"
                                              : alert.machine + ' ' + alertRuleDescriptor(alert.rule).key);
        });
    }

    // The fleet as read at every refresh, over `seconds`.
    void readFor(const QList<MachineReading>& machines, double seconds)
    {
        for (double passed = 0; passed < seconds; passed += refresh) {
            alerts.evaluate({machines, std::nullopt});
            scheduler.advance(refresh);
        }
    }

    static constexpr double refresh = 15;
    VirtualScheduler scheduler;
    FleetAlerts alerts{scheduler, AlertPreferences{}};
    QStringList raised;
};

}  // namespace

TEST_F(FleetAlertsTest, EachMachineHasTheRulesToItself)
{
    readFor({up("web1", 96), up("web2", 10)}, 300);
    EXPECT_TRUE(raised.isEmpty());
    readFor({up("web1", 96), up("web2", 96)}, 15);
    EXPECT_EQ(raised, QStringList{"web1 cpu"});  // web2 has not been busy for five minutes yet
    // A threshold set for the rules holds for every machine.
    alerts.setRuleSetting(AlertRule::cpu, {true, 99});
    readFor({up("web1", 96), up("web2", 96)}, 600);
    EXPECT_EQ(raised, QStringList{"web1 cpu"});
}

TEST_F(FleetAlertsTest, AMachineDownForAMinuteWarnsOncePerEpisode)
{
    readFor({up("web1", 10), down("web3")}, 60);
    EXPECT_TRUE(raised.isEmpty());  // seen down at 0, 15, 30 and 45 s
    readFor({up("web1", 10), down("web3")}, 15);
    EXPECT_EQ(raised, QStringList{"web3 down"});
    EXPECT_TRUE(alerts.isDownActive("web3"));

    // Back for less than a minute, down again: the same episode.
    readFor({up("web1", 10), up("web3", 10)}, 45);
    readFor({up("web1", 10), down("web3")}, 120);
    EXPECT_EQ(raised.size(), 1);
    // Back for a minute: the next time it goes down is another episode.
    readFor({up("web1", 10), up("web3", 10)}, 75);
    EXPECT_FALSE(alerts.isDownActive("web3"));
    readFor({up("web1", 10), down("web3")}, 75);
    EXPECT_EQ(raised, (QStringList{"web3 down", "web3 down"}));

    // A machine that leaves the fleet is forgotten, its episodes with it.
    readFor({up("web1", 10)}, 15);
    EXPECT_FALSE(alerts.isDownActive("web3"));
}

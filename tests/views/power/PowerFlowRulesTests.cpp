#include "testsupport/Snapshots.h"
#include "views/kit/IslandPalette.h"
#include "views/power/PowerFlowRules.h"

#include <gtest/gtest.h>

namespace moravel {
namespace {

using namespace PowerFlow;
using fixtures::onAdapter;
using fixtures::onBattery;
using fixtures::withoutBattery;

// The header's sentence as shown, and the diagram's as a screen reader hears it.
TEST(PowerStatus, SentencesDrawAndBatteryFlow)
{
    SystemSnapshot reportedFull = onAdapter(97, 20, 3, true);
    reportedFull.power->battery->isFullyCharged = true;
    SystemSnapshot unpublished = withoutBattery(0);  // another machine's exporter says nothing of power
    unpublished.power.reset();
    SystemSnapshot rated = onAdapter(55, 30, 18, true);
    rated.power->adapter = AdapterReading{.ratedWatts = 65};
    SystemSnapshot ratedDesktop = withoutBattery(40);
    ratedDesktop.power->adapter = AdapterReading{.ratedWatts = 250};
    const struct {
        SystemSnapshot snapshot;
        const char* status;
        const char* spoken;
    } rows[] = {
        {onBattery(76, 8.4), "Battery · 8.4 W draw · 76%", "Battery 76 percent: 8.4 watts to the system"},
        {rated, "AC · 12 W draw · Charging 55%", "Adapter 65 watts: 12 watts to the system, 18 watts to the battery"},
        {onAdapter(80, 30), "AC · 30 W draw · Battery 80%",
         "Adapter rating not available: 30 watts to the system, battery not charging"},
        {onBattery(76, 0.05), "Battery · — W draw · 76%", "Battery 76 percent: watts to the system not available"},
        {onBattery(std::nullopt, 8.4), "Battery · 8.4 W draw · —",
         "Battery level not available: 8.4 watts to the system"},
        {onAdapter(std::nullopt, 30), "AC · 30 W draw · Battery —",
         "Adapter rating not available: 30 watts to the system, battery not charging"},
        {onAdapter(100, 20), "AC · 20 W draw · Full", "Adapter rating not available: 20 watts to the system, battery full"},
        {onAdapter(100, 20, 3, true), "AC · 17 W draw · Charging 100%",
         "Adapter rating not available: 17 watts to the system, 3 watts to the battery"},
        {onAdapter(55, 30, 0.05, true), "AC · 30 W draw · Charging 55%",
         "Adapter rating not available: 30 watts to the system, watts to the battery not available"},
        {reportedFull, "AC · 17 W draw · Full", "Adapter rating not available: 17 watts to the system, battery full"},
        {withoutBattery(0), "No battery", "Power source rating not available: watts to the computer not available"},
        {ratedDesktop, "No battery · 40 W draw", "Power source 250 watts: 40 watts to the computer"},
        {unpublished, "Not available", "not available"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(powerStatus(row.snapshot), QString::fromUtf8(row.status));
        EXPECT_EQ(spokenFlow(row.snapshot), QString::fromUtf8(row.spoken));
    }
    EXPECT_EQ(diagram(unpublished).source.value, QStringLiteral("—"));

    SystemSnapshot unplugged = onBattery(100, 5);  // a full battery means nothing while running on it
    unplugged.power->battery->isFullyCharged = true;
    EXPECT_FALSE(isBatteryFull(unplugged));

    // Charging that takes more than comes in leaves no negative draw; weak
    // figures read as a dash.
    EXPECT_EQ(systemDraw(onAdapter(40, 10, 18, true)), 0.0);
    EXPECT_EQ(systemDraw(onAdapter(40, 10, 18, false)), 10.0);
    EXPECT_EQ(systemDraw(onBattery(40, 0.05)), std::nullopt);
    EXPECT_EQ(diagram(onAdapter(40, 10, 18, true)).destinations[1].value, QStringLiteral("— W"));
    const std::pair<SystemSnapshot, const char*> values[] = {
        {reportedFull, "Full"}, {onAdapter(80, 30), "80%"}, {onAdapter(55, 30, 18, true), "+18 W"},
        {onAdapter(55, 30, 0.05, true), "+— W"}};
    for (const auto& [snapshot, value] : values)
        EXPECT_EQ(batteryFlowValue(snapshot), QString::fromUtf8(value));
    EXPECT_EQ(batteryFlowLabel(onAdapter(55, 30, 18, true)), QStringLiteral("Battery charge"));
}

TEST(PowerDiagram, BatteryAndExternalRows)
{
    const PowerFlowDiagramContent battery = diagram(onBattery(76, 8.4));
    EXPECT_FALSE(battery.isExternalPower);
    EXPECT_EQ(battery.computer, (PowerNodeContent{"laptopcomputer", "8.4 W", "System load", IslandPalette::cyan()}));

    SystemSnapshot snapshot = onAdapter(80, 30);
    EXPECT_EQ(adapterValue(snapshot), QStringLiteral("Connected"));
    snapshot.power->adapter = AdapterReading{.ratedWatts = 96};
    const PowerFlowDiagramContent external = diagram(snapshot);
    EXPECT_EQ(external.source, (PowerNodeContent{"powerplug.fill", "96 W max", "Power source", IslandPalette::primary()}));
    EXPECT_EQ(external.computer.label, QStringLiteral("Computer input now"));
    EXPECT_EQ(external.destinations[0],
              (PowerNodeContent{"battery.75percent", "80%", "Battery 80%", IslandPalette::secondary()}));
    EXPECT_EQ(diagram(onAdapter(55, 30, 18, true)).destinations[0].color, IslandPalette::mint());

    // Without a battery: power source -> computer, no fork.
    const PowerFlowDiagramContent desktop = diagram(withoutBattery(65.4));
    EXPECT_FALSE(desktop.hasDestinations());
    EXPECT_EQ(desktop.computer,
              (PowerNodeContent{"desktopcomputer", "65 W", "Computer input now", IslandPalette::primary()}));
}

}  // namespace
}  // namespace moravel

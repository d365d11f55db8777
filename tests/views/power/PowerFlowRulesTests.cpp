#include "views/kit/IslandPalette.h"
#include "views/power/PowerBranchShape.h"
#include "views/power/PowerFlowRules.h"

#include <gtest/gtest.h>

namespace moravel {
namespace {

using namespace PowerFlow;

SystemSnapshot onBattery(double watts, int64_t percent)
{
    SystemSnapshot snapshot;
    snapshot.hasBattery = true;
    snapshot.batteryPowerWatts = watts;
    snapshot.batteryPercent = percent;
    return snapshot;
}

SystemSnapshot onAdapter(double input, double intoBattery, int64_t percent, bool charging)
{
    SystemSnapshot snapshot;
    snapshot.hasBattery = true;
    snapshot.isExternalPowerConnected = true;
    snapshot.systemInputWatts = input;
    snapshot.batteryPowerWatts = intoBattery;
    snapshot.batteryPercent = percent;
    snapshot.isCharging = charging;
    return snapshot;
}

SystemSnapshot withoutBattery(double input)
{
    SystemSnapshot snapshot;
    snapshot.isExternalPowerConnected = true;
    snapshot.systemInputWatts = input;
    return snapshot;
}

TEST(PowerStatus, Sentences)
{
    SystemSnapshot reportedFull = onAdapter(20, 3, 97, true);
    reportedFull.isFullyCharged = true;
    const std::pair<SystemSnapshot, const char*> rows[] = {
        {onBattery(8.4, 76), "Battery · 8.4 W draw · 76%"},
        {onAdapter(30, 18, 55, true), "AC · 12 W draw · Charging 55%"},
        {onAdapter(30, 0, 80, false), "AC · 30 W draw · Battery 80%"},
        {onBattery(0.05, 76), "Battery · — W draw · 76%"},
        {onAdapter(0, 0, 80, false), "AC · — W draw · Battery 80%"},
        {onAdapter(20, 0, 100, false), "AC · 20 W draw · Full"},
        {onAdapter(20, 3, 100, true), "AC · 17 W draw · Charging 100%"},
        {reportedFull, "AC · 17 W draw · Full"},
        {withoutBattery(0), "No battery"},
        {withoutBattery(65.4), "No battery · 65 W draw"},
    };
    for (const auto& [snapshot, sentence] : rows)
        EXPECT_EQ(powerStatus(snapshot), QString::fromUtf8(sentence));

    EXPECT_EQ(batteryFlowValue(reportedFull), QStringLiteral("Full"));
    SystemSnapshot unplugged = onBattery(5, 100);  // a full battery means nothing while running on it
    unplugged.isFullyCharged = true;
    EXPECT_FALSE(isBatteryFull(unplugged));
}

TEST(PowerStatus, SystemDrawNeverNegative)
{
    EXPECT_EQ(systemDraw(onAdapter(10, 18, 40, true)), 0.0);
    EXPECT_EQ(systemDraw(onAdapter(10, 18, 40, false)), 10.0);
    EXPECT_EQ(systemDraw(onBattery(0.05, 40)), std::nullopt);
    EXPECT_EQ(PowerFlow::diagram(onAdapter(10, 18, 40, true)).destinations[1].value, QStringLiteral("— W"));
}

TEST(BatteryFlow, ValueAndLabel)
{
    EXPECT_EQ(batteryFlowValue(onAdapter(30, 0, 80, false)), QStringLiteral("80%"));
    EXPECT_EQ(batteryFlowValue(onAdapter(30, 18, 55, true)), QStringLiteral("+18 W"));
    EXPECT_EQ(batteryFlowValue(onAdapter(30, 0.05, 55, true)), QStringLiteral("+— W"));
    EXPECT_EQ(batteryFlowLabel(onAdapter(30, 18, 55, true)), QStringLiteral("Battery charge"));
}

TEST(PowerDiagram, BatteryAndExternalRows)
{
    const PowerFlowDiagramContent battery = PowerFlow::diagram(onBattery(8.4, 76));
    EXPECT_FALSE(battery.isExternalPower);
    EXPECT_EQ(battery.computer, (PowerNodeContent{"laptopcomputer", "8.4 W", "System load", IslandPalette::cyan()}));

    SystemSnapshot snapshot = onAdapter(30, 0, 80, false);
    EXPECT_EQ(adapterValue(snapshot), QStringLiteral("Connected"));
    snapshot.adapterWatts = 96;
    const PowerFlowDiagramContent external = PowerFlow::diagram(snapshot);
    EXPECT_EQ(external.source, (PowerNodeContent{"powerplug.fill", "96 W max", "Power source", IslandPalette::primary()}));
    EXPECT_EQ(external.computer.label, QStringLiteral("Computer input now"));
    EXPECT_EQ(external.destinations[0],
              (PowerNodeContent{"battery.75percent", "80%", "Battery 80%", IslandPalette::secondary()}));
    EXPECT_EQ(PowerFlow::diagram(onAdapter(30, 18, 55, true)).destinations[0].color, IslandPalette::mint());

    // Without a battery: power source -> computer, no fork.
    const PowerFlowDiagramContent desktop = PowerFlow::diagram(withoutBattery(65.4));
    EXPECT_FALSE(desktop.hasDestinations());
    EXPECT_EQ(desktop.computer,
              (PowerNodeContent{"desktopcomputer", "65 W", "Computer input now", IslandPalette::primary()}));
}

QList<QPointF> elementPoints(const QPainterPath& path)
{
    QList<QPointF> points;
    for (int i = 0; i < path.elementCount(); ++i)
        points.append(path.elementAt(i));
    return points;
}

TEST(PowerBranchShape, ForkInTheConnectorFrame)
{
    const QPainterPath path = PowerBranchShape::path(QRectF(0, 0, 28, 35));
    const double j = 0.42 * 28;
    const QList<QPointF> points = elementPoints(path);
    // Trunk from (0, 17.5) curving up to the upper end at (26, 5) with its arrow head,
    // then the lower branch, starting apart from the trunk, to (26, 30).
    ASSERT_EQ(points.size(), 22);
    const std::pair<int, QPointF> corners[] = {{0, {0, 17.5}},   {1, {j - 4, 17.5}}, {4, {j, 13.5}},  {5, {j, 9}},
                                               {8, {j + 4, 5}},  {9, {26, 5}},       {10, {22, 1}},   {12, {22, 9}},
                                               {13, {j, 21.5}},  {14, {j, 26}},      {17, {j + 4, 30}}, {18, {26, 30}},
                                               {19, {22, 26}},   {21, {22, 34}}};
    for (const auto& [index, point] : corners)
        EXPECT_EQ(points[index], point) << index;
    EXPECT_TRUE(path.elementAt(13).isMoveTo());
    EXPECT_NEAR(j, 11.76, 1e-9);
}

}  // namespace
}  // namespace moravel

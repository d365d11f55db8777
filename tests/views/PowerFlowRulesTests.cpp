#include "views/IslandPalette.h"
#include "views/PowerBranchShape.h"
#include "views/PowerFlowRules.h"

#include <gtest/gtest.h>

namespace moravel {
namespace {

using namespace PowerFlow;

SystemSnapshot onBattery(double watts, int64_t percent)
{
    SystemSnapshot snapshot;
    snapshot.batteryPowerWatts = watts;
    snapshot.batteryPercent = percent;
    return snapshot;
}

SystemSnapshot onAdapter(double input, double intoBattery, int64_t percent, bool charging)
{
    SystemSnapshot snapshot;
    snapshot.isExternalPowerConnected = true;
    snapshot.systemInputWatts = input;
    snapshot.batteryPowerWatts = intoBattery;
    snapshot.batteryPercent = percent;
    snapshot.isCharging = charging;
    return snapshot;
}

TEST(PowerStatus, Sentences)
{
    EXPECT_EQ(powerStatus(onBattery(8.4, 76)), QStringLiteral("Battery · 8.4 W draw · 76%"));
    EXPECT_EQ(powerStatus(onAdapter(30, 18, 55, true)), QStringLiteral("AC · 12 W draw · Charging 55%"));
    EXPECT_EQ(powerStatus(onAdapter(30, 0, 80, false)), QStringLiteral("AC · 30 W draw · Battery 80%"));
    EXPECT_EQ(powerStatus(onBattery(0.05, 76)), QStringLiteral("Battery · — W draw · 76%"));
    EXPECT_EQ(powerStatus(onAdapter(0, 0, 80, false)), QStringLiteral("AC · — W draw · Battery 80%"));
}

TEST(PowerStatus, FullOnlyWhenNotCharging)
{
    EXPECT_EQ(powerStatus(onAdapter(20, 0, 100, false)), QStringLiteral("AC · 20 W draw · Full"));
    EXPECT_EQ(powerStatus(onAdapter(20, 3, 100, true)), QStringLiteral("AC · 17 W draw · Charging 100%"));
    SystemSnapshot reported = onAdapter(20, 3, 97, true);
    reported.isFullyCharged = true;
    EXPECT_EQ(powerStatus(reported), QStringLiteral("AC · 17 W draw · Full"));
    EXPECT_EQ(batteryFlowValue(reported), QStringLiteral("Full"));
    // A full battery means nothing while running on battery.
    SystemSnapshot unplugged = onBattery(5, 100);
    unplugged.isFullyCharged = true;
    EXPECT_FALSE(isBatteryFull(unplugged));
}

TEST(PowerStatus, SystemDrawNeverNegative)
{
    EXPECT_EQ(systemDraw(onAdapter(10, 18, 40, true)), 0.0);
    EXPECT_EQ(systemDraw(onAdapter(10, 18, 40, false)), 10.0);
    EXPECT_EQ(systemDraw(onBattery(0.05, 40)), std::nullopt);
    EXPECT_EQ(systemDraw(onAdapter(0.05, 0, 40, false)), std::nullopt);
    const PowerFlowDiagramContent diagram = PowerFlow::diagram(onAdapter(10, 18, 40, true));
    EXPECT_EQ(diagram.mac.value, QStringLiteral("10 W"));
    EXPECT_EQ(diagram.destinations[1].value, QStringLiteral("— W"));
}

TEST(BatteryFlow, ValueAndLabel)
{
    EXPECT_EQ(batteryFlowValue(onAdapter(30, 0, 80, false)), QStringLiteral("80%"));
    EXPECT_EQ(batteryFlowValue(onAdapter(30, 18, 55, true)), QStringLiteral("+18 W"));
    EXPECT_EQ(batteryFlowValue(onAdapter(30, 0.05, 55, true)), QStringLiteral("+— W"));
    EXPECT_EQ(batteryFlowLabel(onAdapter(30, 18, 55, true)), QStringLiteral("Battery charge"));
    EXPECT_EQ(batteryFlowLabel(onAdapter(30, 0, 80, false)), QStringLiteral("Battery 80%"));
}

TEST(PowerDiagram, AdapterValue)
{
    SystemSnapshot snapshot = onAdapter(30, 0, 80, false);
    EXPECT_EQ(adapterValue(snapshot), QStringLiteral("Connected"));
    snapshot.adapterWatts = 96;
    EXPECT_EQ(adapterValue(snapshot), QStringLiteral("96 W max"));
}

TEST(PowerDiagram, BatteryRow)
{
    const PowerFlowDiagramContent diagram = PowerFlow::diagram(onBattery(8.4, 76));
    EXPECT_FALSE(diagram.isExternalPower);
    EXPECT_EQ(diagram.source,
              (PowerNodeContent{"battery.75percent", "76%", "Battery", IslandPalette::mint()}));
    EXPECT_EQ(diagram.mac, (PowerNodeContent{"laptopcomputer", "8.4 W", "System load", IslandPalette::cyan()}));
}

TEST(PowerDiagram, ExternalRow)
{
    SystemSnapshot snapshot = onAdapter(30, 0, 80, false);
    snapshot.adapterWatts = 96;
    const PowerFlowDiagramContent diagram = PowerFlow::diagram(snapshot);
    EXPECT_TRUE(diagram.isExternalPower);
    EXPECT_EQ(diagram.source,
              (PowerNodeContent{"powerplug.fill", "96 W max", "Power source", IslandPalette::primary()}));
    EXPECT_EQ(diagram.mac, (PowerNodeContent{"laptopcomputer", "30 W", "Mac input now", IslandPalette::primary()}));
    EXPECT_EQ(diagram.destinations[0],
              (PowerNodeContent{"battery.75percent", "80%", "Battery 80%", IslandPalette::secondary()}));
    EXPECT_EQ(diagram.destinations[1], (PowerNodeContent{"cpu", "30 W", "System draw", IslandPalette::cyan()}));
    EXPECT_EQ(PowerFlow::diagram(onAdapter(30, 18, 55, true)).destinations[0].color, IslandPalette::mint());
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
    // Trunk: (0, 17.5) to (j - 4, 17.5), curve to (j, 13.5), up to (j, 9),
    // curve to (j + 4, 5), on to the upper end (26, 5).
    ASSERT_EQ(points.size(), 22);
    EXPECT_EQ(points[0], QPointF(0, 17.5));
    EXPECT_EQ(points[1], QPointF(j - 4, 17.5));
    EXPECT_EQ(points[4], QPointF(j, 13.5));
    EXPECT_EQ(points[5], QPointF(j, 9));
    EXPECT_EQ(points[8], QPointF(j + 4, 5));
    EXPECT_EQ(points[9], QPointF(26, 5));
    EXPECT_EQ(points.mid(10, 3), (QList<QPointF>{{22, 1}, {26, 5}, {22, 9}}));
    EXPECT_EQ(points[13], QPointF(j, 21.5));  // lower branch starts apart from the trunk
    EXPECT_TRUE(path.elementAt(13).isMoveTo());
    EXPECT_EQ(points[14], QPointF(j, 26));
    EXPECT_EQ(points[17], QPointF(j + 4, 30));
    EXPECT_EQ(points[18], QPointF(26, 30));
    EXPECT_EQ(points.mid(19, 3), (QList<QPointF>{{22, 26}, {26, 30}, {22, 34}}));
    EXPECT_NEAR(j, 11.76, 1e-9);
}

}  // namespace
}  // namespace moravel

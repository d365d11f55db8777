#include "views/ActivityChartModel.h"

#include "ViewTestSupport.h"
#include "views/IslandPalette.h"

#include <gtest/gtest.h>

#include <cmath>

namespace moravel {
namespace {

namespace Model = ActivityChartModel;
using testing::sampleAt;

const QDateTime kBase = QDateTime::fromSecsSinceEpoch(1'700'000'000);

MetricHistory historyOf(int count, const QDateTime& newest = kBase)
{
    MetricHistory history;
    for (int i = 0; i < count; ++i)
        history.append(sampleAt(newest.addSecs(i - count + 1), i, i / 2.0));
    return history;
}

MetricSample networkSample(double download, double upload)
{
    MetricSample sample = sampleAt(kBase);
    sample.download = download;
    sample.upload = upload;
    return sample;
}

MetricSample powerSample(double system, double battery, bool charging)
{
    MetricSample sample = sampleAt(kBase);
    sample.systemPower = system;
    sample.batteryPower = battery;
    sample.isCharging = charging;
    return sample;
}

double upper(const MetricHistory& history, MetricKind kind)
{
    return Model::yDomain(Model::chartWindow(history), kind).upper;
}

TEST(ActivityChartScale, FloorsAndRoundSteps)
{
    EXPECT_EQ(upper({}, MetricKind::network), 10);
    EXPECT_EQ(upper({}, MetricKind::power), 20);
    EXPECT_EQ(upper({networkSample(2'345'000, 10)}, MetricKind::network), 5000);
    EXPECT_EQ(upper({powerSample(23, 0, false)}, MetricKind::power), 50);
    EXPECT_EQ(upper({powerSample(0.4, 0, false)}, MetricKind::power), 20);
    EXPECT_EQ(upper({networkSample(500, 300)}, MetricKind::network), 10);
    for (const MetricKind kind : {MetricKind::overview, MetricKind::cpu, MetricKind::memory})
        EXPECT_EQ(upper({sampleAt(kBase, 250, 400)}, kind), 100);
}

TEST(ActivityChartScale, RoundingKeepsValuesOnAStep)
{
    EXPECT_EQ(Model::roundUpToStep(20), 20);
    EXPECT_EQ(Model::roundUpToStep(10), 10);
    EXPECT_EQ(Model::roundUpToStep(1000), 1000);
    EXPECT_EQ(Model::roundUpToStep(1e6), 1e6);
    EXPECT_EQ(Model::roundUpToStep(2626.4), 5000);
    EXPECT_EQ(Model::roundUpToStep(25.76), 50);
    EXPECT_EQ(Model::roundUpToStep(50.1), 100);
    EXPECT_EQ(Model::roundUpToStep(11), 20);
}

TEST(ActivityChartScale, PowerCountsBatteryOnlyFromChargingSamples)
{
    EXPECT_EQ(upper({powerSample(5, 40, false)}, MetricKind::power), 20);
    // An older charging sample still raises the scale after charging stopped.
    EXPECT_EQ(upper({powerSample(5, 40, true), powerSample(5, 40, false)}, MetricKind::power), 50);
}

TEST(ActivityChartScale, IgnoresReadingsThatAreNotNumbers)
{
    EXPECT_EQ(upper({networkSample(NAN, INFINITY)}, MetricKind::network), 10);
    EXPECT_EQ(upper({powerSample(INFINITY, 0, false)}, MetricKind::power), 20);
}

TEST(ActivityChartSeries, ChoicePerTab)
{
    const MetricHistory history{networkSample(3000, 1500)};
    const auto window = Model::chartWindow(history);

    const auto overview = Model::chartSeries(window, MetricKind::overview);
    ASSERT_EQ(overview.size(), 2);
    EXPECT_EQ(overview[0].color, IslandPalette::mint());
    EXPECT_FALSE(overview[0].dashed);
    EXPECT_EQ(overview[1].color, IslandPalette::cyan());
    EXPECT_TRUE(overview[1].dashed);

    EXPECT_EQ(Model::chartSeries(window, MetricKind::cpu).size(), 1);
    EXPECT_EQ(Model::chartSeries(window, MetricKind::memory)[0].color, IslandPalette::cyan());

    const auto network = Model::chartSeries(window, MetricKind::network);
    ASSERT_EQ(network.size(), 2);
    EXPECT_EQ(network[0].values, QList<double>{3});
    EXPECT_EQ(network[0].color, IslandPalette::cyan());
    EXPECT_EQ(network[1].values, QList<double>{1.5});
    EXPECT_EQ(network[1].color, IslandPalette::mint());
}

TEST(ActivityChartSeries, DashedBatterySeriesOnlyWhileNewestSampleCharges)
{
    const MetricHistory charging{powerSample(5, 10, false), powerSample(6, 12, true)};
    const auto withBattery = Model::chartSeries(Model::chartWindow(charging), MetricKind::power);
    ASSERT_EQ(withBattery.size(), 2);
    EXPECT_TRUE(withBattery[1].dashed);
    EXPECT_EQ(withBattery[1].color, IslandPalette::mint());
    EXPECT_EQ(withBattery[1].values, (QList<double>{10, 12}));

    const MetricHistory stopped{powerSample(6, 12, true), powerSample(5, 10, false)};
    EXPECT_EQ(Model::chartSeries(Model::chartWindow(stopped), MetricKind::power).size(), 1);

    const auto empty = Model::chartSeries(Model::chartWindow({}), MetricKind::power);
    ASSERT_EQ(empty.size(), 1);
    EXPECT_TRUE(empty[0].values.isEmpty());
}

TEST(ActivityChartWindow, UsesOnlyTheNewest300Samples)
{
    MetricHistory history = historyOf(301);
    history[0].cpu = 1e6;  // would stand out if the oldest sample were used
    history[0].download = 1e12;
    const auto window = Model::chartWindow(history);
    ASSERT_EQ(window.size(), 300u);
    EXPECT_EQ(window.front().id, history[1].id);
    EXPECT_EQ(Model::chartSeries(window, MetricKind::cpu)[0].values.size(), 300);
    EXPECT_EQ(Model::yDomain(window, MetricKind::network).upper, 10);
    EXPECT_EQ(Model::windowEnd(window, QDateTime()), kBase);
    EXPECT_EQ(Model::accessibilityValue(MetricKind::cpu, static_cast<qsizetype>(window.size())),
              QStringLiteral("CPU, 300 samples"));
}

TEST(ActivityChartWindow, EndIsNewestSampleOrNowTruncatedToTheSecond)
{
    const MetricHistory history{sampleAt(kBase.addMSecs(999))};
    EXPECT_EQ(Model::windowEnd(Model::chartWindow(history), QDateTime()), kBase);
    EXPECT_EQ(Model::windowEnd(Model::chartWindow({}), kBase.addMSecs(1500)), kBase.addSecs(1));
}

TEST(ActivityChartLabels, AxisLabelsTruncateAndCarryTheUnit)
{
    EXPECT_EQ(Model::axisLabel(50, MetricKind::cpu), QStringLiteral("50%"));
    EXPECT_EQ(Model::axisLabel(0, MetricKind::overview), QStringLiteral("0%"));
    EXPECT_EQ(Model::axisLabel(2500, MetricKind::network), QStringLiteral("2500K"));
    EXPECT_EQ(Model::axisLabel(12500, MetricKind::network), QStringLiteral("12500K"));
    EXPECT_EQ(Model::axisLabel(10, MetricKind::power), QStringLiteral("10W"));
    EXPECT_EQ(Model::axisLabel(2.5, MetricKind::power), QStringLiteral("2W"));
    EXPECT_EQ(Model::axisLabel(-0.9, MetricKind::memory), QStringLiteral("0%"));
}

TEST(ActivityChartLabels, TimeLabelsUseLocalClockTime)
{
    const QDateTime end(QDate(2024, 5, 1), QTime(13, 4, 5));
    const auto labels = Model::timeLabels(end);
    EXPECT_EQ(labels[0], QStringLiteral("12:59:05"));
    EXPECT_EQ(labels[1], QStringLiteral("13:01:35"));
    EXPECT_EQ(labels[2], QStringLiteral("13:04:05"));
    EXPECT_EQ(Model::timeLabel(QDateTime(QDate(2024, 5, 1), QTime(0, 0, 9))), QStringLiteral("00:00:09"));
}

TEST(ActivityChartLabels, AccessibilityValue)
{
    EXPECT_EQ(Model::accessibilityValue(MetricKind::network, 0), QStringLiteral("Network, 0 samples"));
    EXPECT_EQ(Model::accessibilityValue(MetricKind::overview, 12), QStringLiteral("Overview, 12 samples"));
}

TEST(ActivityChartPoints, PlotRectLeavesRoomForLabels)
{
    EXPECT_EQ(Model::plotRect({548, 80}), QRectF(30, 2, 516, 76));
    EXPECT_EQ(Model::plotRect({10, 2}), QRectF(30, 2, 1, 1));
}

TEST(ActivityChartPoints, MapsTimeAndValueAndClamps)
{
    const QRectF plot(30, 2, 300, 100);
    const MetricHistory history{sampleAt(kBase.addSecs(-400)), sampleAt(kBase.addSecs(-150)), sampleAt(kBase)};
    const QPolygonF points =
        Model::seriesPoints(Model::chartWindow(history), {50, 120, -5}, kBase, 100, plot);
    ASSERT_EQ(points.size(), 3);
    EXPECT_EQ(points[0], QPointF(30, 52));    // too old: left edge
    EXPECT_EQ(points[1], QPointF(180, 2));    // above the scale: top line
    EXPECT_EQ(points[2], QPointF(330, 102));  // negative: bottom line
}

TEST(ActivityChartPoints, LoneSampleBecomesAHalfPixelStub)
{
    const QRectF plot(30, 2, 300, 100);
    const MetricHistory middle{sampleAt(kBase.addSecs(-150))};
    const QPolygonF stub = Model::seriesPoints(Model::chartWindow(middle), {25}, kBase, 100, plot);
    ASSERT_EQ(stub.size(), 2);
    EXPECT_EQ(stub[0], QPointF(180, 77));
    EXPECT_EQ(stub[1], QPointF(180.5, 77));

    const MetricHistory newest{sampleAt(kBase)};
    const QPolygonF clamped = Model::seriesPoints(Model::chartWindow(newest), {25}, kBase, 100, plot);
    ASSERT_EQ(clamped.size(), 2);
    EXPECT_EQ(clamped[1].x(), plot.right());
}

TEST(ActivityChartPoints, PairsUpToTheShorterListAndSurvivesZeroScale)
{
    const QRectF plot(30, 2, 300, 100);
    const MetricHistory history = historyOf(3);
    EXPECT_EQ(Model::seriesPoints(Model::chartWindow(history), {1, 2}, kBase, 100, plot).size(), 2);
    EXPECT_TRUE(Model::seriesPoints(Model::chartWindow(history), {}, kBase, 100, plot).isEmpty());
    const QPolygonF zero = Model::seriesPoints(Model::chartWindow(history), {0, 1, NAN}, kBase, 0, plot);
    ASSERT_EQ(zero.size(), 3);
    EXPECT_EQ(zero[1].y(), plot.top());
    EXPECT_EQ(zero[2].y(), plot.bottom());
}

TEST(ActivityChartStroke, SolidSeriesStrokesEverySegment)
{
    const QPolygonF points{{0, 0}, {10, 0}, {10, 10}};
    EXPECT_EQ(Model::strokeSegments(points, false), (QList<QLineF>{{0, 0, 10, 0}, {10, 0, 10, 10}}));
    EXPECT_TRUE(Model::strokeSegments(QPolygonF{{3, 3}}, false).isEmpty());
}

TEST(ActivityChartStroke, DashesRunOnAcrossCorners)
{
    // 5 on, 4 off: the second dash starts at 9 and turns the corner at 10.
    const QPolygonF points{{0, 0}, {10, 0}, {10, 20}};
    const QList<QLineF> dashes = Model::strokeSegments(points, true);
    ASSERT_EQ(dashes.size(), 5);
    EXPECT_EQ(dashes[0], QLineF(0, 0, 5, 0));
    EXPECT_EQ(dashes[1], QLineF(9, 0, 10, 0));
    EXPECT_EQ(dashes[2], QLineF(10, 0, 10, 4));
    EXPECT_EQ(dashes[3], QLineF(10, 8, 10, 13));
    EXPECT_EQ(dashes[4], QLineF(10, 17, 10, 20));  // cut short by the path's end
}

}  // namespace
}  // namespace moravel

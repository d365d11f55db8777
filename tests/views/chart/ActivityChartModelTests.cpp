#include "views/chart/ActivityChartModel.h"

#include "ViewTestSupport.h"
#include "views/kit/IslandPalette.h"

#include <gtest/gtest.h>

#include <cmath>

namespace moravel {
namespace {

namespace Model = ActivityChartModel;
using fixtures::sampleAt;

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
    sample[Series::download] = download;
    sample[Series::upload] = upload;
    return sample;
}

MetricSample powerSample(double system, double battery, bool charging)
{
    MetricSample sample = sampleAt(kBase);
    sample[Series::systemPower] = system;
    sample[Series::batteryPower] = battery;
    sample.isCharging = charging;
    return sample;
}

double upper(const MetricHistory& history, MetricKind kind)
{
    return Model::yDomain(Model::chartWindow(history), kind).upper;
}

TEST(ActivityChartScale, FloorsAndRoundSteps)
{
    const struct {
        const char* name;
        MetricHistory history;
        MetricKind kind;
        double upper;
    } rows[] = {
        {"empty network", {}, MetricKind::network, 10},
        {"empty power", {}, MetricKind::power, 20},
        {"2345 K", {networkSample(2'345'000, 10)}, MetricKind::network, 5000},
        {"small network", {networkSample(500, 300)}, MetricKind::network, 10},
        {"23 W", {powerSample(23, 0, false)}, MetricKind::power, 50},
        {"battery only while charging", {powerSample(5, 40, false)}, MetricKind::power, 20},
        {"an older charging sample counts", {powerSample(5, 40, true), powerSample(5, 40, false)}, MetricKind::power, 50},
        {"not numbers", {networkSample(NAN, INFINITY)}, MetricKind::network, 10},
        {"infinite power", {powerSample(INFINITY, 0, false)}, MetricKind::power, 20},
        {"percentages", {sampleAt(kBase, 250, 400)}, MetricKind::memory, 100},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(upper(row.history, row.kind), row.upper);
    }
    for (const auto& [value, step] : {std::pair{20.0, 20.0}, {10.0, 10.0}, {1e6, 1e6}, {2626.4, 5000.0}, {50.1, 100.0},
                                      {11.0, 20.0}})
        EXPECT_EQ(Model::roundUpToStep(value), step) << value;
}

TEST(ActivityChartSeries, ChoicePerTab)
{
    const MetricHistory history{networkSample(3000, 1500)};
    const auto window = Model::chartWindow(history);
    const auto overview = Model::chartSeries(window, MetricKind::overview);
    ASSERT_EQ(overview.size(), 2);
    EXPECT_EQ(overview[0].color, IslandPalette::mint());
    EXPECT_TRUE(overview[1].dashed);

    const auto network = Model::chartSeries(window, MetricKind::network);
    ASSERT_EQ(network.size(), 2);
    EXPECT_EQ(network[0].values, QList<double>{3});
    EXPECT_EQ(network[1].values, QList<double>{1.5});
}

TEST(ActivityChartSeries, DashedBatterySeriesOnlyWhileNewestSampleCharges)
{
    const MetricHistory charging{powerSample(5, 10, false), powerSample(6, 12, true)};
    const auto withBattery = Model::chartSeries(Model::chartWindow(charging), MetricKind::power);
    ASSERT_EQ(withBattery.size(), 2);
    EXPECT_TRUE(withBattery[1].dashed);
    EXPECT_EQ(withBattery[1].values, (QList<double>{10, 12}));

    const MetricHistory stopped{powerSample(6, 12, true), powerSample(5, 10, false)};
    EXPECT_EQ(Model::chartSeries(Model::chartWindow(stopped), MetricKind::power).size(), 1);

}

TEST(ActivityChartWindow, UsesOnlyTheNewest300Samples)
{
    MetricHistory history = historyOf(301);
    history[0][Series::cpu] = 1e6;  // would stand out if the oldest sample were used
    history[0][Series::download] = 1e12;
    const auto window = Model::chartWindow(history);
    ASSERT_EQ(window.size(), 300u);
    EXPECT_EQ(window.front().id, history[1].id);
    EXPECT_EQ(Model::chartSeries(window, MetricKind::cpu)[0].values.size(), 300);
    EXPECT_EQ(Model::yDomain(window, MetricKind::network).upper, 10);
    EXPECT_EQ(Model::accessibilityValue(MetricKind::cpu, static_cast<qsizetype>(window.size())),
              QStringLiteral("CPU, 300 samples"));
}

TEST(ActivityChartWindow, EndIsNewestSampleOrNowTruncatedToTheSecond)
{
    const MetricHistory history{sampleAt(kBase.addMSecs(999))};
    EXPECT_EQ(Model::windowEnd(Model::chartWindow(history), QDateTime()), kBase);
    const MetricHistory empty;
    EXPECT_EQ(Model::windowEnd(Model::chartWindow(empty), kBase.addMSecs(1500)), kBase.addSecs(1));
}

TEST(ActivityChartLabels, AxisLabelsTruncateAndCarryTheUnit)
{
    const struct {
        double value;
        MetricKind kind;
        const char* label;
    } rows[] = {{50, MetricKind::cpu, "50%"},        {0, MetricKind::overview, "0%"},   {12500, MetricKind::network, "12500K"},
                {10, MetricKind::power, "10W"},      {2.5, MetricKind::power, "2W"},    {-0.9, MetricKind::memory, "0%"}};
    for (const auto& row : rows)
        EXPECT_EQ(Model::axisLabel(row.value, row.kind), QString::fromLatin1(row.label)) << row.value;
}

TEST(ActivityChartLabels, TimeLabelsUseLocalClockTime)
{
    const QDateTime end(QDate(2024, 5, 1), QTime(13, 4, 5));
    const auto labels = Model::timeLabels(end);
    EXPECT_EQ(labels[0], QStringLiteral("12:59:05"));
    EXPECT_EQ(labels[1], QStringLiteral("13:01:35"));
    EXPECT_EQ(Model::timeLabel(QDateTime(QDate(2024, 5, 1), QTime(0, 0, 9))), QStringLiteral("00:00:09"));
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

    const MetricHistory lone{sampleAt(kBase)};
    const QPolygonF clamped = Model::seriesPoints(Model::chartWindow(lone), {25}, kBase, 100, plot);
    EXPECT_EQ(clamped.value(1).x(), plot.right());
}

TEST(ActivityChartPoints, PairsUpToTheShorterListAndSurvivesZeroScale)
{
    const QRectF plot(30, 2, 300, 100);
    const MetricHistory history = historyOf(3);
    EXPECT_EQ(Model::seriesPoints(Model::chartWindow(history), {1, 2}, kBase, 100, plot).size(), 2);
    const QPolygonF zero = Model::seriesPoints(Model::chartWindow(history), {0, 1, NAN}, kBase, 0, plot);
    ASSERT_EQ(zero.size(), 3);
    EXPECT_EQ(zero[1].y(), plot.top());
    EXPECT_EQ(zero[2].y(), plot.bottom());
}

TEST(ActivityChartStroke, DashesRunOnAcrossCorners)
{
    // 5 on, 4 off: the second dash starts at 9 and turns the corner at 10.
    const QPolygonF points{{0, 0}, {10, 0}, {10, 20}};
    const QList<QLineF> dashes = Model::strokeSegments(points, true);
    EXPECT_EQ(dashes, (QList<QLineF>{{0, 0, 5, 0}, {9, 0, 10, 0}, {10, 0, 10, 4}, {10, 8, 10, 13},
                                     {10, 17, 10, 20}}));  // the last cut short by the path's end
    EXPECT_EQ(Model::strokeSegments(points, false), (QList<QLineF>{{0, 0, 10, 0}, {10, 0, 10, 20}}));
}

}  // namespace
}  // namespace moravel

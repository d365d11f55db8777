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

MetricSample sampleOf(std::initializer_list<std::pair<Series, double>> values, bool charging = false)
{
    MetricSample sample = sampleAt(kBase);
    for (const auto& [series, value] : values)
        sample[series] = value;
    sample.isCharging = charging;
    return sample;
}

MetricSample network(double download, double upload)
{
    return sampleOf({{Series::download, download}, {Series::upload, upload}});
}

MetricSample power(double system, double battery, bool charging)
{
    return sampleOf({{Series::systemPower, system}, {Series::batteryPower, battery}}, charging);
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
        {"2345 K", {network(2'345'000, 10)}, MetricKind::network, 3000},
        {"small network", {network(500, 300)}, MetricKind::network, 10},
        {"23 W", {power(23, 0, false)}, MetricKind::power, 30},
        {"battery only while charging", {power(5, 40, false)}, MetricKind::power, 20},
        {"an older charging sample counts", {power(5, 40, true), power(5, 40, false)}, MetricKind::power, 50},
        {"not numbers", {network(NAN, INFINITY)}, MetricKind::network, 10},
        {"percentages", {sampleAt(kBase, 250, 400)}, MetricKind::memory, 100},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Model::yDomain(Model::chartWindow(row.history), row.kind).upper, row.upper);
    }
    for (const auto& [value, step] :
         {std::pair{20.0, 20.0}, {2626.4, 3000.0}, {50.1, 60.0}, {11.0, 12.0}, {108.6, 120.0}, {8.1, 10.0}, {0.95, 1.0}})
        EXPECT_EQ(Model::roundUpToStep(value), step) << value;
}

// The network in kilobytes; the battery's dashed line only while the
// newest sample charges.
TEST(ActivityChartSeries, ChoicePerTab)
{
    const MetricHistory history{network(3000, 1500)};
    const auto overview = Model::chartSeries(Model::chartWindow(history), MetricKind::overview);
    ASSERT_EQ(overview.size(), 2);
    EXPECT_EQ(overview[0].color, IslandPalette::mint());
    EXPECT_TRUE(overview[1].dashed);
    const auto speeds = Model::chartSeries(Model::chartWindow(history), MetricKind::network);
    ASSERT_EQ(speeds.size(), 2);
    EXPECT_EQ(speeds[0].values, QList<double>{3});
    EXPECT_EQ(speeds[1].values, QList<double>{1.5});

    const MetricHistory charging{power(5, 10, false), power(6, 12, true)};
    const auto withBattery = Model::chartSeries(Model::chartWindow(charging), MetricKind::power);
    ASSERT_EQ(withBattery.size(), 2);
    EXPECT_TRUE(withBattery[1].dashed);
    EXPECT_EQ(withBattery[1].values, (QList<double>{10, 12}));
    const MetricHistory stopped{power(6, 12, true), power(5, 10, false)};
    EXPECT_EQ(Model::chartSeries(Model::chartWindow(stopped), MetricKind::power).size(), 1);
}

TEST(ActivityChartWindow, UsesOnlyTheNewest300SamplesAndEndsAtTheNewestOrNow)
{
    MetricHistory history;
    for (int i = 0; i < 301; ++i)
        history.append(sampleAt(kBase.addSecs(i - 300), i));
    history[0][Series::cpu] = 1e6;  // would stand out if the oldest sample were used
    history[0][Series::download] = 1e12;
    const auto window = Model::chartWindow(history);
    ASSERT_EQ(window.size(), 300u);
    EXPECT_EQ(window.front().id, history[1].id);
    EXPECT_EQ(Model::chartSeries(window, MetricKind::cpu)[0].values.size(), 300);
    EXPECT_EQ(Model::yDomain(window, MetricKind::network).upper, 10);

    const MetricHistory late{sampleAt(kBase.addMSecs(999))};
    EXPECT_EQ(Model::windowEnd(Model::chartWindow(late), QDateTime()), kBase);  // truncated to the second
    const MetricHistory empty;
    EXPECT_EQ(Model::windowEnd(Model::chartWindow(empty), kBase.addMSecs(1500)), kBase.addSecs(1));
}

TEST(ActivityChartLabels, AxisLabelsTruncateAndCarryTheUnitTimesAreLocal)
{
    const struct {
        double value;
        MetricKind kind;
        const char* label;
    } rows[] = {{50, MetricKind::cpu, "50%"},     {0, MetricKind::overview, "0%"},   {999, MetricKind::network, "999K"},
                {12500, MetricKind::network, "12M"}, {2500, MetricKind::network, "2.5M"}, {20000, MetricKind::network, "20M"},
                {1.5e6, MetricKind::network, "1.5G"}, {10, MetricKind::power, "10W"},   {2.5, MetricKind::power, "2W"},
                {-0.9, MetricKind::memory, "0%"},
                // Figures beyond any integer: no cast, no overflow (the sanitized build checks).
                {1e300, MetricKind::power, "1e+300W"}, {-1e300, MetricKind::power, "-1e+300W"},
                {9.3e18, MetricKind::network, "9.3e+18K"}, {NAN, MetricKind::cpu, "0%"},
                {INFINITY, MetricKind::cpu, "0%"}};
    for (const auto& row : rows)
        EXPECT_EQ(Model::axisLabel(row.value, row.kind), QString::fromLatin1(row.label)) << row.value;

    const auto labels = Model::timeLabels(QDateTime(QDate(2024, 5, 1), QTime(13, 4, 5)));
    EXPECT_EQ(labels[0], QStringLiteral("12:59:05"));
    EXPECT_EQ(labels[1], QStringLiteral("13:01:35"));
    EXPECT_EQ(Model::timeLabel(QDateTime(QDate(2024, 5, 1), QTime(0, 0, 9))), QStringLiteral("00:00:09"));
}

// Points are clamped into the plot; a lone sample still shows as a stub;
// values and samples pair up to the shorter list; a zero scale draws.
TEST(ActivityChartPoints, ClampedPairedAndNeverEmpty)
{
    const QRectF plot(30, 2, 300, 100);
    const auto runs = [&](const MetricHistory& history, const QList<double>& values, double upper = 100) {
        return Model::seriesRuns(Model::chartWindow(history), values, kBase, upper, plot);
    };
    MetricHistory three{sampleAt(kBase.addSecs(-2)), sampleAt(kBase.addSecs(-1)), sampleAt(kBase)};
    // Too high, negative.
    EXPECT_EQ(runs(three, {50, 120, -5}), (QList<QPolygonF>{{{328, 52}, {329, 2}, {330, 102}}}));
    EXPECT_EQ(runs(three, {1, 2}).value(0).size(), 2);
    const QList<QPolygonF> zero = runs(three, {0, 1, 1}, 0);
    ASSERT_EQ(zero.size(), 1);
    EXPECT_EQ(zero[0][0].y(), plot.bottom());
    EXPECT_EQ(zero[0][1].y(), plot.top());

    EXPECT_EQ(runs({sampleAt(kBase.addSecs(-150))}, {25}), (QList<QPolygonF>{{{180, 77}, {180.5, 77}}}));
    EXPECT_EQ(runs({sampleAt(kBase)}, {25}).value(0).value(1).x(), plot.right());
    EXPECT_EQ(runs({sampleAt(kBase.addSecs(-400))}, {25}).value(0).value(0).x(), plot.left());  // too old
}

// Missing is a gap, never zero: a value the machine did not have, or
// seconds without samples (another machine out of reach), break the line; a
// line without any value is not drawn at all, and leaves the scale alone.
TEST(ActivityChartPoints, MissingValuesAndPausesAreGaps)
{
    const QRectF plot(0, 0, 300, 100);
    MetricHistory history;
    for (int second : {-9, -8, -7, -6, -2, -1})
        history.append(sampleAt(kBase.addSecs(second)));
    const auto runs = Model::seriesRuns(Model::chartWindow(history), {10, NAN, 30, 40, 50, 60}, kBase, 100, plot);
    ASSERT_EQ(runs.size(), 3);
    EXPECT_EQ(runs[0], (QPolygonF{{291, 90}, {291.5, 90}}));  // alone between the ends of the window and a gap
    EXPECT_EQ(runs[1], (QPolygonF{{293, 70}, {294, 60}}));
    EXPECT_EQ(runs[2], (QPolygonF{{298, 50}, {299, 40}}));  // 4 s after the one before: a pause

    MetricHistory temperatures{sampleAt(kBase.addSecs(-1)), sampleAt(kBase)};
    for (MetricSample& sample : temperatures)
        sample[Series::cpuTemperature] = NAN;
    EXPECT_TRUE(Model::chartSeries(Model::chartWindow(temperatures), MetricKind::temperature).isEmpty());
    temperatures[1][Series::cpuTemperature] = 250;
    const auto series = Model::chartSeries(Model::chartWindow(temperatures), MetricKind::temperature);
    ASSERT_EQ(series.size(), 1);
    EXPECT_TRUE(std::isnan(series[0].values[0]));
    EXPECT_EQ(Model::yDomain(Model::chartWindow(temperatures), MetricKind::temperature).upper, 300);
}

}  // namespace
}  // namespace moravel

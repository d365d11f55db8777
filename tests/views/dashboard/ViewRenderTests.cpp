#include "ViewTestSupport.h"

#include "views/chart/ActivityChart.h"
#include "views/dashboard/CpuCoreStrip.h"
#include "views/dashboard/DashboardRules.h"
#include "views/dashboard/ExpandedHeader.h"
#include "views/dashboard/HealthRail.h"
#include "views/dashboard/MetricTabs.h"
#include "views/dashboard/ProcessLeaderboard.h"
#include "views/dashboard/SensorList.h"
#include "views/kit/Fonts.h"
#include "views/kit/IslandPalette.h"
#include "views/power/PowerFlowDiagram.h"
#include "views/power/PowerFlowSection.h"

#include <QAccessible>
#include <QFontMetricsF>

#include <gtest/gtest.h>

namespace moravel {
namespace {

using fixtures::busyHistory;
using testing::countPixels;
using testing::renderWidget;

const QDateTime kNow = QDateTime::fromSecsSinceEpoch(1'700'000'000);
const QColor grey(148, 148, 148);

// Empty, the chart shows its grid and labels alone; with a history, the
// tab's lines in their colours. One accessible element tells what it shows.
TEST(ViewRender, ChartDrawsTheTabsLinesOverItsGrid)
{
    ActivityChart chart;
    chart.resize(chart.sizeHint());
    chart.setClock([] { return kNow; });
    const QImage empty = renderWidget(chart, Qt::black);
    EXPECT_EQ(countPixels(empty, IslandPalette::mint()), 0);
    EXPECT_GT(countPixels(empty, grey, QRect(0, 0, 28, 80), 90), 10);  // value labels left of the plot

    chart.setHistory(busyHistory(kNow, 301));
    const QImage overview = renderWidget(chart, Qt::black);
    EXPECT_GT(countPixels(overview, IslandPalette::mint()), 50);
    EXPECT_GT(countPixels(overview, IslandPalette::cyan()), 50);
    chart.setMetric(MetricKind::cpu);
    const QImage cpu = renderWidget(chart, Qt::black);
    EXPECT_GT(countPixels(cpu, IslandPalette::mint()), 50);
    EXPECT_EQ(countPixels(cpu, IslandPalette::cyan()), 0);

    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&chart);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Chart);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("CPU chart"));
    EXPECT_EQ(accessible->text(QAccessible::Description), chart.accessibleSummary());
    EXPECT_TRUE(chart.accessibleSummary().startsWith(QStringLiteral("CPU over 5 minutes: now ")));
    EXPECT_EQ(accessible->childCount(), 0);
}

// The day's range draws the minute buckets: a faint band from each minute's
// minimum to its maximum under the average line, and nothing where no minute
// was kept; back on five minutes the chart is drawn as before.
TEST(ViewRender, DayRangeDrawsTheBucketsAsABandAndFiveMinutesStaysAsItWas)
{
    ActivityChart chart;
    chart.resize(chart.sizeHint());
    chart.setClock([] { return kNow; });
    chart.setMetric(MetricKind::cpu);
    chart.setHistory(busyHistory(kNow, 301));
    const QImage fiveMinutes = renderWidget(chart, Qt::black);

    QList<MinuteBucket> buckets;
    for (qint64 minute = kNow.toSecsSinceEpoch() / 60 - 12 * 60; minute < kNow.toSecsSinceEpoch() / 60; ++minute) {
        MinuteBucket bucket{minute * 60, 60, {}};
        bucket[Series::cpu] = {10, 40, 80};
        buckets.append(bucket);
    }
    chart.setMinuteBuckets(buckets);
    chart.setRange(ChartRange::day);
    const QImage day = renderWidget(chart, Qt::black);
    // Read from the minutes kept: their highest and lowest, and the newest second.
    const QString summary = chart.accessibleSummary();
    EXPECT_TRUE(summary.startsWith(QStringLiteral("CPU over 24 hours: now "))) << summary.toStdString();
    EXPECT_TRUE(summary.endsWith(QStringLiteral(" percent, highest 80, lowest 10"))) << summary.toStdString();
    const QColor band = IslandPalette::withOpacity(IslandPalette::mint(), 0.18);
    const QColor faint(qRound(band.red() * 0.18), qRound(band.green() * 0.18), qRound(band.blue() * 0.18));
    const int middle = chart.width() / 2;
    const QRect earlierHalf(30, 0, middle - 40, chart.height());
    const QRect laterHalf(middle + 10, 0, chart.width() - middle - 12, chart.height());
    EXPECT_EQ(countPixels(day, IslandPalette::mint(), earlierHalf, 40), 0);  // no minutes kept then
    EXPECT_GT(countPixels(day, faint, laterHalf, 6), 2000);
    EXPECT_GT(countPixels(day, IslandPalette::mint(), laterHalf, 40), 200);

    chart.setRange(ChartRange::fiveMinutes);
    EXPECT_EQ(renderWidget(chart, Qt::black), fiveMinutes);
}

// Each gauge in its own colour, in its own quarter of the rail.
TEST(ViewRender, HealthRailColoursOnlyTheLoadedGauge)
{
    HealthRail rail;
    rail.setSnapshot(fixtures::loads(96, 0));
    rail.resize(rail.sizeHint());
    const QImage image = renderWidget(rail, Qt::black);
    EXPECT_GT(countPixels(image, IslandPalette::red(), QRect(0, 0, 136, image.height())), 5);
    EXPECT_EQ(countPixels(image, IslandPalette::red(), QRect(137, 0, 410, image.height())), 0);
}

// A gauge's caption and value sit at the same height whether a detail line
// follows them or not, so that the rail's captions line up.
TEST(ViewRender, GaugeCaptionsLineUpWithOrWithoutADetailLine)
{
    HealthMetricView detailed;
    HealthMetricView plain;
    const HealthMetric disk = healthMetrics(fixtures::busySnapshot())[3];
    ASSERT_FALSE(disk.detail.isEmpty());
    detailed.setMetric(disk);
    plain.setMetric({disk.icon, disk.label, disk.value, disk.accent, {}, disk.name, disk.spoken});
    const int above = detailed.height() - static_cast<int>(QFontMetricsF(Fonts::figures(TextSize::caption)).height());
    const QRect top(0, 0, detailed.width(), above);
    EXPECT_EQ(renderWidget(detailed, Qt::black).copy(top), renderWidget(plain, Qt::black).copy(top));
}

// A tab that comes late fades in after the tabs shown, which stay where they
// are under the pointer; shown again, the row is in the table's order.
TEST(ViewRender, LateTabsNeverMoveTheTabsShown)
{
    using K = MetricKind;
    MetricTabs tabs;
    tabs.resize(tabs.sizeHint());
    tabs.setAvailable({K::overview, K::cpu, K::temperature});
    tabs.show();
    const QRectF sensors = tabs.tabRect(K::temperature);
    tabs.setAvailable({K::overview, K::cpu, K::power, K::temperature});
    EXPECT_EQ(tabs.tabRect(K::temperature), sensors);
    EXPECT_EQ(tabs.available(), (QList<K>{K::overview, K::cpu, K::temperature, K::power}));
    tabs.hide();
    tabs.show();
    EXPECT_EQ(tabs.available(), (QList<K>{K::overview, K::cpu, K::power, K::temperature}));
}

TEST(ViewRender, CardSaysCollectingWhenEmptyAndShowsAtMostThreeRows)
{
    ProcessLeaderboard card(ProcessLoadKind::cpu);
    EXPECT_EQ(card.sizeHint().height(), ProcessLeaderboard::heightFor(3));
    card.resize(card.sizeHint());
    EXPECT_GT(countPixels(renderWidget(card, Qt::black), grey, QRect(4, 24, card.width() - 8, 69), 90), 10);

    card.setProcesses(*fixtures::busySnapshot().topProcesses, 1000);
    EXPECT_EQ(card.rowCount(), 3);
    EXPECT_EQ(card.sizeHint().height(), ProcessLeaderboard::heightFor(3));
    card.setProcesses({{1, QStringLiteral("compiler"), 95, 1000}}, 10000);
    EXPECT_EQ(card.rowCount(), 1);
    EXPECT_LT(card.sizeHint().height(), ProcessLeaderboard::heightFor(3));
    card.resize(card.sizeHint());
    EXPECT_GT(countPixels(renderWidget(card, Qt::black), IslandPalette::red()), 10);  // icon, reading and bar warn
}

TEST(ViewRender, EveryHeaderVerdictFitsItsFrameAtFullSize)
{
    const QFontMetricsF metrics(Fonts::words(TextSize::heading, QFont::DemiBold));
    for (const SystemSnapshot& snapshot : {fixtures::loads(95, 0, 0), fixtures::loads(0, 95, 0),
                                           fixtures::loads(0, 0, 95), fixtures::loads(0, 0, 0)}) {
        const QString verdict = headerMessage(snapshot);
        EXPECT_LE(metrics.horizontalAdvance(verdict), ExpandedHeader::statusWidth) << verdict.toStdString();
    }
}

TEST(ViewRender, PowerDiagramFadesInAndOut)
{
    PowerFlowSection section;
    section.setSnapshot(fixtures::busySnapshot());
    const int collapsed = section.sizeHint().height();

    section.setShowPowerFlow(true);
    EXPECT_LT(section.revealProgress(), 1.0);
    EXPECT_GT(section.sizeHint().height(), collapsed);
    section.finishTransition();
    EXPECT_TRUE(section.diagram()->isVisibleTo(&section));
    section.setShowPowerFlow(false);
    EXPECT_TRUE(section.diagram()->isVisibleTo(&section));  // still fading out
    EXPECT_GT(section.sizeHint().height(), collapsed);
    section.finishTransition();
    EXPECT_FALSE(section.diagram()->isVisibleTo(&section));
    EXPECT_EQ(section.sizeHint().height(), collapsed);
}

// Charging from the adapter, the diagram forks to the battery; without a
// battery it is only power source -> computer, and nothing is drawn after.
TEST(ViewRender, PowerDiagramForksOnlyWhereThereIsABattery)
{
    PowerFlowSection section;
    section.setSnapshot(fixtures::busySnapshot());
    section.setShowPowerFlow(true, false);
    section.resize(section.sizeHint());
    const int top = section.header()->height();
    const QImage fork = renderWidget(section, Qt::black);
    EXPECT_GT(countPixels(fork, IslandPalette::mint(), QRect(0, top, fork.width(), fork.height() - top)), 20);
    EXPECT_EQ(section.header()->status(), QStringLiteral("AC · 12 W draw · Charging 55%"));
    const int withFork = section.diagram()->sizeHint().width();

    section.setSnapshot(fixtures::withoutBattery(65));
    section.resize(section.sizeHint());
    const int end = section.diagram()->sizeHint().width();
    EXPECT_LT(end, withFork - 100);
    const QImage image = renderWidget(section, Qt::black);
    const QRect rest(end + 1, top, image.width() - end - 1, image.height() - top);
    EXPECT_GT(countPixels(image, IslandPalette::primary(), QRect(0, top, end, image.height() - top)), 100);
    EXPECT_EQ(countPixels(image, Qt::black, rest, 0), rest.width() * rest.height());
}

// One bar per core in the CPU thresholds' colours; 128 cores wrap onto a
// second row, every bar inside the strip and apart from its neighbours.
TEST(ViewRender, CoreStripShowsEveryCoreInItsLevelsColour)
{
    CpuCoreStrip strip;
    strip.setCores({40, 100, 72, 90});
    strip.resize(strip.sizeHint());
    const QImage four = renderWidget(strip, Qt::black);
    const struct {
        qsizetype core;
        QColor color;
    } bars[] = {{0, IslandPalette::primary()}, {1, IslandPalette::red()}, {2, IslandPalette::yellow()},
                {3, IslandPalette::amber()}};
    for (const auto& bar : bars)
        EXPECT_GT(countPixels(four, bar.color, strip.barRect(bar.core).toAlignedRect()), 20) << bar.core;

    QList<double> many(128, 50.0);
    strip.setCores(many);
    strip.resize(strip.sizeHint());
    const int oneRow = four.height();
    EXPECT_GT(strip.height(), oneRow);
    for (qsizetype core = 1; core < many.size(); ++core) {
        const QRectF bar = strip.barRect(core);
        ASSERT_TRUE(QRectF(strip.rect()).contains(bar)) << core;
        ASSERT_GE(bar.width(), 4) << core;
        if (core % CpuCoreStrip::barsPerRow != 0) {
            ASSERT_GE(bar.left(), strip.barRect(core - 1).right() + 1) << core;
        }
    }
    EXPECT_GT(countPixels(renderWidget(strip, Qt::black), IslandPalette::primary()), 128 * 4);
}

// Sensors grouped under their chips (same-named ones apart), temperatures first, each coloured by its own limits.
TEST(ViewRender, SensorListGroupsByChip)
{
    SystemSnapshot snapshot;
    snapshot.temperatures = QList<SensorReading>{{"coretemp", "Package id 0", 81, 100, 80},
                                                 {"nvme", "Composite", 38.85, 84.85, {}, {}, 0},
                                                 {"coretemp", "Core 0", 99.6, 100, 80},
                                                 {"nvme", "Composite", 45, 84.85, {}, {}, 1},
                                                 {"acpitz", "temp1", 96, {}, {}}};
    snapshot.fans = QList<SensorReading>{{"nct6798", "CPU Fan", 1250}, {"nct6798", "fan2", 0}};
    snapshot.voltages = QList<SensorReading>{{"nct6798", "Vcore", 1.016}};
    // The chip with the hottest sensor first, so that a hot one is never out of sight.
    const QList<SensorLine> expected{{true, "coretemp", {}, Level::normal, {}, {}},
                                     {false, "Package id 0", "81°C", Level::high, "coretemp Package id 0",
                                      "81 degrees Celsius"},
                                     {false, "Core 0", "100°C", Level::high, "coretemp Core 0", "100 degrees Celsius"},
                                     {true, "acpitz", {}, Level::normal, {}, {}},
                                     {false, "temp1", "96°C", Level::critical, "acpitz temp1", "96 degrees Celsius"},
                                     {true, "nvme1", {}, Level::normal, {}, {}},  // two drives told apart
                                     {false, "Composite", "45°C", Level::normal, "nvme1 Composite", "45 degrees Celsius"},
                                     {true, "nvme0", {}, Level::normal, {}, {}},
                                     {false, "Composite", "39°C", Level::normal, "nvme0 Composite", "39 degrees Celsius"},
                                     {true, "nct6798", {}, Level::normal, {}, {}},  // the fans after the temperatures
                                     {false, "CPU Fan", "1250 rpm", Level::normal, "nct6798 CPU Fan", "1250 rpm"},
                                     {false, "fan2", "0 rpm", Level::normal, "nct6798 fan2", "0 rpm"},
                                     {true, "nct6798", {}, Level::normal, {}, {}},  // then the voltages
                                     {false, "Vcore", "1.02 V", Level::normal, "nct6798 Vcore", "1.02 volts"}};
    EXPECT_EQ(sensorLines(snapshot), expected);

    SensorList list;
    list.setLines(sensorLines(snapshot));
    list.resize(548, 5 * SensorList::lineHeight());
    const QImage image = renderWidget(list, Qt::black);
    // Thin antialiased digits: near the colour is enough.
    EXPECT_GT(countPixels(image, IslandPalette::amber(), 70), 10);
    EXPECT_GT(countPixels(image, IslandPalette::red(), 70), 5);
}

}  // namespace
}  // namespace moravel

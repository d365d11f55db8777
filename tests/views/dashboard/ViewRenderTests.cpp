#include "views/chart/ActivityChart.h"
#include "views/dashboard/DashboardRules.h"
#include "views/dashboard/ExpandedHeader.h"
#include "views/kit/Fonts.h"
#include "views/dashboard/HealthRail.h"
#include "views/kit/IslandPalette.h"
#include "views/power/PowerFlowDiagram.h"
#include "views/power/PowerFlowSection.h"
#include "views/dashboard/ProcessLeaderboard.h"

#include "ViewTestSupport.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QApplication>

#include <gtest/gtest.h>

namespace moravel {
namespace {

using testing::countPixels;
using testing::renderWidget;

const QDateTime kNow = QDateTime::fromSecsSinceEpoch(1'700'000'000);

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

TEST(ViewRender, ChartDrawsTheTabsSeriesColours)
{
    ActivityChart chart;
    chart.resize(chart.sizeHint());
    chart.setHistory(fixtures::busyHistory(kNow, 300));
    const QImage overview = renderWidget(chart, Qt::black);
    EXPECT_GT(countPixels(overview, IslandPalette::mint()), 50);
    EXPECT_GT(countPixels(overview, IslandPalette::cyan()), 50);

    chart.setMetric(MetricKind::cpu);
    const QImage cpu = renderWidget(chart, Qt::black);
    EXPECT_GT(countPixels(cpu, IslandPalette::mint()), 50);
    EXPECT_EQ(countPixels(cpu, IslandPalette::cyan()), 0);
}

TEST(ViewRender, EmptyChartShowsOnlyGridAndLabels)
{
    ActivityChart chart;
    chart.resize(chart.sizeHint());
    chart.setClock([] { return kNow; });
    const QImage image = renderWidget(chart, Qt::black);
    EXPECT_EQ(countPixels(image, IslandPalette::mint()), 0);
    // Value labels sit left of the plot; the grid runs inside it.
    EXPECT_GT(countPixels(image, QColor(148, 148, 148), QRect(0, 0, 28, 80), 90), 10);

    chart.setMetric(MetricKind::cpu);
    chart.setHistory(fixtures::busyHistory(kNow, 301));
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&chart);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("CPU, 300 samples"));
    EXPECT_EQ(accessible->childCount(), 0);
}

TEST(ViewRender, ChartRepaintsOnlyWhenItsInputsChange)
{
    ActivityChart chart;
    chart.resize(chart.sizeHint());
    const MetricHistory history = fixtures::busyHistory(kNow, 10);
    chart.setHistory(history);
    chart.show();
    QApplication::processEvents();
    PaintCounter counter;
    chart.installEventFilter(&counter);

    chart.setHistory(MetricHistory(history.begin(), history.end()));  // equal, not shared
    chart.setMetric(MetricKind::overview);
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, 0);

    chart.setHistory(fixtures::busyHistory(kNow, 11));
    QApplication::processEvents();
    EXPECT_GE(counter.paints, 1);
}

TEST(ViewRender, HealthRailLayout)
{
    HealthRail rail;
    EXPECT_EQ(rail.sizeHint().width(), 547);
    SystemSnapshot snapshot;
    snapshot.cpuPercent = 96;
    rail.setSnapshot(snapshot);
    rail.resize(rail.sizeHint());
    const QImage image = renderWidget(rail, Qt::black);
    EXPECT_GT(countPixels(image, IslandPalette::red(), QRect(0, 0, 136, image.height())), 5);
    EXPECT_EQ(countPixels(image, IslandPalette::red(), QRect(137, 0, 410, image.height())), 0);
}

TEST(ViewRender, CardSaysCollectingWhenEmptyAndShowsAtMostThreeRows)
{
    ProcessLeaderboard card(ProcessLoadKind::cpu);
    EXPECT_EQ(card.sizeHint().height(), ProcessLeaderboard::heightFor(3));
    card.resize(card.sizeHint());
    const QImage empty = renderWidget(card, Qt::black);
    const QRect body(4, 24, card.width() - 8, 69);
    EXPECT_GT(countPixels(empty, QColor(148, 148, 148), body, 90), 10);

    QList<ProcessMetric> many;
    for (int i = 0; i < 5; ++i)
        many.append({i, QStringLiteral("p%1").arg(i), 0, 100});
    card.setProcesses(many, 1000);
    EXPECT_EQ(card.rowCount(), 3);
    EXPECT_EQ(card.sizeHint().height(), ProcessLeaderboard::heightFor(3));

    card.setProcesses({{1, QStringLiteral("compiler"), 95, 1000}}, 10000);
    EXPECT_EQ(card.rowCount(), 1);
    EXPECT_LT(card.sizeHint().height(), ProcessLeaderboard::heightFor(3));
    card.resize(card.sizeHint());
    const QImage one = renderWidget(card, Qt::black);
    EXPECT_GT(countPixels(one, IslandPalette::red()), 10);  // icon, reading and bar warn
}

TEST(ViewRender, EveryHeaderVerdictFitsItsFrameAtFullSize)
{
    const QFontMetricsF metrics(Fonts::rounded(12.5, QFont::DemiBold));
    for (const auto& [cpu, memory, disk] : {std::tuple{95, 0, 0}, {0, 95, 0}, {0, 0, 95}, {0, 0, 0}}) {
        SystemSnapshot snapshot;
        snapshot.cpuPercent = cpu;
        snapshot.memoryPercent = memory;
        snapshot.diskPercent = disk;
        const QString verdict = headerMessage(snapshot);
        EXPECT_LE(metrics.horizontalAdvance(verdict), ExpandedHeader::statusWidth) << verdict.toStdString();
    }
}

TEST(ViewRender, PowerHeaderAsksForTheToggleAndTheDiagramFadesInAndOut)
{
    PowerFlowSection section;
    int toggles = 0;
    QObject::connect(&section, &PowerFlowSection::toggled, [&] { ++toggles; });
    section.header()->click();
    EXPECT_EQ(toggles, 1);
    EXPECT_FALSE(section.showPowerFlow());  // the owner decides
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

TEST(ViewRender, ExternalPowerDiagramDrawsTheFork)
{
    PowerFlowSection section;
    section.setSnapshot(fixtures::busySnapshot());
    section.setShowPowerFlow(true, false);
    section.resize(section.sizeHint());
    const QImage image = renderWidget(section, Qt::black);
    const QRect diagramArea(0, section.header()->height(), image.width(), image.height() - section.header()->height());
    EXPECT_GT(countPixels(image, IslandPalette::mint(), diagramArea), 20);
    EXPECT_EQ(section.header()->status(), QStringLiteral("AC · 12 W draw · Charging 55%"));
}

TEST(ViewRender, WithoutABatteryTheDiagramIsOnlyPowerSourceToComputer)
{
    SystemSnapshot desktop;
    desktop.isExternalPowerConnected = true;
    desktop.systemInputWatts = 65;
    PowerFlowSection section;
    section.setSnapshot(fixtures::busySnapshot());
    section.setShowPowerFlow(true, false);
    const int withFork = section.diagram()->sizeHint().width();
    section.setSnapshot(desktop);
    section.resize(section.sizeHint());
    EXPECT_EQ(section.header()->status(), QStringLiteral("No battery · 65 W draw"));

    // Two nodes and the arrow, then nothing: no fork, no battery.
    const int end = section.diagram()->sizeHint().width();
    EXPECT_LT(end, withFork - 100);
    const QImage image = renderWidget(section, Qt::black);
    const int top = section.header()->height();
    const QRect nodes(0, top, end, image.height() - top);
    const QRect rest(end + 1, top, image.width() - end - 1, image.height() - top);
    EXPECT_GT(countPixels(image, IslandPalette::primary(), nodes), 100);
    EXPECT_EQ(countPixels(image, Qt::black, rest, 0), rest.width() * rest.height());
}

}  // namespace
}  // namespace moravel

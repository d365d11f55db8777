// Repaint costs of the dashboard, offscreen. The whole expanded view, fully
// revealed: header, tabs, the chart over a full five-minute window, the health
// rail, both process cards from twelve processes, and the power section with
// its diagram (target: median under 4 ms); and the chart alone.

#include "island/IslandState.h"
#include "monitor/SystemMonitor.h"
#include "monitor/TelemetrySource.h"
#include "support/MemoryDefaultsStore.h"
#include "support/VirtualScheduler.h"
#include "testsupport/Snapshots.h"
#include "testsupport/StubLoginItem.h"
#include "testsupport/StubUpdater.h"
#include "updates/UpdateCheckCoordinator.h"
#include "views/chart/ActivityChart.h"
#include "views/dashboard/ExpandedIslandView.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace moravel;

void BM_ExpandedIslandViewFullRepaint(benchmark::State& benchState)
{
    MemoryDefaultsStore defaults;
    VirtualScheduler scheduler;
    fixtures::StubUpdater updater;
    UpdateCheckCoordinator coordinator(scheduler);
    SystemMonitor monitor(scheduler, std::make_shared<TelemetrySource>());
    // Started open and pinned, as with MORAVEL_ISLAND_EXPANDED=1.
    IslandState state(defaults, scheduler, QStringLiteral("1"));
    state.setShowPowerFlow(true);
    fixtures::StubLoginItem loginItem;
    ExpandedIslandView view(ExpandedIslandView::Services{monitor, state, updater, coordinator, scheduler, loginItem});
    scheduler.advance(0.2);
    emit monitor.snapshotChanged(fixtures::busySnapshot());
    emit monitor.historyChanged(fixtures::busyHistory(scheduler.currentDateTime()));
    view.finishTransitions();

    QImage image(580, 440, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : benchState) {
        image.fill(Qt::black);
        view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ExpandedIslandViewFullRepaint)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void BM_ActivityChartRepaint(benchmark::State& state)
{
    ActivityChart chart;
    chart.resize(548, 96);
    chart.setHistory(fixtures::busyHistory(QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC)));
    QImage image(548, 96, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::transparent);
        chart.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ActivityChartRepaint)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}


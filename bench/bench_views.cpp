// Repaint costs of the dashboard, offscreen. The whole expanded view, fully
// revealed: header, tabs, the chart over a full five-minute window, the health
// rail, both process cards from twelve processes, and the power section with
// its diagram (target: median under 4 ms); and the chart alone.

#include "island/IslandState.h"
#include "monitor/SystemMonitor.h"
#include "monitor/TelemetrySource.h"
#include "support/LoginItem.h"
#include "support/MemoryDefaultsStore.h"
#include "support/VirtualScheduler.h"
#include "updates/UpdateCheckCoordinator.h"
#include "views/chart/ActivityChart.h"
#include "views/dashboard/ExpandedIslandView.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

using namespace moravel;

class NoLoginItem final : public LoginItem {
public:
    bool isEnabled() const override { return false; }
    bool setEnabled(bool) override { return false; }
};

class QuietUpdater final : public Updater {
public:
    bool canCheckForUpdates() const override { return true; }
    bool automaticallyChecksForUpdates() const override { return false; }
    void setAutomaticallyChecksForUpdates(bool) override {}
    bool automaticallyDownloadsUpdates() const override { return false; }
    void setAutomaticallyDownloadsUpdates(bool) override {}
    void checkForUpdateInformation() override {}
    void checkForUpdates() override {}
};

MetricHistory fullHistory(const QDateTime& now)
{
    MetricHistory history;
    for (int i = 0; i < 300; ++i) {
        MetricSample sample;
        sample.id = QUuid::createUuid();
        sample.time = now.addSecs(i - 299);
        sample[Series::cpu] = 30 + 20 * std::sin(i / 20.0);
        sample[Series::memory] = 60 + 5 * std::cos(i / 30.0);
        sample[Series::download] = 1e5 * (1 + std::sin(i / 7.0));
        sample[Series::upload] = 3e4;
        sample[Series::systemPower] = 8 + 3 * std::sin(i / 9.0);
        sample[Series::batteryPower] = 12;
        sample.isCharging = true;
        history.append(sample);
    }
    return history;
}

SystemSnapshot busySnapshot()
{
    SystemSnapshot snapshot;
    snapshot.cpuPercent = 72;
    snapshot.memoryPercent = 81;
    snapshot.diskPercent = 55;
    snapshot.downloadBytesPerSecond = 1.2e6;
    snapshot.uploadBytesPerSecond = 4e4;
    snapshot.memoryTotal = 16'000'000'000ULL;
    snapshot.isExternalPowerConnected = true;
    snapshot.isCharging = true;
    snapshot.systemInputWatts = 30;
    snapshot.batteryPowerWatts = 18;
    snapshot.batteryPercent = 55;
    snapshot.adapterWatts = 96;
    for (int i = 0; i < 12; ++i) {
        snapshot.topProcesses.append(ProcessMetric{100 + i, QStringLiteral("process-%1").arg(i), 5.0 * (i % 7),
                                                   (static_cast<uint64_t>(i % 5) + 1) * 400'000'000ULL});
    }
    return snapshot;
}

void BM_ExpandedIslandViewFullRepaint(benchmark::State& benchState)
{
    MemoryDefaultsStore defaults;
    VirtualScheduler scheduler;
    QuietUpdater updater;
    UpdateCheckCoordinator coordinator(scheduler);
    SystemMonitor monitor(scheduler, std::make_shared<TelemetrySource>());
    // Started open and pinned, as with MORAVEL_ISLAND_EXPANDED=1.
    IslandState state(defaults, scheduler, QStringLiteral("1"));
    state.setShowPowerFlow(true);
    NoLoginItem loginItem;
    ExpandedIslandView view(ExpandedIslandView::Services{monitor, state, updater, coordinator, scheduler, loginItem});
    scheduler.advance(0.2);
    emit monitor.snapshotChanged(busySnapshot());
    emit monitor.historyChanged(fullHistory(scheduler.currentDateTime()));
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
    chart.setHistory(fullHistory(QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC)));
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


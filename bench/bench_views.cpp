// One full repaint of the expanded dashboard's parts, offscreen: the chart
// with a full five-minute window, the health rail, both process cards and the
// power section with its diagram. Target: median under 4 ms.

#include "views/ActivityChart.h"
#include "views/HealthRail.h"
#include "views/IslandHardwareBackground.h"
#include "views/PowerFlowSection.h"
#include "views/ProcessLeaderboard.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

using namespace moravel;

MetricHistory fullHistory()
{
    const QDateTime now = QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC);
    MetricHistory history;
    for (int i = 0; i < 300; ++i) {
        MetricSample sample;
        sample.id = QUuid::createUuid();
        sample.time = now.addSecs(i - 299);
        sample.cpu = 30 + 20 * std::sin(i / 20.0);
        sample.memory = 60 + 5 * std::cos(i / 30.0);
        sample.download = 1e5 * (1 + std::sin(i / 7.0));
        sample.upload = 3e4;
        sample.systemPower = 8 + 3 * std::sin(i / 9.0);
        sample.batteryPower = 12;
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
    snapshot.topProcesses = {{1, QStringLiteral("firefox-esr"), 95, 3'000'000'000ULL},
                             {2, QStringLiteral("moravel"), 12.3, 100'000'000ULL},
                             {3, QStringLiteral("Xorg"), 30, 900'000'000ULL},
                             {4, QStringLiteral("kworker"), 1, 1'000'000ULL}};
    return snapshot;
}

// The dashboard's parts at their places in the 580 x 440 expanded view.
struct Dashboard {
    QWidget root;

    Dashboard()
    {
        root.resize(580, 440);
        auto* body = new IslandHardwareBackground(&root);
        body->setGeometry(root.rect());
        const SystemSnapshot snapshot = busySnapshot();

        auto* chart = new ActivityChart(&root);
        chart->setGeometry(16, 112, 548, 96);
        chart->setHistory(fullHistory());

        auto* rail = new HealthRail(&root);
        rail->setGeometry(16, 216, 547, rail->sizeHint().height());
        rail->setSnapshot(snapshot);

        int x = 16;
        for (const ProcessLoadKind kind : {ProcessLoadKind::cpu, ProcessLoadKind::memory}) {
            auto* card = new ProcessLeaderboard(kind, &root);
            card->setProcesses(topProcesses(snapshot.topProcesses, kind), snapshot.memoryTotal);
            card->setGeometry(x, 270, 270, card->sizeHint().height());
            x += 278;
        }

        auto* power = new PowerFlowSection(&root);
        power->setSnapshot(snapshot);
        power->setShowPowerFlow(true, false);
        power->setGeometry(16, 382, 548, power->sizeHint().height());
    }
};

void BM_ExpandedViewRepaint(benchmark::State& state)
{
    Dashboard dashboard;
    QImage image(580, 440, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::transparent);
        dashboard.root.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ExpandedViewRepaint)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_ActivityChartRepaint(benchmark::State& state)
{
    ActivityChart chart;
    chart.resize(548, 96);
    chart.setHistory(fullHistory());
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

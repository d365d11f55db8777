// The one-second refresh against the live /proc and /sys, and its parsers alone.
#include "monitor/linux/CpuReader.h"
#include "monitor/linux/MemoryReader.h"
#include "monitor/linux/NetworkCounters.h"
#include "monitor/PlausibleFigures.h"
#include "monitor/SystemMonitor.h"
#include "monitor/linux/LinuxSource.h"
#include "monitor/linux/TextFile.h"
#include "support/BackgroundRunner.h"
#include "support/VirtualScheduler.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

using namespace moravel;

namespace {

double residentMegabytes()
{
    const auto statm = readTextFile("/proc/self/statm");
    if (!statm)
        return 0;
    const auto space = statm->find(' ');
    const auto pages = parseUnsigned(std::string_view(*statm).substr(space + 1));
    return pages ? static_cast<double>(*pages) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1e6 : 0;
}

void BM_Refresh(benchmark::State& state)
{
    VirtualScheduler scheduler;
    ManualRunner runner;
    SystemMonitor monitor(scheduler, std::make_shared<LinuxSource>(ReaderRoots{}, scheduler, runner));
    for (auto _ : state) {
        scheduler.advance(1);
        monitor.refresh();
    }
    benchmark::DoNotOptimize(monitor.snapshot());
}
BENCHMARK(BM_Refresh)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Resident memory before and after 100,000 refreshes: the history is bounded,
// so nothing should grow.
void BM_RefreshMemoryGrowth(benchmark::State& state)
{
    for (auto _ : state) {
        VirtualScheduler scheduler;
        ManualRunner runner;
        SystemMonitor monitor(scheduler, std::make_shared<LinuxSource>(ReaderRoots{}, scheduler, runner));
        for (int i = 0; i < SystemMonitor::historyLimit + 100; ++i)
            monitor.refresh();  // warm up to a full history
        const double before = residentMegabytes();
        for (int i = 0; i < 100'000; ++i) {
            scheduler.advance(1);
            monitor.refresh();
            if (i % 30 == 0)
                runner.runAll();
        }
        state.counters["rss_growth_MB"] = residentMegabytes() - before;
    }
}
BENCHMARK(BM_RefreshMemoryGrowth)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ParseProcStat(benchmark::State& state)
{
    const std::string text = readTextFile("/proc/stat").value_or("");
    for (auto _ : state)
        benchmark::DoNotOptimize(parseProcStat(text));
}
BENCHMARK(BM_ParseProcStat);

void BM_ParseMeminfo(benchmark::State& state)
{
    const std::string text = readTextFile("/proc/meminfo").value_or("");
    for (auto _ : state)
        benchmark::DoNotOptimize(parseMeminfo(text));
}
BENCHMARK(BM_ParseMeminfo);

void BM_ParseNetDev(benchmark::State& state)
{
    const std::string text = readTextFile("/proc/net/dev").value_or("");
    for (auto _ : state)
        benchmark::DoNotOptimize(parseNetDev(text));
}
BENCHMARK(BM_ParseNetDev);

// What publishing adds to each refresh to keep figures no hardware gives out:
// a many-core server's 64 sensors, two GPUs and a load average, all sound,
// so nothing is dropped and the snapshot is copied once per run.
void BM_DropImplausibleFigures(benchmark::State& state)
{
    SystemSnapshot sound;
    sound.temperatures.emplace();
    for (int core = 0; core < 64; ++core)
        sound.temperatures->append({"coretemp", QStringLiteral("Core %1").arg(core), 40.0 + core % 20, 100, 90});
    sound.gpus = QList<GpuReading>{{"a", 30, 1u << 30, 8u << 30, 55}, {"b", {}, {}, {}, 40}};
    sound.loadAverage = std::array<double, 3>{1.5, 1.25, 1};
    for (auto _ : state) {
        SystemSnapshot snapshot = sound;
        dropImplausibleFigures(snapshot);
        benchmark::DoNotOptimize(snapshot);
    }
}
BENCHMARK(BM_DropImplausibleFigures)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

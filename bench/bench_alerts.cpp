// The alert rules' check, run on every published snapshot (at least once a second).
#include "alerts/AlertMonitor.h"
#include "support/VirtualScheduler.h"

#include <benchmark/benchmark.h>

using namespace moravel;

namespace {

// Arg 0: a quiet machine. Arg 1: every rule's reading past its threshold and
// holding (the warnings already given), the most work a check does.
void BM_AlertCheck(benchmark::State& state)
{
    VirtualScheduler scheduler;
    AlertMonitor monitor(scheduler, AlertPreferences{});
    const bool busy = state.range(0) == 1;
    SystemSnapshot snapshot;
    snapshot.cpuPercent = busy ? 99 : 12;
    snapshot.memoryTotal = 16'000'000'000;
    snapshot.memoryPercent = busy ? 96 : 40;
    snapshot.diskTotal = 500'000'000'000;
    snapshot.diskPercent = busy ? 98 : 60;
    snapshot.hasBattery = true;
    snapshot.batteryPercent = busy ? 4 : 80;
    snapshot.cpuTemperatureCelsius = busy ? 101 : 55;
    snapshot.cpuTemperatureCriticalCelsius = 100;
    snapshot.topProcesses = {{1, "worker", 180, 1'000'000'000}, {2, "browser", 20, 3'000'000'000}};
    for (auto _ : state) {
        scheduler.advance(1);
        monitor.evaluate(snapshot);
    }
}
BENCHMARK(BM_AlertCheck)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();

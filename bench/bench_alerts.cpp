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
    snapshot.cpu = CpuReading{busy ? 99.0 : 12.0};
    snapshot.memory = MemoryReading{busy ? 96.0 : 40.0, 0, 16'000'000'000};
    snapshot.disk = DiskReading{busy ? 98.0 : 60.0, 0, 500'000'000'000};
    snapshot.power = PowerReading{.battery = BatteryReading{.percent = busy ? 4 : 80}};
    snapshot.temperatures = QList<SensorReading>{{"coretemp", "Package id 0", busy ? 101.0 : 55.0, 100, {}}};
    snapshot.topProcesses = QList<ProcessMetric>{{1, "worker", 180, 1'000'000'000}, {2, "browser", 20, 3'000'000'000}};
    for (auto _ : state) {
        scheduler.advance(1);
        monitor.evaluate(snapshot);
    }
}
BENCHMARK(BM_AlertCheck)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();

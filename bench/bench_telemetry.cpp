// The slow readings: the process table (live and a generated 1,000-process
// tree) and the battery over a copied power_supply tree.
// Targets: under 15 µs per process, under 200 µs per battery reading.
#include "monitor/linux/PowerSupplyReader.h"
#include "monitor/linux/ProcessReader.h"

#include "testsupport/FixtureTree.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

using namespace moravel;

namespace {

std::string statLine(int pid, int ticks, int startTime, int pages)
{
    return QStringLiteral("%1 (worker-%1) S 1 1 1 0 -1 4194560 10 0 0 0 %2 %3 0 0 20 0 4 0 %4 200000000 %5 "
                          "18446744073709551615 1 1 0 0 0 0 0 0 0 0 0 0 17 1 0 0 0 0 0\n")
        .arg(pid)
        .arg(ticks)
        .arg(ticks / 3)
        .arg(startTime)
        .arg(pages)
        .toStdString();
}

// A /proc with 1,000 processes of varied load and size, made once.
const fixtures::FixtureTree& processFixture()
{
    static fixtures::FixtureTree tree;
    static const bool made = [] {
        tree.write("proc/uptime", "86400.00 150000.00\n");
        for (int pid = 1; pid <= 1000; ++pid) {
            const QString base = QStringLiteral("proc/%1/").arg(pid);
            tree.write(base + "stat", statLine(pid, (pid * 7919) % 50000, pid * 100, (pid * 104729) % 300000));
            tree.write(base + "cmdline", "/usr/bin/worker-" + std::to_string(pid) + '\0' + "--serve");
        }
        return true;
    }();
    (void)made;
    return tree;
}

const fixtures::FixtureTree& batteryFixture()
{
    static fixtures::FixtureTree tree;
    static const bool made = [] {
        const QString classDir = QStringLiteral("sys/class/power_supply/");
        tree.write(classDir + "AC/uevent", "POWER_SUPPLY_NAME=AC\nPOWER_SUPPLY_TYPE=Mains\nPOWER_SUPPLY_ONLINE=0\n");
        tree.write(classDir + "BAT0/uevent",
                  "POWER_SUPPLY_NAME=BAT0\nPOWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_STATUS=Discharging\n"
                  "POWER_SUPPLY_PRESENT=1\nPOWER_SUPPLY_TECHNOLOGY=Li-poly\nPOWER_SUPPLY_CYCLE_COUNT=112\n"
                  "POWER_SUPPLY_VOLTAGE_MIN_DESIGN=15440000\nPOWER_SUPPLY_VOLTAGE_NOW=16912000\n"
                  "POWER_SUPPLY_POWER_NOW=7421000\nPOWER_SUPPLY_ENERGY_FULL_DESIGN=57000000\n"
                  "POWER_SUPPLY_ENERGY_FULL=51180000\nPOWER_SUPPLY_ENERGY_NOW=38120000\n"
                  "POWER_SUPPLY_CAPACITY=74\nPOWER_SUPPLY_CAPACITY_LEVEL=Normal\nPOWER_SUPPLY_MODEL_NAME=5B10W13975\n"
                  "POWER_SUPPLY_MANUFACTURER=SMP\nPOWER_SUPPLY_SERIAL_NUMBER=1234\n");
        tree.write(classDir + "BAT0/scope", "System\n");  // not in every uevent
        tree.write(classDir + "ucsi-source-psy-USBC000:001/uevent",
                  "POWER_SUPPLY_NAME=ucsi-source-psy-USBC000:001\nPOWER_SUPPLY_TYPE=USB\nPOWER_SUPPLY_ONLINE=0\n"
                  "POWER_SUPPLY_USB_TYPE=C [PD] PD_PPS\nPOWER_SUPPLY_VOLTAGE_MIN=5000000\n"
                  "POWER_SUPPLY_VOLTAGE_MAX=5000000\nPOWER_SUPPLY_VOLTAGE_NOW=5000000\n"
                  "POWER_SUPPLY_CURRENT_MAX=0\nPOWER_SUPPLY_CURRENT_NOW=0\n");
        tree.write(classDir + "hidpp_battery_0/uevent",
                  "POWER_SUPPLY_NAME=hidpp_battery_0\nPOWER_SUPPLY_TYPE=Battery\nPOWER_SUPPLY_SCOPE=Device\n"
                  "POWER_SUPPLY_ONLINE=1\nPOWER_SUPPLY_STATUS=Discharging\nPOWER_SUPPLY_CAPACITY_LEVEL=Normal\n");
        return true;
    }();
    (void)made;
    return tree;
}

// Reads the table the way the monitor does: each reading hands its history to the next.
void readTableRepeatedly(benchmark::State& state, const std::string& procRoot)
{
    const ProcessClock clock = ProcessClock::ofThisMachine();
    ProcessHistory history;
    size_t processes = 0;
    for (auto _ : state) {
        const auto ownPid = static_cast<int32_t>(::getpid());
        ProcessReading reading = readProcessTable(procRoot, std::move(history), ownPid, clock);
        processes += reading.history.entries.size();
        benchmark::DoNotOptimize(reading.top);
        history = std::move(reading.history);
    }
    state.counters["processes"] = static_cast<double>(history.entries.size());
    state.counters["time_per_process"] =
        benchmark::Counter(static_cast<double>(processes), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ProcessTableLive(benchmark::State& state)
{
    readTableRepeatedly(state, "/proc");
}
BENCHMARK(BM_ProcessTableLive)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_ProcessTableThousandFixture(benchmark::State& state)
{
    readTableRepeatedly(state, processFixture().procRoot().toStdString());
}
BENCHMARK(BM_ProcessTableThousandFixture)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_BatteryFixture(benchmark::State& state)
{
    const std::string sysRoot = batteryFixture().sysRoot().toStdString();
    for (auto _ : state)
        benchmark::DoNotOptimize(readBatteryRegistry(sysRoot));
}
BENCHMARK(BM_BatteryFixture)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();

// The readers added beside the processor, memory and network ones, each on
// its own: once against this machine's /proc and /sys, once against a
// generated tree of a large machine (64 cores, 16 disks with partitions and
// loop devices beside them, 30 temperature sensors, two GPUs). Each iteration
// is one refresh's worth of that reader.
#include "monitor/linux/CpuReader.h"
#include "monitor/linux/DeviceSensors.h"
#include "monitor/linux/DiskIoReader.h"
#include "monitor/linux/LoadAverageReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace moravel;

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}

QByteArray procStat()
{
    QByteArray text = "cpu  4705 356 584 3699176 23 23 0 0 0 0\n";
    for (int core = 0; core < 64; ++core)
        text += QStringLiteral("cpu%1 %2 5 %3 57800 1 1 0 0 0 0\n").arg(core).arg(70 + core).arg(9 + core).toUtf8();
    text += "intr 1462898";  // a typical line of interrupt counts follows the cores
    for (int i = 0; i < 1000; ++i)
        text += " " + QByteArray::number(i % 7 ? 0 : i * 31);
    return text + "\nctxt 2357542\nbtime 1700000000\nprocesses 26325\nprocs_running 1\nprocs_blocked 0\n";
}

QByteArray diskstats(const QString& sysRoot)
{
    QByteArray text;
    const auto line = [&](int major, int minor, const QString& name) {
        text += QStringLiteral("%1 %2 %3 62712 13406 5235102 31016 124823 112373 9512390 128220 0 131476 169412 0 "
                               "0 0 0 2817 10175\n")
                    .arg(major, 4)
                    .arg(minor, 7)
                    .arg(name)
                    .toUtf8();
    };
    for (int loop = 0; loop < 8; ++loop) {
        line(7, loop, QStringLiteral("loop%1").arg(loop));
        QDir().mkpath(sysRoot + QStringLiteral("/block/loop%1").arg(loop));
    }
    for (int disk = 0; disk < 16; ++disk) {
        const QString name = QStringLiteral("sd%1").arg(QChar(u'a' + disk));
        line(8, disk * 16, name);
        QDir().mkpath(sysRoot + "/block/" + name + "/device");
        for (int partition = 1; partition <= 3; ++partition)
            line(8, disk * 16 + partition, name + QString::number(partition));
    }
    return text;
}

// 30 sensors: a package and 16 cores, four NVMe drives with three each, and
// a mainboard zone; two GPUs with their own hwmon.
void writeSensors(const QString& sysRoot)
{
    const QString hwmon = sysRoot + "/class/hwmon/hwmon%1/";
    const auto sensor = [&](int chip, int number, const QByteArray& label, int millidegrees) {
        const QString base = hwmon.arg(chip) + QStringLiteral("temp%1_").arg(number);
        writeFile(base + "input", QByteArray::number(millidegrees) + '\n');
        writeFile(base + "label", label + '\n');
        writeFile(base + "crit", "100000\n");
        writeFile(base + "max", "80000\n");
    };
    writeFile(hwmon.arg(0) + "name", "coretemp\n");
    sensor(0, 1, "Package id 0", 54000);
    for (int core = 0; core < 16; ++core)
        sensor(0, core + 2, "Core " + QByteArray::number(core), 50000 + core * 500);
    for (int drive = 1; drive <= 4; ++drive) {
        writeFile(hwmon.arg(drive) + "name", "nvme\n");
        writeFile(hwmon.arg(drive) + "device/power/runtime_status", "active\n");
        for (int number = 1; number <= 3; ++number)
            sensor(drive, number, number == 1 ? "Composite" : "Sensor " + QByteArray::number(number - 1), 40000);
    }
    writeFile(hwmon.arg(5) + "name", "acpitz\n");
    sensor(5, 1, "temp1", 27800);

    const QString drm = sysRoot + "/class/drm/";
    writeFile(drm + "card0/device/uevent", "DRIVER=amdgpu\nPCI_ID=1002:73BF\nPCI_SLOT_NAME=0000:03:00.0\n");
    writeFile(drm + "card0/device/gpu_busy_percent", "12\n");
    writeFile(drm + "card0/device/mem_info_vram_used", "1073741824\n");
    writeFile(drm + "card0/device/mem_info_vram_total", "17163091968\n");
    writeFile(drm + "card0/device/power/runtime_status", "active\n");
    writeFile(drm + "card0/device/hwmon/hwmon9/temp1_input", "48000\n");
    writeFile(drm + "card1/device/uevent", "DRIVER=i915\nPCI_ID=8086:46A6\nPCI_SLOT_NAME=0000:00:02.0\n");
    writeFile(drm + "card1/gt/gt0/rc6_residency_ms", "123456\n");
    for (const char* connector : {"card0-DP-1", "card0-HDMI-A-1", "card1-eDP-1"})
        QDir().mkpath(drm + connector);
}

struct LargeMachine {
    QTemporaryDir dir;
    std::string proc;
    std::string sys;
};

const LargeMachine& largeMachine()
{
    static LargeMachine machine;
    static const bool made = [] {
        machine.proc = (machine.dir.path() + "/proc").toStdString();
        machine.sys = (machine.dir.path() + "/sys").toStdString();
        const QString sys = QString::fromStdString(machine.sys);
        writeFile(QString::fromStdString(machine.proc) + "/stat", procStat());
        writeFile(QString::fromStdString(machine.proc) + "/diskstats", diskstats(sys));
        writeSensors(sys);
        return true;
    }();
    (void)made;
    return machine;
}

std::string procRoot(const benchmark::State& state)
{
    return state.range(0) ? largeMachine().proc : "/proc";
}

std::string sysRoot(const benchmark::State& state)
{
    return state.range(0) ? largeMachine().sys : "/sys";
}

void BM_CpuReader(benchmark::State& state)
{
    CpuReader reader(procRoot(state));
    SystemSnapshot snapshot;
    for (auto _ : state) {
        if (const SnapshotUpdate update = reader.read())
            update(snapshot);
    }
    state.counters["cores"] = static_cast<double>(snapshot.cpu ? snapshot.cpu->corePercents.size() : 0);
}

void BM_LoadAverageReader(benchmark::State& state)
{
    LoadAverageReader reader("/proc");
    for (auto _ : state)
        benchmark::DoNotOptimize(reader.read());
}

void BM_DiskIoReader(benchmark::State& state)
{
    DiskIoReader reader(procRoot(state), sysRoot(state));
    double seconds = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(reader.read(seconds += 1));
}

// The background reading of the temperatures and GPUs, past their discovery.
void BM_DeviceSensors(benchmark::State& state)
{
    DeviceSensors sensors(sysRoot(state), {}, [] { return nullptr; });
    SystemSnapshot snapshot;
    sensors.read(0)(snapshot);
    double seconds = 0;
    for (auto _ : state)
        sensors.read(seconds += 1)(snapshot);
    state.counters["sensors"] = static_cast<double>(snapshot.temperatures->size());
    state.counters["gpus"] = static_cast<double>(snapshot.gpus->size());
}

// Finding the chips and cards: at start and when their directories change.
void BM_DeviceDiscovery(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(DeviceSensors(sysRoot(state), {}, [] { return nullptr; }).read(0));
}

// Arguments: 0 for this machine, 1 for the large generated one.
BENCHMARK(BM_CpuReader)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadAverageReader)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DiskIoReader)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DeviceSensors)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DeviceDiscovery)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

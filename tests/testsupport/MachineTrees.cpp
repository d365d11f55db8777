#include "testsupport/MachineTrees.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace moravel::fixtures {

namespace {

constexpr double ticksPerSecond = 100;  // USER_HZ
constexpr double bytesPerSector = 512;
constexpr uint64_t pageSize = 4096;

// A machine's files are rewritten many times a second of its life: in memory
// where the system offers a folder there, a disk being many times slower.
QString fastestFolder()
{
    const QFileInfo shared(QStringLiteral("/dev/shm"));
    return shared.isDir() && shared.isWritable() ? shared.filePath() : QDir::tempPath();
}

std::string number(double value)
{
    return std::to_string(static_cast<long long>(std::llround(value)));
}

QList<QString> numbered(const QString& stem, int from, int count)
{
    QList<QString> labels;
    for (int i = 0; i < count; ++i)
        labels.append(stem + QString::number(from + i));
    return labels;
}

ChipFixture coretemp(int cores, double celsius)
{
    QList<QString> labels{QStringLiteral("Package id 0")};
    labels.append(numbered(QStringLiteral("Core "), 0, cores));
    return {"coretemp", labels, celsius, 100};
}

ChipFixture nvme(double celsius)
{
    return {"nvme", {QStringLiteral("Composite"), QStringLiteral("Sensor 1"), QStringLiteral("Sensor 2")}, celsius, 84.85};
}

QList<ProcessFixture> everydayProcesses()
{
    return {{"firefox-esr", 24, 1900ULL << 20}, {"Xorg", 6, 240ULL << 20},       {"code", 11, 1200ULL << 20},
            {"pipewire", 2, 40ULL << 20},       {"gnome-shell", 4, 600ULL << 20}, {"thunderbird", 1.5, 700ULL << 20}};
}

MachineFixture laptop(QString key, QString description, BatteryFixture battery, std::optional<AdapterFixture> adapter)
{
    MachineFixture machine;
    machine.key = std::move(key);
    machine.description = std::move(description);
    machine.batteries = {std::move(battery)};
    machine.adapter = adapter;
    machine.chips = {coretemp(4, 58), {"acpitz", {QStringLiteral("temp1")}, 47}, nvme(41)};
    machine.processes = everydayProcesses();
    return machine;
}

QList<MachineFixture> makeMachines()
{
    QList<MachineFixture> machines;
    machines.append(laptop(QStringLiteral("laptop-charging"), QStringLiteral("A laptop charging from its adapter"),
                           {"BAT0", 55, "Charging", 18}, AdapterFixture{true, 30, 65}));
    machines.append(laptop(QStringLiteral("laptop-on-battery"), QStringLiteral("A laptop on its battery"),
                           {"BAT0", 72, "Discharging", 9.4}, AdapterFixture{false, 0, 0}));
    machines.append(laptop(QStringLiteral("laptop-full"), QStringLiteral("A laptop on its adapter, fully charged"),
                           {"BAT0", 100, "Full", 0}, AdapterFixture{true, 11, 65}));
    machines.append(laptop(QStringLiteral("laptop-not-charging"),
                           QStringLiteral("A laptop on its adapter, held at 80 % by a charge limit"),
                           {"BAT0", 80, "Not charging", 0}, AdapterFixture{true, 13, 90}));

    MachineFixture two = laptop(QStringLiteral("laptop-two-batteries"),
                                QStringLiteral("A laptop with two batteries, charging"), {"BAT0", 64, "Charging", 14},
                                AdapterFixture{true, 41, 65});
    two.batteries.append({"BAT1", 38, "Charging", 9});
    machines.append(two);

    MachineFixture low = laptop(QStringLiteral("laptop-low-battery"), QStringLiteral("A laptop at 6 % on its battery"),
                                {"BAT0", 6, "Discharging", 7.8}, AdapterFixture{false, 0, 0});
    machines.append(low);

    MachineFixture desktop;
    desktop.key = QStringLiteral("desktop");
    desktop.description = QStringLiteral("A desktop without a battery, with one graphics card");
    desktop.cores = 16;
    desktop.memoryTotal = 32ULL << 30;
    desktop.chips = {{"k10temp", {QStringLiteral("Tctl"), QStringLiteral("Tccd1")}, 52},
                     nvme(44),
                     {"amdgpu", {QStringLiteral("edge"), QStringLiteral("junction"), QStringLiteral("mem")}, 49}};
    desktop.gpus = {GpuFixture{}};
    desktop.processes = everydayProcesses();
    machines.append(desktop);

    MachineFixture big;
    big.key = QStringLiteral("big-machine");
    big.description = QStringLiteral("A 128-core workstation: 40 sensors on 6 chips, 3 graphics cards");
    big.cores = 128;
    big.cpuPercent = 55;
    big.memoryTotal = 512ULL << 30;
    big.downloadBytesPerSecond = 12.5e6;  // 100 Mbit/s broadband, flat out
    big.uploadBytesPerSecond = 4.2e6;
    QList<QString> epyc{QStringLiteral("Tctl")};
    epyc.append(numbered(QStringLiteral("Tccd"), 1, 8));
    QList<QString> board{QStringLiteral("SYSTIN"), QStringLiteral("CPUTIN"), QStringLiteral("PECI Agent 0"),
                         QStringLiteral("PCH_CHIP_CPU_MAX_TEMP"), QStringLiteral("PCH_CHIP_TEMP"),
                         QStringLiteral("PCH_CPU_TEMP")};
    board.append(numbered(QStringLiteral("AUXTIN"), 0, 6));
    big.chips = {{"k10temp", epyc, 61, 95},
                 {"k10temp", epyc, 64, 95},
                 {"nct6779", board, 38},
                 nvme(46),
                 nvme(52),
                 // The hottest sensor comes last in the chips' order.
                 {"acpitz", {QStringLiteral("temp1"), QStringLiteral("temp2"), QStringLiteral("temp3"),
                             QStringLiteral("temp4")}, 96, 105}};
    big.gpus = {GpuFixture{"amdgpu", "1002:744C", 82, 24ULL << 30, 0.7, 71},
                GpuFixture{"amdgpu", "1002:744C", 12, 24ULL << 30, 0.1, 44},
                GpuFixture{"i915", "8086:4680", 4, 0, 0, 0}};
    big.processes = {{"blender", 1450, 38ULL << 30}, {"cc1plus", 98, 900ULL << 20}, {"ld.gold", 97, 2ULL << 30},
                     {"postgres", 35, 8ULL << 30},   {"python3", 99, 12ULL << 30}};
    machines.append(big);

    MachineFixture names = laptop(QStringLiteral("long-process-names"),
                                  QStringLiteral("Processes with long names, on battery"),
                                  {"BAT0", 47, "Discharging", 11.2}, AdapterFixture{false, 0, 0});
    names.processes = {{"org.gnome.Nautilus.FileManagerSearchProvider", 31, 3ULL << 30},
                       {"WebKitWebProcess-with-an-extraordinarily-long-name", 18, 2200ULL << 20},
                       {"systemd-journald-but-longer-than-any-column", 9, 1500ULL << 20},
                       {"x", 2, 10ULL << 20}};
    machines.append(names);

    MachineFixture heavy;
    heavy.key = QStringLiteral("heavy-load");
    heavy.description = QStringLiteral("A laptop on its adapter under heavy load, downloading at 100 Mbit/s");
    heavy.cpuPercent = 96;
    heavy.memoryPercent = 94;
    heavy.downloadBytesPerSecond = 12.4e6;
    heavy.uploadBytesPerSecond = 1.3e6;
    heavy.diskReadBytesPerSecond = 412e6;
    heavy.diskWriteBytesPerSecond = 188e6;
    heavy.batteries = {{"BAT0", 88, "Charging", 22}};
    heavy.adapter = AdapterFixture{true, 95, 100};
    heavy.chips = {coretemp(4, 94), nvme(71)};
    heavy.gpus = {GpuFixture{"amdgpu", "1002:73FF", 97, 8ULL << 30, 0.92, 88}};
    heavy.processes = everydayProcesses();
    machines.append(heavy);
    return machines;
}

}  // namespace

double wave(int seconds, double phase)
{
    const double t = seconds + phase * 37;
    return 0.6 * std::sin(t / 9.5) + 0.4 * std::sin(t / 3.1 + phase);
}

const QList<MachineFixture>& galleryMachines()
{
    static const QList<MachineFixture> machines = makeMachines();
    return machines;
}

const MachineFixture& galleryMachine(const QString& key)
{
    for (const MachineFixture& machine : galleryMachines()) {
        if (machine.key == key)
            return machine;
    }
    throw std::invalid_argument("no gallery machine " + key.toStdString());
}

MachineTree::MachineTree(MachineFixture machine)
    : machine_(std::move(machine)),
      tree_(fastestFolder()),
      coreBusy_(static_cast<size_t>(machine_.cores), 0.0),
      coreIdle_(static_cast<size_t>(machine_.cores), 0.0),
      processTicks_(static_cast<size_t>(machine_.processes.size()), 0.0)
{
    writeStatic();
}

void MachineTree::writeStatic()
{
    tree_.write("sys/class/net/lo/flags", "0x9\n");
    tree_.write("sys/class/net/eth0/flags", "0x1003\n");
    tree_.makeDirectory("sys/class/net/eth0/device");
    tree_.makeDirectory("sys/block/nvme0n1/device");
    for (qsizetype i = 0; i < machine_.chips.size(); ++i) {
        const ChipFixture& chip = machine_.chips[i];
        const QString base = QStringLiteral("sys/class/hwmon/hwmon%1/").arg(i);
        tree_.write(base + "name", chip.name + "\n");
        for (qsizetype s = 0; s < chip.labels.size(); ++s) {
            const QString sensor = base + QStringLiteral("temp%1_").arg(s + 1);
            tree_.write(sensor + "label", chip.labels[s].toStdString() + "\n");
            if (chip.critical)
                tree_.write(sensor + "crit", number(*chip.critical * 1000) + "\n");
        }
    }
    for (qsizetype i = 0; i < machine_.gpus.size(); ++i) {
        const GpuFixture& gpu = machine_.gpus[i];
        const QString device = QStringLiteral("sys/class/drm/card%1/device/").arg(i);
        tree_.write(device + "uevent", "DRIVER=" + gpu.driver + "\nPCI_ID=" + gpu.pciId + "\n");
        if (gpu.memoryTotal > 0)
            tree_.write(device + "mem_info_vram_total", std::to_string(gpu.memoryTotal) + "\n");
        if (gpu.celsius > 0)
            tree_.write(device + QStringLiteral("hwmon/hwmon%1/name").arg(100 + i), gpu.driver + "\n");
    }
    for (const BatteryFixture& battery : machine_.batteries) {
        const QString base = QString::fromStdString("sys/class/power_supply/" + battery.name + "/");
        tree_.write(base + "type", "Battery\n");
        tree_.write(base + "scope", "System\n");
    }
    if (machine_.adapter)
        tree_.write("sys/class/power_supply/AC/type", "Mains\n");
    for (qsizetype i = 0; i < machine_.processes.size(); ++i) {
        const QString dir = QStringLiteral("proc/%1/").arg(1000 + i);
        const std::string& name = machine_.processes[i].name;
        tree_.write(dir + "cmdline", std::string("/usr/bin/") + name + '\0');
    }
}

void MachineTree::writeSecond(int seconds)
{
    if (seconds <= lastSecond_)
        throw std::invalid_argument("a machine's seconds only move on");
    lastSecond_ = seconds;
    writeCpu(seconds);
    writeCounters(seconds);
    writePower(seconds);
    writeSensors(seconds);
    writeProcesses(seconds);
}

void MachineTree::writeCpu(int seconds)
{
    std::string cores;
    double busy = 0;
    double idle = 0;
    for (size_t core = 0; core < coreBusy_.size(); ++core) {
        const double share = std::clamp(machine_.cpuPercent / 100 * (1 + 0.5 * wave(seconds, core * 0.7)), 0.01, 1.0);
        coreBusy_[core] += ticksPerSecond * share;
        coreIdle_[core] += ticksPerSecond * (1 - share);
        busy += coreBusy_[core];
        idle += coreIdle_[core];
        cores += "cpu" + std::to_string(core) + " " + number(coreBusy_[core]) + " 0 0 " + number(coreIdle_[core])
                 + " 0 0 0 0 0 0\n";
    }
    tree_.write("proc/stat", "cpu  " + number(busy) + " 0 0 " + number(idle) + " 0 0 0 0 0 0\n" + cores);
    const double load = machine_.cores * machine_.cpuPercent / 100;
    tree_.write("proc/loadavg", QString::asprintf("%.2f %.2f %.2f 2/900 4242\n", load * (1 + 0.2 * wave(seconds, 3)),
                                                  load, load * 0.9)
                                    .toStdString());
    const double memory = std::clamp(machine_.memoryPercent / 100 * (1 + 0.05 * wave(seconds, 5)), 0.0, 1.0);
    const uint64_t totalKb = machine_.memoryTotal / 1024;
    const uint64_t swapKb = machine_.swapTotal / 1024;
    tree_.write("proc/meminfo", "MemTotal: " + std::to_string(totalKb) + " kB\nMemFree: " + number(totalKb * 0.1)
                                    + " kB\nMemAvailable: " + number(totalKb * (1 - memory))
                                    + " kB\nSwapTotal: " + std::to_string(swapKb)
                                    + " kB\nSwapFree: " + number(swapKb * 0.85) + " kB\n");
}

void MachineTree::writeCounters(int seconds)
{
    received_ += machine_.downloadBytesPerSecond * (1 + 0.6 * wave(seconds, 7));
    sent_ += machine_.uploadBytesPerSecond * (1 + 0.6 * wave(seconds, 11));
    tree_.write("proc/net/dev", "Inter-| Receive | Transmit\n face |bytes ...|bytes ...\n"
                                "    lo: 999 1 0 0 0 0 0 0 999 1 0 0 0 0 0 0\n  eth0: "
                                    + number(received_) + " 1 0 0 0 0 0 0 " + number(sent_) + " 1 0 0 0 0 0 0\n");
    sectorsRead_ += machine_.diskReadBytesPerSecond / bytesPerSector * (1 + 0.8 * wave(seconds, 13));
    sectorsWritten_ += machine_.diskWriteBytesPerSecond / bytesPerSector * (1 + 0.8 * wave(seconds, 17));
    tree_.write("proc/diskstats", " 259 0 nvme0n1 100 0 " + number(sectorsRead_) + " 10 200 0 "
                                      + number(sectorsWritten_) + " 20 0 30 40 0 0 0 0\n");
}

void MachineTree::writePower(int seconds)
{
    constexpr double volts = 12.0;
    for (const BatteryFixture& battery : machine_.batteries) {
        const QString base = QString::fromStdString("sys/class/power_supply/" + battery.name + "/");
        const double watts = battery.watts * (1 + 0.15 * wave(seconds, 19));
        tree_.write(base + "status", battery.status + "\n");
        tree_.write(base + "capacity", std::to_string(battery.percent) + "\n");
        tree_.write(base + "energy_full", "50000000\n");
        tree_.write(base + "energy_now", number(500000.0 * battery.percent) + "\n");
        tree_.write(base + "voltage_now", number(volts * 1e6) + "\n");
        tree_.write(base + "current_now", number(watts / volts * 1e6) + "\n");
    }
    if (!machine_.adapter)
        return;
    const AdapterFixture& adapter = *machine_.adapter;
    const QString base = QStringLiteral("sys/class/power_supply/AC/");
    tree_.write(base + "online", adapter.online ? "1\n" : "0\n");
    if (!adapter.online)
        return;
    constexpr double adapterVolts = 20.0;
    const double input = adapter.inputWatts * (1 + 0.1 * wave(seconds, 23));
    tree_.write(base + "voltage_now", number(adapterVolts * 1e6) + "\n");
    tree_.write(base + "current_now", number(input / adapterVolts * 1e6) + "\n");
    tree_.write(base + "voltage_max", number(adapterVolts * 1e6) + "\n");
    tree_.write(base + "current_max", number(adapter.ratedWatts / adapterVolts * 1e6) + "\n");
}

void MachineTree::writeSensors(int seconds)
{
    for (qsizetype i = 0; i < machine_.chips.size(); ++i) {
        const ChipFixture& chip = machine_.chips[i];
        for (qsizetype s = 0; s < chip.labels.size(); ++s) {
            const double celsius = chip.celsius - (s == 0 ? 0 : 3 + s % 5) + 2 * wave(seconds, i + s * 0.3);
            tree_.write(QStringLiteral("sys/class/hwmon/hwmon%1/temp%2_input").arg(i).arg(s + 1),
                        number(celsius * 1000) + "\n");
        }
    }
    for (qsizetype i = 0; i < machine_.gpus.size(); ++i) {
        const GpuFixture& gpu = machine_.gpus[i];
        const QString device = QStringLiteral("sys/class/drm/card%1/device/").arg(i);
        const double busy = std::clamp(gpu.busyPercent * (1 + 0.3 * wave(seconds, 29 + i)), 0.0, 100.0);
        tree_.write(device + "gpu_busy_percent", number(busy) + "\n");
        if (gpu.memoryTotal > 0)
            tree_.write(device + "mem_info_vram_used", number(gpu.memoryTotal * gpu.memoryShare) + "\n");
        if (gpu.celsius > 0)
            tree_.write(device + QStringLiteral("hwmon/hwmon%1/temp1_input").arg(100 + i),
                        number((gpu.celsius + 2 * wave(seconds, 31 + i)) * 1000) + "\n");
    }
}

void MachineTree::writeProcesses(int seconds)
{
    tree_.write("proc/uptime", std::to_string(1000 + seconds) + ".00 1234.00\n");
    for (qsizetype i = 0; i < machine_.processes.size(); ++i) {
        const ProcessFixture& process = machine_.processes[i];
        auto& ticks = processTicks_[static_cast<size_t>(i)];
        ticks += process.cpuPercent / 100 * ticksPerSecond * (1 + 0.2 * wave(seconds, 37 + i));
        const int32_t pid = 1000 + static_cast<int32_t>(i);
        // Fields after the name: state ppid pgrp session tty tpgid flags minflt cminflt majflt cmajflt utime
        // stime cutime cstime priority nice threads itrealvalue starttime vsize rss ...
        tree_.write(QStringLiteral("proc/%1/stat").arg(pid),
                    std::to_string(pid) + " (" + process.name.substr(0, 15) + ") S 1 1 1 0 -1 4194560 10 0 0 0 "
                        + number(ticks) + " 0 0 0 20 0 1 0 100 1000000 "
                        + std::to_string(process.residentBytes / pageSize)
                        + " 18446744073709551615 1 1 0 0 0 0 0 0 0 0 0 0 17 0 0 0 0 0 0\n");
    }
}

}  // namespace moravel::fixtures

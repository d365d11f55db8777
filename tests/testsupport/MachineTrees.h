#pragma once

#include "monitor/linux/ReaderRoots.h"
#include "testsupport/FixtureTree.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace moravel::fixtures {

// Machines people run Moravel on, written as the kernel's files under a
// fixture tree: the gallery pictures them and the layout tests check the
// island over each. Every figure moves in slow waves, second by second, so a
// run of readings gives a five-minute history worth looking at.

struct BatteryFixture {
    std::string name = "BAT0";
    int percent = 50;
    std::string status = "Discharging";  // the kernel's word: "Charging", "Full", "Not charging"
    double watts = 8;                    // into or out of the battery
};

struct AdapterFixture {
    bool online = true;
    double inputWatts = 20;  // drawn from the wall now
    int ratedWatts = 65;
};

struct ChipFixture {
    std::string name;  // "coretemp", "nvme", ...
    QList<QString> labels;  // one sensor each
    double celsius = 50;    // the first sensor's; the others a little off it
    std::optional<double> critical = std::nullopt;
};

struct GpuFixture {
    std::string driver = "amdgpu";
    std::string pciId = "1002:73FF";
    double busyPercent = 30;
    uint64_t memoryTotal = 8ULL << 30;
    double memoryShare = 0.3;
    double celsius = 55;
};

struct ProcessFixture {
    std::string name;
    double cpuPercent = 5;  // of one core
    uint64_t residentBytes = 200ULL << 20;
};

struct MachineFixture {
    QString key;          // "laptop-charging": names the gallery's pictures
    QString description;  // "A laptop charging from its adapter"
    int cores = 8;
    double cpuPercent = 20;     // around which the cores' loads move
    double memoryPercent = 45;
    uint64_t memoryTotal = 16ULL << 30;
    uint64_t swapTotal = 8ULL << 30;
    double downloadBytesPerSecond = 180e3;
    double uploadBytesPerSecond = 24e3;
    double diskReadBytesPerSecond = 2.5e6;
    double diskWriteBytesPerSecond = 600e3;
    QList<BatteryFixture> batteries;  // none: a desktop
    std::optional<AdapterFixture> adapter;
    QList<ChipFixture> chips;
    QList<GpuFixture> gpus;
    QList<ProcessFixture> processes;
};

// The machines of the gallery, in its order.
const QList<MachineFixture>& galleryMachines();
// One of them by key; throws for an unknown key.
const MachineFixture& galleryMachine(const QString& key);

// A machine's files, rewritten for each second of its life.
class MachineTree {
public:
    explicit MachineTree(MachineFixture machine);

    const MachineFixture& machine() const { return machine_; }
    ReaderRoots roots() const { return {tree_.procRoot(), tree_.sysRoot()}; }
    FixtureTree& tree() { return tree_; }

    // Writes every file as it reads `seconds` after the machine started
    // counting; counters only ever grow, so call it with rising seconds.
    void writeSecond(int seconds);

private:
    void writeStatic();
    void writeCpu(int seconds);
    void writeCounters(int seconds);
    void writePower(int seconds);
    void writeSensors(int seconds);
    void writeProcesses(int seconds);

    MachineFixture machine_;
    FixtureTree tree_;
    int lastSecond_ = -1;
    std::vector<double> coreBusy_;  // ticks so far, per core
    std::vector<double> coreIdle_;
    double received_ = 0, sent_ = 0, sectorsRead_ = 0, sectorsWritten_ = 0;
    std::vector<double> processTicks_;
};

// A fraction of a wave that runs between -1 and 1 over about a minute;
// `phase` sets different series apart.
double wave(int seconds, double phase);

}  // namespace moravel::fixtures

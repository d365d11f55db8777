#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QUuid>

#include <array>
#include <cstdint>
#include <optional>

namespace moravel {

// One process row of the top-process lists.
struct ProcessMetric {
    int32_t id = 0;
    QString name{};
    double cpuPercent = 0;      // may exceed 100 on several cores
    uint64_t memoryBytes = 0;   // resident memory

    friend bool operator==(const ProcessMetric&, const ProcessMetric&) = default;
};

// The busy share of the processor since the previous reading.
struct CpuReading {
    double percent = 0;         // all processors, 0 to 100
    QList<double> corePercents{};  // each core, in core order

    friend bool operator==(const CpuReading&, const CpuReading&) = default;
};

struct MemoryReading {
    double percent = 0;
    uint64_t used = 0;   // bytes, never above total
    uint64_t total = 0;  // bytes of physical memory

    friend bool operator==(const MemoryReading&, const MemoryReading&) = default;
};

// Both 0 on a machine without swap.
struct SwapReading {
    uint64_t used = 0;  // bytes
    uint64_t total = 0;

    friend bool operator==(const SwapReading&, const SwapReading&) = default;
};

// Bytes per second over the interfaces that count.
struct NetworkReading {
    double downloadBytesPerSecond = 0;
    double uploadBytesPerSecond = 0;

    friend bool operator==(const NetworkReading&, const NetworkReading&) = default;
};

// The startup volume's capacity, as df tells it.
struct DiskReading {
    double percent = 0;      // used over used and available: the reserve for root is left out
    uint64_t used = 0;       // bytes: the size less the free space
    uint64_t total = 0;      // bytes: the volume's size
    uint64_t available = 0;  // bytes a normal user may still write

    friend bool operator==(const DiskReading&, const DiskReading&) = default;
};

// Bytes per second over the whole physical disks.
struct DiskActivityReading {
    double readBytesPerSecond = 0;
    double writeBytesPerSecond = 0;

    friend bool operator==(const DiskActivityReading&, const DiskActivityReading&) = default;
};

// The computer's own batteries, counted as one.
struct BatteryReading {
    std::optional<int64_t> percent = std::nullopt;  // 0 to 100; nothing where no battery figure tells it
    bool isCharging = false;      // only ever on external power
    bool isFullyCharged = false;  // only ever on external power
    std::optional<int64_t> minutesRemaining = std::nullopt;
    double watts = 0;  // charge or discharge, never negative

    friend bool operator==(const BatteryReading&, const BatteryReading&) = default;
};

// A connected power adapter's figures, each where it tells it.
struct AdapterReading {
    std::optional<int64_t> ratedWatts = std::nullopt;
    std::optional<double> volts = std::nullopt;
    std::optional<double> amperes = std::nullopt;

    friend bool operator==(const AdapterReading&, const AdapterReading&) = default;
};

struct PowerReading {
    bool isExternalPowerConnected = false;
    std::optional<BatteryReading> battery = std::nullopt;  // nothing on a computer without one
    double systemInputWatts = 0;  // drawn from the adapter, 0 to 400; 0 on battery
    // The figure shown as the system's draw; nothing while no valid one exists.
    std::optional<double> displayPowerWatts = std::nullopt;
    std::optional<AdapterReading> adapter = std::nullopt;  // nothing on battery, or for an adapter that tells nothing

    friend bool operator==(const PowerReading&, const PowerReading&) = default;
};

// One sensor channel of the machine (a hwmon input, say): a temperature in
// degrees Celsius, a fan's speed in revolutions per minute, a voltage in
// volts. Its limits are where the hardware says it is out of bounds.
struct SensorReading {
    QString chip{};   // the sensor chip's name ("coretemp", "k10temp", "nct6798", ...)
    QString label{};  // the sensor's own label, or its input's name ("temp1", "fan2")
    double value = 0;
    std::optional<double> critical = std::nullopt;
    std::optional<double> maximum = std::nullopt;
    std::optional<double> minimum = std::nullopt;
    // Where several chips share the name (two "nvme" drives), this chip's
    // place among them, in the order they are found; -1 for a name alone.
    // The name stays the driver's, which the rules go by.
    int chipNumber = -1;

    friend bool operator==(const SensorReading&, const SensorReading&) = default;
};

// The sensor's chip as people see it: its name, numbered where several chips
// share it ("nvme0", "nvme1").
inline QString chipTitle(const SensorReading& sensor)
{
    return sensor.chipNumber < 0 ? sensor.chip : sensor.chip + QString::number(sensor.chipNumber);
}

// One graphics processor. Whatever its driver does not tell is absent.
struct GpuReading {
    QString name{};
    std::optional<double> busyPercent = std::nullopt;
    std::optional<uint64_t> memoryUsed = std::nullopt;  // bytes of its own memory
    std::optional<uint64_t> memoryTotal = std::nullopt;
    std::optional<double> temperatureCelsius = std::nullopt;

    friend bool operator==(const GpuReading&, const GpuReading&) = default;
};

struct MachineReading;

// The machines a Prometheus server scrapes with the node exporter, each with
// its readings as the server computes them.
struct FleetReading {
    QList<MachineReading> machines;  // worst first (FleetRules.h)
    // The machine the snapshot's own slices are of; nothing while the whole
    // fleet is watched, when each slice is its worst machine's.
    std::optional<QString> chosen = std::nullopt;

    // Written out below: a machine holds a snapshot, which may hold a fleet,
    // so the comparison can only be defined once MachineReading is complete.
    friend bool operator==(const FleetReading&, const FleetReading&);
};

// One full reading of the machine, one slice per group of readings. A slice
// the source does not have (another machine's exporter publishes no process
// table, and may leave out any collector; a computer's disk not read yet) is
// empty, and shown as not available, never as zeros. An empty list inside a
// slice means the source looked and found none (no sensors, no GPU).
struct SystemSnapshot {
    std::optional<CpuReading> cpu = std::nullopt;
    std::optional<MemoryReading> memory = std::nullopt;
    std::optional<SwapReading> swap = std::nullopt;
    std::optional<NetworkReading> network = std::nullopt;
    std::optional<DiskReading> disk = std::nullopt;
    std::optional<DiskActivityReading> diskActivity = std::nullopt;
    std::optional<std::array<double, 3>> loadAverage = std::nullopt;  // over 1, 5 and 15 minutes
    std::optional<PowerReading> power = std::nullopt;
    std::optional<QList<SensorReading>> temperatures = std::nullopt;
    std::optional<QList<SensorReading>> fans = std::nullopt;  // in revolutions per minute
    std::optional<QList<SensorReading>> voltages = std::nullopt;
    std::optional<QList<GpuReading>> gpus = std::nullopt;
    std::optional<QList<ProcessMetric>> topProcesses = std::nullopt;
    // Only when watching a fleet through a Prometheus server.
    std::optional<FleetReading> fleet = std::nullopt;

    friend bool operator==(const SystemSnapshot&, const SystemSnapshot&) = default;
};

// One machine of a fleet, known by the server's `instance` label.
struct MachineReading {
    QString instance;  // "web3.lan:9100"
    QString job;       // the server's scrape job
    bool isUp = false;
    // Since when it has been up or down, where that is known: when the server
    // last read it, for one that is down; when Moravel saw it come back.
    std::optional<QDateTime> since = std::nullopt;
    // What the server has of it; nothing while it is down.
    SystemSnapshot readings;

    friend bool operator==(const MachineReading&, const MachineReading&) = default;
};

inline bool operator==(const FleetReading& a, const FleetReading& b)
{
    return a.machines == b.machines && a.chosen == b.chosen;
}

// The computer's battery; nothing without one, or without a power reading.
inline const BatteryReading* batteryOf(const SystemSnapshot& snapshot)
{
    return snapshot.power && snapshot.power->battery ? &*snapshot.power->battery : nullptr;
}

// A slice's field, or nothing while the slice is absent.
template <typename Slice, typename Value>
std::optional<Value> fieldOf(const std::optional<Slice>& slice, Value Slice::*field)
{
    return slice ? std::optional<Value>((*slice).*field) : std::nullopt;
}

// The quantities the history keeps, one value of each per sample. A value
// the machine does not have (no GPU, no temperature sensor) is NaN.
enum class Series : uint8_t {
    cpu,
    memory,
    download,
    upload,
    systemPower,
    batteryPower,
    diskRead,
    diskWrite,
    cpuTemperature,
    gpuBusy,
};
// Checked against the series table (MetricSeries.cpp) by the compiler.
inline constexpr size_t seriesCount = static_cast<size_t>(Series::gpuBusy) + 1;

// One point of the history. Identified by id only.
struct MetricSample {
    QUuid id;
    QDateTime time;
    std::array<double, seriesCount> values{};
    bool isCharging = false;

    double operator[](Series series) const { return values[static_cast<size_t>(series)]; }
    double& operator[](Series series) { return values[static_cast<size_t>(series)]; }
};

using MetricHistory = QList<MetricSample>;

// Every kind of reading, and the dashboard's overview. What each one is
// called, shows and stores lives in the reading table (ReadingTable.h).
enum class MetricKind : uint8_t {
    overview, cpu, memory, network, disk, power, swap, temperature, gpu, fan, voltage, machines
};
// Checked against the reading table (ReadingRows.cpp) by the compiler.
inline constexpr size_t metricKindCount = static_cast<size_t>(MetricKind::machines) + 1;

}  // namespace moravel

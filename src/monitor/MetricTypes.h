#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QUuid>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>

namespace moravel {

// One process row of the top-process lists.
struct ProcessMetric {
    int32_t id = 0;
    QString name;
    double cpuPercent = 0;      // may exceed 100 on several cores
    uint64_t memoryBytes = 0;   // resident memory

    friend bool operator==(const ProcessMetric&, const ProcessMetric&) = default;
};

// The startup volume's capacity, carried from the background reader.
struct DiskMetric {
    double percent = 0;
    uint64_t used = 0;
    uint64_t total = 0;

    friend bool operator==(const DiskMetric&, const DiskMetric&) = default;
};

// One temperature sensor of the machine (a hwmon input, say).
struct TemperatureReading {
    QString chip;   // the sensor chip's name ("coretemp", "k10temp", "nvme", ...)
    QString label;  // the sensor's own label, or its input's name ("temp1")
    double celsius = 0;
    std::optional<double> criticalCelsius;  // where the hardware says it is too hot
    std::optional<double> maximumCelsius;

    friend bool operator==(const TemperatureReading&, const TemperatureReading&) = default;
};

// One graphics processor. Whatever its driver does not tell is absent.
struct GpuReading {
    QString name;
    std::optional<double> busyPercent;
    std::optional<uint64_t> memoryUsed;  // bytes of its own memory
    std::optional<uint64_t> memoryTotal;
    std::optional<double> temperatureCelsius;

    friend bool operator==(const GpuReading&, const GpuReading&) = default;
};

// The groups of readings a source may not have at all: another machine's
// exporter publishes no process table, and may leave out any of its
// collectors. An absent group's fields keep their defaults, and are shown as
// absent, never as zeros.
enum class ReadingGroup : uint8_t {
    cpu,             // cpuPercent, cpuCorePercents
    memory,          // memoryPercent, memoryUsed, memoryTotal
    swap,            // swapUsed, swapTotal
    network,         // download and upload
    disk,            // the startup volume's capacity
    diskActivity,    // disk read and write rates
    load,            // loadAverage
    temperatures,    // temperatures, cpuTemperature...
    gpus,            // gpus
    power,           // battery and power fields
    adapter,         // adapterWatts, adapterVoltage, adapterCurrent
    processes,       // topProcesses
};

// A set of reading groups.
class ReadingSet {
public:
    constexpr ReadingSet() = default;
    constexpr ReadingSet(std::initializer_list<ReadingGroup> groups)
    {
        for (ReadingGroup group : groups)
            insert(group);
    }

    constexpr bool contains(ReadingGroup group) const { return bits_ & bit(group); }
    constexpr bool isEmpty() const { return bits_ == 0; }
    constexpr void insert(ReadingGroup group) { bits_ |= bit(group); }

    friend bool operator==(const ReadingSet&, const ReadingSet&) = default;

private:
    static constexpr uint32_t bit(ReadingGroup group) { return uint32_t{1} << static_cast<unsigned>(group); }

    uint32_t bits_ = 0;
};

// One full reading of the machine. The plain constructor leaves memoryTotal 0;
// the monitor fills it from the machine before its first refresh.
struct SystemSnapshot {
    double cpuPercent = 0;
    double memoryPercent = 0;
    uint64_t memoryUsed = 0;
    uint64_t memoryTotal = 0;
    uint64_t swapUsed = 0;   // bytes; both 0 on a machine without swap
    uint64_t swapTotal = 0;
    QList<double> cpuCorePercents;  // busy share of each core, in core order
    std::optional<std::array<double, 3>> loadAverage;  // over 1, 5 and 15 minutes
    double downloadBytesPerSecond = 0;
    double uploadBytesPerSecond = 0;
    double diskPercent = 0;
    uint64_t diskUsed = 0;
    uint64_t diskTotal = 0;
    double diskReadBytesPerSecond = 0;  // whole physical disks only
    double diskWriteBytesPerSecond = 0;
    QList<TemperatureReading> temperatures;
    std::optional<double> cpuTemperatureCelsius;
    std::optional<double> cpuTemperatureCriticalCelsius;  // the CPU sensor's own critical figure
    QList<GpuReading> gpus;
    bool hasBattery = false;  // the computer has a battery of its own
    int64_t batteryPercent = 0;
    bool isCharging = false;
    bool isExternalPowerConnected = false;
    bool isFullyCharged = false;
    std::optional<int64_t> minutesRemaining;
    double batteryPowerWatts = 0;
    double systemInputWatts = 0;
    std::optional<double> displayPowerWatts;
    int64_t adapterWatts = 0;
    double adapterVoltage = 0;
    double adapterCurrent = 0;
    QList<ProcessMetric> topProcesses;
    // What the source does not publish; empty for this computer.
    ReadingSet absentReadings;

    friend bool operator==(const SystemSnapshot&, const SystemSnapshot&) = default;
};

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
enum class MetricKind : uint8_t { overview, cpu, memory, network, disk, power, swap, temperature, gpu };
inline constexpr size_t metricKindCount = static_cast<size_t>(MetricKind::gpu) + 1;

}  // namespace moravel

#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QUuid>

#include <array>
#include <cstdint>
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

// One full reading of the machine. The plain constructor leaves memoryTotal 0;
// the monitor fills it from the machine before its first refresh.
struct SystemSnapshot {
    double cpuPercent = 0;
    double memoryPercent = 0;
    uint64_t memoryUsed = 0;
    uint64_t memoryTotal = 0;
    double downloadBytesPerSecond = 0;
    double uploadBytesPerSecond = 0;
    double diskPercent = 0;
    uint64_t diskUsed = 0;
    uint64_t diskTotal = 0;
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

    friend bool operator==(const SystemSnapshot&, const SystemSnapshot&) = default;
};

// One point of the five-minute history. Identified by id only.
struct MetricSample {
    QUuid id;
    QDateTime time;
    double cpu = 0;
    double memory = 0;
    double download = 0;
    double upload = 0;
    double systemPower = 0;
    double batteryPower = 0;
    bool isCharging = false;
};

using MetricHistory = QList<MetricSample>;

// The history's point for a snapshot taken at `time`.
MetricSample sampleOf(const SystemSnapshot& snapshot, const QDateTime& time);

// The tabs of the expanded dashboard. The title is also the stored form.
enum class MetricKind { overview, cpu, memory, network, power };

inline constexpr std::array<MetricKind, 5> allMetricKinds{MetricKind::overview, MetricKind::cpu, MetricKind::memory,
                                                          MetricKind::network, MetricKind::power};

QString rawValue(MetricKind kind);
// Exact, case-sensitive match of the stored form; nothing for any other text.
std::optional<MetricKind> metricKindFromRawValue(QStringView raw);

}  // namespace moravel

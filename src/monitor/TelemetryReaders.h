#pragma once

#include "monitor/MetricTypes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

namespace moravel {

// The battery controller's properties in its own units, as the platform reader
// found them. Missing values hold their defaults (0 or false).
struct BatteryRegistry {
    struct AdapterDetails {
        int64_t watts = 0;
        double voltageMillivolts = 0;
        double currentMilliamps = 0;
    };

    // False for a computer without a battery of its own (most desktops): the
    // battery figures below are then meaningless and left at their defaults.
    bool hasBattery = true;
    int64_t currentCapacity = 0;  // percent
    bool externalConnected = false;
    bool isCharging = false;
    bool fullyCharged = false;
    int64_t timeRemainingMinutes = 0;
    double amperageMilliamps = 0;  // sign ignored; several batteries give their summed power
    double voltageMillivolts = 0;
    std::optional<double> systemPowerInMilliwatts;  // present when the platform measures input power
    std::optional<AdapterDetails> adapterDetails;
};

// What one process reading leaves for the next: each process's CPU time, so
// the next reading can report the share since then. It travels with the one
// reading in flight and comes back with its result.
struct ProcessHistory {
    struct Entry {
        uint64_t startTime = 0;  // tells a reused pid from the process that had it before
        uint64_t cpuTicks = 0;
    };
    std::unordered_map<int32_t, Entry> entries;
    double takenAtSeconds = 0;  // monotonic
    bool isValid = false;
};

struct ProcessReading {
    QList<ProcessMetric> top;  // empty when the table could not be read
    ProcessHistory history;
};

// Alive while power-source changes are being watched.
class PowerSourceWatcher {
public:
    virtual ~PowerSourceWatcher() = default;
};

// The slower platform readings of the monitor. This base gives no readings at
// all; the Linux implementation overrides what the machine offers.
class TelemetryReaders {
public:
    virtual ~TelemetryReaders() = default;

    // Main thread. Nothing when there is no battery or it cannot be read.
    virtual std::optional<BatteryRegistry> readBattery() { return std::nullopt; }
    // Background thread. Nothing when the volume cannot be queried.
    virtual std::optional<DiskMetric> readDisk() const { return std::nullopt; }
    // Background thread. `previous` is the history the last reading returned.
    virtual ProcessReading readProcesses(ProcessHistory previous, int32_t ownPid) const
    {
        (void)ownPid;
        return ProcessReading{{}, std::move(previous)};
    }
    // Main thread. Calls `changed` once per power-source change notification;
    // nothing when notifications cannot be had.
    virtual std::unique_ptr<PowerSourceWatcher> watchPowerSources(std::function<void()> changed)
    {
        (void)changed;
        return nullptr;
    }
};

}  // namespace moravel

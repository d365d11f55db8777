#pragma once

#include "monitor/MetricTypes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace moravel {

// The battery controller's properties in its own units, as a source found
// them. Missing values hold their defaults (0 or false).
struct BatteryRegistry {
    // Each figure where the adapter tells it.
    struct AdapterDetails {
        std::optional<int64_t> watts;  // its rating
        std::optional<double> voltageMillivolts;
        std::optional<double> currentMilliamps;
    };

    // False for a computer without a battery of its own (most desktops): the
    // battery figures below are then meaningless and left at their defaults.
    bool hasBattery = true;
    std::optional<int64_t> currentCapacity;  // percent; nothing where no battery figure tells it
    bool externalConnected = false;
    bool isCharging = false;
    bool fullyCharged = false;
    int64_t timeRemainingMinutes = 0;
    double amperageMilliamps = 0;  // sign ignored; several batteries give their summed power
    double voltageMillivolts = 0;
    std::optional<double> systemPowerInMilliwatts;  // present when the platform measures input power
    std::optional<AdapterDetails> adapterDetails;
};

// What a source read, as a change to the snapshot being built. An empty
// update means nothing could be read: the snapshot keeps its values.
using SnapshotUpdate = std::function<void(SystemSnapshot&)>;

struct SourceReading {
    SnapshotUpdate apply;
    // False while a rate or share could not yet be measured over an interval
    // (the first reading after a start is only a baseline).
    bool isMeasured = true;
    // Set, with the reason in words, when the source could not be read at all
    // (another machine out of reach): nothing is applied, and the refresh adds
    // no history sample, so the chart pauses rather than showing made-up values.
    std::optional<QString> failure = std::nullopt;
    // The machine's last hour as its source keeps it (a Prometheus server
    // does), sent once after a machine is chosen: it takes the place of what
    // the monitor sampled.
    std::optional<MetricHistory> pastHour = std::nullopt;

    static SourceReading failed(QString reason) { return {{}, false, std::move(reason)}; }
};

// Hands a reading back to the monitor, always on the main thread.
using ReadingDelivery = std::function<void(SourceReading)>;

// Alive while power-source changes are being watched.
class PowerSourceWatcher {
public:
    virtual ~PowerSourceWatcher() = default;
};

// Where the monitor's readings come from: this machine's kernel, or another
// machine. The monitor decides when each reading is due; the source reads and
// answers through `deliver`, at once or later (a slow or remote reading), and
// exactly once per request while the source lives. This base reads nothing.
class TelemetrySource {
public:
    virtual ~TelemetrySource() = default;

    // The machine the readings are of, for people; empty for this computer.
    virtual QString machineName() const { return {}; }
    // What is known before the first reading (the memory size, say).
    virtual SystemSnapshot initialSnapshot() { return {}; }
    // The readings taken every second (processor, memory, network, ...) and,
    // with `withPower`, the battery and power ones. The monitor asks again
    // only once the previous request was answered.
    virtual void readEverySecond([[maybe_unused]] bool withPower, ReadingDelivery deliver) { deliver({}); }
    // The battery and power readings alone, after a power-source change.
    virtual void readPower(ReadingDelivery deliver) { deliver({}); }
    // The startup volume's capacity.
    virtual void readDisk(ReadingDelivery deliver) { deliver({}); }
    // The busiest processes, with their shares since the previous reading.
    virtual void readProcesses(ReadingDelivery deliver) { deliver({}); }
    // Of a source of many machines (a fleet): reads `instance` from now on,
    // or the whole fleet when it is empty. One machine has none to choose.
    virtual void chooseMachine(const QString& instance) { (void)instance; }
    // Calls `changed` once per power-source change notification; nothing when
    // notifications cannot be had.
    virtual std::unique_ptr<PowerSourceWatcher> watchPowerSources(std::function<void()> changed)
    {
        (void)changed;
        return nullptr;
    }
};

}  // namespace moravel

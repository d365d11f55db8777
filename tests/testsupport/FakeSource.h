#pragma once

#include "monitor/TelemetrySource.h"

#include <functional>
#include <optional>
#include <vector>

namespace moravel::fixtures {

// A telemetry source with canned readings, for the monitor and everything
// built on it. It counts the requests of each kind; the per-second and power
// readings answer at once, the disk and process readings wait in `pending`
// until the test runs them, as a background reading would. As with a real
// source, the first per-second reading is a baseline, not measured.
class FakeSource : public TelemetrySource {
public:
    SystemSnapshot initial;
    // Another machine's name; empty for this computer.
    QString machine;
    // Applied by every per-second reading; empty reads nothing.
    SnapshotUpdate everySecond;
    // Set: every per-second reading fails with this reason.
    std::optional<QString> failure;
    // Per-second readings wait in `pending` too, as another machine's would.
    bool deferEverySecond = false;
    // The power readings; nothing means the battery could not be read.
    std::optional<BatteryRegistry> battery;
    std::optional<DiskReading> disk;
    QList<ProcessMetric> processes{{7, QStringLiteral("worker"), 12.5, 4096}};
    // Sent once with the next per-second reading, as a fleet's source sends a
    // chosen machine's last hour.
    std::optional<MetricHistory> pastHour;
    QStringList chosenMachines;

    int secondReads = 0;
    int powerReads = 0;
    int processReads = 0;
    // Set by the monitor when it watches power-source changes.
    std::function<void()> notifyPowerChange;

    int pendingCount() const { return static_cast<int>(pending_.size()); }
    // Answers the waiting disk and process readings, oldest first.
    void runPending();

    QString machineName() const override { return machine; }
    SystemSnapshot initialSnapshot() override { return initial; }
    void readEverySecond(bool withPower, ReadingDelivery deliver) override;
    void readPower(ReadingDelivery deliver) override;
    void readDisk(ReadingDelivery deliver) override;
    void readProcesses(ReadingDelivery deliver) override;
    std::unique_ptr<PowerSourceWatcher> watchPowerSources(std::function<void()> changed) override;
    void chooseMachine(const QString& instance) override { chosenMachines.append(instance); }

private:
    SnapshotUpdate powerUpdate();

    std::vector<std::function<void()>> pending_;
    int answeredSecondReads_ = 0;
};

}  // namespace moravel::fixtures

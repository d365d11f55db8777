#pragma once

#include "monitor/FastReaders.h"
#include "monitor/MetricTypes.h"
#include "monitor/NetworkCounters.h"
#include "monitor/TelemetryReaders.h"
#include "support/BackgroundRunner.h"
#include "support/Scheduler.h"

#include <QObject>

#include <memory>
#include <optional>

namespace moravel {

// Where the readers find the kernel's files; tests and bug reports point
// them at a copied tree.
struct ReaderRoots {
    QString proc = QStringLiteral("/proc");
    QString sys = QStringLiteral("/sys");

    // MORAVEL_PROC_ROOT and MORAVEL_SYS_ROOT, where set and not empty.
    static ReaderRoots fromEnvironment();
};

// The sampler: one refresh a second on the main thread, publishing a whole
// new snapshot and appending one sample to a five-minute history.
class SystemMonitor final : public QObject {
    Q_OBJECT

public:
    static constexpr int historyLimit = 300;

    SystemMonitor(Scheduler& scheduler, BackgroundRunner& background, std::shared_ptr<TelemetryReaders> telemetry,
                  ReaderRoots roots = {}, QObject* parent = nullptr);
    ~SystemMonitor() override;

    const SystemSnapshot& snapshot() const { return snapshot_; }
    const MetricHistory& history() const { return history_; }
    int updateCount() const { return updateCount_; }
    bool isStarted() const { return timer_.isPending(); }
    bool isProcessTelemetryActive() const { return processTelemetryActive_; }
    // Whether a disk reading has come back since construction.
    bool hasReadDisk() const { return hasReadDisk_; }
    // Whether the published process shares were measured between two readings
    // of the table, rather than averaged over each process's life.
    bool areProcessSharesMeasured() const { return processSharesMeasured_; }

    void start();
    void stop();
    void setProcessTelemetryActive(bool active);
    // Reads the process table now, outside the regular cadence, while process
    // telemetry is active (nothing if a reading is already in flight).
    void refreshTopProcessesNow();
    // Takes one sample; the timer calls it once a second.
    void refresh();

    // One power-source change: re-read at once, and once more shortly after the last change.
    void powerSourceDidChange();

signals:
    void snapshotChanged(const moravel::SystemSnapshot& snapshot);
    void historyChanged(const moravel::MetricHistory& history);

private:
    double readCPUPercent();
    MemoryUsage readMemory();
    std::pair<double, double> readNetworkSpeeds();
    void applyBattery(SystemSnapshot& next);
    void refreshPowerState();
    void refreshDiskInBackground();
    void refreshTopProcessesInBackground();
    void startPowerSourceNotifications();
    void publish(SystemSnapshot next);

    Scheduler& scheduler_;
    BackgroundRunner& background_;
    std::shared_ptr<TelemetryReaders> telemetry_;
    KernelFile procStat_;
    KernelFile procMeminfo_;
    NetworkCounters networkCounters_;

    SystemSnapshot snapshot_;
    MetricHistory history_;
    TaskHandle timer_;
    std::optional<CpuTicks> previousCPUTicks_;
    struct NetworkReading {
        std::vector<InterfaceCounters> interfaces;  // the counted ones, by name
        double time = 0;
    };
    std::optional<NetworkReading> previousNetwork_;
    int updateCount_ = 0;
    bool processTelemetryActive_ = false;
    bool hasReadDisk_ = false;
    bool processSharesMeasured_ = false;
    // A generation number per slow reading: a result applies only if no stop()
    // intervened since it started (stop cancels by moving the generation on).
    quint64 diskGeneration_ = 0;
    quint64 processGeneration_ = 0;
    bool diskInFlight_ = false;
    bool processInFlight_ = false;
    ProcessHistory processHistory_;
    std::unique_ptr<PowerSourceWatcher> powerWatcher_;
    TaskSlot delayedPowerRefresh_;
    std::optional<double> lastValidDisplayPowerAt_;
};

}  // namespace moravel

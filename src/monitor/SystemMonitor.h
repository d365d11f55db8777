#pragma once

#include "monitor/MetricTypes.h"
#include "monitor/TelemetrySource.h"
#include "support/Scheduler.h"

#include <QObject>

#include <memory>
#include <optional>

namespace moravel {

// The sampler: one refresh a second on the main thread, publishing a whole
// new snapshot and appending one sample to a history of the last hour (each
// second the source measured: not a first reading, which is a baseline).
class SystemMonitor final : public QObject {
    Q_OBJECT

public:
    static constexpr int historyLimit = 3600;

    SystemMonitor(Scheduler& scheduler, std::shared_ptr<TelemetrySource> source, QObject* parent = nullptr);
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

    // Whether the source answered its last per-second reading. While it does
    // not (another machine out of reach), no snapshot is published and the
    // history gains no samples.
    bool isSourceReachable() const { return !sourceFailure_; }
    // Why the source did not answer, while it does not; empty otherwise.
    QString sourceFailure() const { return sourceFailure_.value_or(QString()); }
    // The machine the readings are of; empty for this computer.
    QString machineName() const { return source_->machineName(); }

    void start();
    void stop();
    // Reads another machine, or this one again, from now on: what was read so
    // far (snapshot, history, reachability) is of the old machine and goes,
    // so the chart never joins two machines. A running monitor keeps its
    // cadence and reads the new source at once.
    void replaceSource(std::shared_ptr<TelemetrySource> source);
    // Of a fleet: shows the machine `instance` from now on, or the whole fleet
    // when it is empty. The chart starts over, from what the source keeps.
    void chooseMachine(const QString& instance);
    void setProcessTelemetryActive(bool active);
    // Reads the process table now, outside the regular cadence, while process
    // telemetry is active (nothing if a reading is already in flight).
    void refreshTopProcessesNow();
    // The busiest processes once, for a message (an alert) while the dashboard
    // may be closed: the published list while process telemetry is on, else two
    // readings `spacingSeconds` apart, so that shares are measured rather than
    // averaged over each process's life. `done` runs on the main thread, unless
    // stop() intervenes.
    void readTopProcessesOnce(double spacingSeconds, std::function<void(const QList<ProcessMetric>&)> done);
    // Takes one sample; the timer calls it once a second.
    void refresh();

    // One power-source change: re-read at once, and once more shortly after the last change.
    void powerSourceDidChange();

signals:
    void snapshotChanged(const moravel::SystemSnapshot& snapshot);
    void historyChanged(const moravel::MetricHistory& history);
    // Once for every per-second reading the source could not answer.
    void refreshFailed(const QString& reason);
    // When the source stops or starts answering.
    void sourceReachabilityChanged(bool reachable);

private:
    // Each request carries the generation it was made in: an answer applies
    // only if no stop() intervened since (stop moves the generation on).
    ReadingDelivery onMainThread(std::function<void(SourceReading)> handle);
    void finishRefresh(const SourceReading& reading, bool withPower);
    void noteSourceAnswered(const std::optional<QString>& failure);
    void applyPower(const SourceReading& reading);
    void appendSample(const SystemSnapshot& snapshot);
    void trimHistory();
    void refreshDiskInBackground();
    void refreshTopProcessesInBackground();
    void startPowerSourceNotifications();
    void publish(SystemSnapshot next);
    void forgetReadings();

    Scheduler& scheduler_;
    std::shared_ptr<TelemetrySource> source_;

    SystemSnapshot snapshot_;
    MetricHistory history_;
    TaskHandle timer_;
    int updateCount_ = 0;
    quint64 generation_ = 0;
    bool processTelemetryActive_ = false;
    bool hasReadDisk_ = false;
    bool processSharesMeasured_ = false;
    bool diskInFlight_ = false;
    bool processInFlight_ = false;
    bool secondInFlight_ = false;
    std::optional<QString> sourceFailure_;
    std::unique_ptr<PowerSourceWatcher> powerWatcher_;
    TaskSlot delayedPowerRefresh_;
    std::optional<double> lastValidDisplayPowerAt_;
};

}  // namespace moravel

#pragma once

#include "monitor/SystemMonitor.h"

#include <QDateTime>
#include <QObject>

#include <optional>

namespace moravel {

// The monitor's readings for a consumer that takes each one as final (the
// headless mode): only readings whose every figure is measured. Each sample
// of the monitor's history is a measured second (rates need two readings);
// its reading is handed on once the disk has been read and, when processes
// are wanted, once their shares were measured over an interval instead of
// averaged over each process's life (a fresh reading of the table is asked
// for where needed).
class MeasuredReadings final : public QObject {
    Q_OBJECT

public:
    // With `withProcesses`, switches the monitor's process telemetry on.
    MeasuredReadings(SystemMonitor& monitor, bool withProcesses, QObject* parent = nullptr);

signals:
    // Once per sample, in order; `time` is the sample's.
    void readingReady(const moravel::SystemSnapshot& snapshot, const QDateTime& time);

private:
    void refreshed(const MetricHistory& history);
    void handOnWhenMeasured();

    SystemMonitor& monitor_;
    bool withProcesses_;
    std::optional<QDateTime> waiting_;  // the refresh whose reading is not yet complete
};

}  // namespace moravel

#include "monitor/MeasuredReadings.h"

namespace moravel {

MeasuredReadings::MeasuredReadings(SystemMonitor& monitor, bool withProcesses, QObject* parent)
    : QObject(parent), monitor_(monitor), withProcesses_(withProcesses)
{
    connect(&monitor_, &SystemMonitor::historyChanged, this, &MeasuredReadings::refreshed);
    // The slow readings arrive as snapshots of their own.
    connect(&monitor_, &SystemMonitor::snapshotChanged, this, &MeasuredReadings::handOnWhenMeasured);
    if (withProcesses_)
        monitor_.setProcessTelemetryActive(true);
}

void MeasuredReadings::refreshed(const MetricHistory& history)
{
    // Emptied: another source, whose first reading is a baseline again.
    if (history.isEmpty()) {
        waiting_.reset();
        return;
    }
    // A second of an outage is no reading.
    if (!monitor_.isSourceReachable())
        return;
    // Each sample is a measured second; a reading still waiting is overtaken
    // by the newer one.
    waiting_ = history.last().time;
    handOnWhenMeasured();
}

void MeasuredReadings::handOnWhenMeasured()
{
    if (!waiting_ || !monitor_.hasReadDisk())
        return;
    if (withProcesses_ && !monitor_.areProcessSharesMeasured()) {
        monitor_.refreshTopProcessesNow();
        return;
    }
    const QDateTime time = *waiting_;
    waiting_.reset();
    emit readingReady(monitor_.snapshot(), time);
}

}  // namespace moravel

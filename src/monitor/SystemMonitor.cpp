#include "monitor/SystemMonitor.h"

#include "monitor/FleetRules.h"
#include "monitor/MetricSeries.h"
#include "monitor/PlausibleFigures.h"
#include "monitor/PowerRules.h"

#include <QPointer>

namespace moravel {

namespace {

constexpr double tickSeconds = 1.0;
constexpr double tickToleranceSeconds = 0.15;
constexpr double trailingPowerRefreshSeconds = 0.18;
constexpr int diskEvery = 30;
constexpr int processesEvery = 5;

}  // namespace

SystemMonitor::SystemMonitor(Scheduler& scheduler, std::shared_ptr<TelemetrySource> source, QObject* parent)
    : QObject(parent), scheduler_(scheduler), source_(std::move(source)), snapshot_(source_->initialSnapshot())
{
}

SystemMonitor::~SystemMonitor() = default;

void SystemMonitor::start()
{
    if (timer_.isPending())
        return;
    refresh();
    startPowerSourceNotifications();
    timer_ = scheduler_.runEvery(tickSeconds, tickToleranceSeconds, this, [this] { refresh(); });
}

void SystemMonitor::stop()
{
    timer_.cancel();
    timer_ = {};
    forgetReadings();
}

void SystemMonitor::forgetReadings()
{
    ++generation_;
    diskInFlight_ = false;
    processInFlight_ = false;
    secondInFlight_ = false;
    delayedPowerRefresh_.cancel();
    powerWatcher_.reset();
}

void SystemMonitor::replaceSource(std::shared_ptr<TelemetrySource> source)
{
    const bool wasReachable = isSourceReachable();
    // Answers the old source still owes are dropped by the generation moving on.
    forgetReadings();
    source_ = std::move(source);
    updateCount_ = 0;
    hasReadDisk_ = false;
    processSharesMeasured_ = false;
    lastValidDisplayPowerAt_.reset();
    sourceFailure_.reset();
    history_.clear();
    snapshot_ = source_->initialSnapshot();
    if (!wasReachable)
        emit sourceReachabilityChanged(true);
    emit snapshotChanged(snapshot_);
    emit historyChanged(history_);
    if (timer_.isPending()) {
        refresh();
        startPowerSourceNotifications();
    }
}

ReadingDelivery SystemMonitor::onMainThread(std::function<void(SourceReading)> handle)
{
    QPointer<SystemMonitor> self(this);
    const quint64 generation = generation_;
    return [self, generation, handle = std::move(handle)](SourceReading reading) {
        if (self && self->generation_ == generation)
            handle(std::move(reading));
    };
}

void SystemMonitor::refresh()
{
    ++updateCount_;
    const bool withPower = updateCount_ % 2 == 1;
    // A slow source (another machine) may still be answering the last tick:
    // this one then passes without a reading.
    if (!secondInFlight_) {
        secondInFlight_ = true;
        source_->readEverySecond(withPower, onMainThread([this, withPower](const SourceReading& reading) {
            secondInFlight_ = false;
            finishRefresh(reading, withPower);
        }));
    }
    if (updateCount_ == 1 || updateCount_ % diskEvery == 0)
        refreshDiskInBackground();
    if (processTelemetryActive_ && updateCount_ % processesEvery == 0)
        refreshTopProcessesInBackground();
}

void SystemMonitor::finishRefresh(const SourceReading& reading, bool withPower)
{
    noteSourceAnswered(reading.failure);
    if (reading.failure) {
        // A second of the outage: a sample with nothing in it, so that the
        // chart breaks its line there rather than bridging the outage.
        appendSample(SystemSnapshot{});
        return;
    }
    if (reading.pastHour) {
        history_ = *reading.pastHour;
        trimHistory();
        emit historyChanged(history_);
    }
    SystemSnapshot next = snapshot_;
    if (reading.apply)
        reading.apply(next);
    if (withPower)
        reconcileDisplayPower(snapshot_, next, scheduler_.monotonicSeconds(), lastValidDisplayPowerAt_);
    publish(std::move(next));
    // Only measured seconds are samples: a first reading (no processor load
    // or rates yet) would put a made-up minimum into the hour and the day.
    if (reading.isMeasured)
        appendSample(snapshot_);
}

void SystemMonitor::noteSourceAnswered(const std::optional<QString>& failure)
{
    const bool wasReachable = isSourceReachable();
    sourceFailure_ = failure;
    if (wasReachable != isSourceReachable())
        emit sourceReachabilityChanged(isSourceReachable());
    if (failure)
        emit refreshFailed(*failure);
}

void SystemMonitor::appendSample(const SystemSnapshot& snapshot)
{
    history_.append(sampleOf(snapshot, scheduler_.currentDateTime()));
    trimHistory();
    emit historyChanged(history_);
}

void SystemMonitor::trimHistory()
{
    if (history_.size() > historyLimit)
        history_.remove(0, history_.size() - historyLimit);
}

void SystemMonitor::chooseMachine(const QString& instance)
{
    if (!snapshot_.fleet)
        return;
    FleetReading fleet = *snapshot_.fleet;
    fleet.chosen = instance.isEmpty() ? std::nullopt : std::optional(instance);
    if (fleet.chosen == snapshot_.fleet->chosen)
        return;
    source_->chooseMachine(instance);
    // The chart never joins two machines.
    history_.clear();
    emit historyChanged(history_);
    publish(fleetSnapshot(std::move(fleet)));
}

void SystemMonitor::setProcessTelemetryActive(bool active)
{
    if (active == processTelemetryActive_)
        return;
    processTelemetryActive_ = active;
    if (active) {
        refreshTopProcessesInBackground();
        return;
    }
    processSharesMeasured_ = false;
    if (snapshot_.topProcesses && !snapshot_.topProcesses->isEmpty()) {
        SystemSnapshot next = snapshot_;
        next.topProcesses->clear();
        publish(std::move(next));
    }
}

void SystemMonitor::refreshTopProcessesNow()
{
    if (processTelemetryActive_)
        refreshTopProcessesInBackground();
}

void SystemMonitor::readTopProcessesOnce(double spacingSeconds,
                                         std::function<void(const QList<ProcessMetric>&)> done)
{
    if (processTelemetryActive_) {
        done(snapshot_.topProcesses.value_or(QList<ProcessMetric>()));
        return;
    }
    const auto rowsOf = [](const SourceReading& reading) {
        SystemSnapshot scratch;
        if (reading.apply)
            reading.apply(scratch);
        return scratch.topProcesses.value_or(QList<ProcessMetric>());
    };
    source_->readProcesses(onMainThread([this, spacingSeconds, rowsOf, done](const SourceReading&) {
        const quint64 generation = generation_;
        scheduler_.runAfter(spacingSeconds, this, [this, generation, rowsOf, done] {
            if (generation == generation_)
                source_->readProcesses(onMainThread([rowsOf, done](const SourceReading& r) { done(rowsOf(r)); }));
        });
    }));
}

void SystemMonitor::publish(SystemSnapshot next)
{
    // Where every source's readings enter the snapshot.
    dropImplausibleFigures(next);
    snapshot_ = std::move(next);
    emit snapshotChanged(snapshot_);
}

void SystemMonitor::applyPower(const SourceReading& reading)
{
    SystemSnapshot next = snapshot_;
    if (reading.apply)
        reading.apply(next);
    reconcileDisplayPower(snapshot_, next, scheduler_.monotonicSeconds(), lastValidDisplayPowerAt_);
    publish(std::move(next));
}

void SystemMonitor::startPowerSourceNotifications()
{
    if (powerWatcher_)
        return;
    QPointer<SystemMonitor> self(this);
    powerWatcher_ = source_->watchPowerSources([self] {
        if (self)
            self->powerSourceDidChange();
    });
}

void SystemMonitor::powerSourceDidChange()
{
    const auto reread = [this] {
        source_->readPower(onMainThread([this](const SourceReading& reading) { applyPower(reading); }));
    };
    reread();
    delayedPowerRefresh_.arm(scheduler_, trailingPowerRefreshSeconds, this, reread);
}

void SystemMonitor::refreshDiskInBackground()
{
    if (diskInFlight_)
        return;
    diskInFlight_ = true;
    source_->readDisk(onMainThread([this](const SourceReading& reading) {
        diskInFlight_ = false;
        hasReadDisk_ = true;
        SystemSnapshot next = snapshot_;
        if (reading.apply)
            reading.apply(next);
        publish(std::move(next));
    }));
}

void SystemMonitor::refreshTopProcessesInBackground()
{
    if (processInFlight_)
        return;
    processInFlight_ = true;
    source_->readProcesses(onMainThread([this](const SourceReading& reading) {
        processInFlight_ = false;
        if (!processTelemetryActive_)
            return;
        SystemSnapshot next = snapshot_;
        if (reading.apply)
            reading.apply(next);
        // An empty table has no shares to measure.
        processSharesMeasured_ = reading.isMeasured || !next.topProcesses || next.topProcesses->isEmpty();
        publish(std::move(next));
    }));
}

}  // namespace moravel

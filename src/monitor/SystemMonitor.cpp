#include "monitor/SystemMonitor.h"

#include "monitor/PowerRules.h"
#include "monitor/TextFile.h"

#include <QPointer>

#include <unistd.h>

namespace moravel {

namespace {

constexpr double tickSeconds = 1.0;
constexpr double tickToleranceSeconds = 0.15;
constexpr double trailingPowerRefreshSeconds = 0.18;
constexpr int diskEvery = 30;
constexpr int processesEvery = 5;

QString environmentRoot(const char* name, const QString& fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

}  // namespace

ReaderRoots ReaderRoots::fromEnvironment()
{
    ReaderRoots roots;
    roots.proc = environmentRoot("MORAVEL_PROC_ROOT", roots.proc);
    roots.sys = environmentRoot("MORAVEL_SYS_ROOT", roots.sys);
    return roots;
}

SystemMonitor::SystemMonitor(Scheduler& scheduler, BackgroundRunner& background,
                             std::shared_ptr<TelemetryReaders> telemetry, ReaderRoots roots, QObject* parent)
    : QObject(parent), scheduler_(scheduler), background_(background), telemetry_(std::move(telemetry)),
      procStat_((roots.proc + QStringLiteral("/stat")).toStdString()),
      procMeminfo_((roots.proc + QStringLiteral("/meminfo")).toStdString()),
      networkCounters_(roots.proc.toStdString(), roots.sys.toStdString())
{
    // The initial snapshot already knows the machine's memory size.
    if (const auto text = procMeminfo_.read()) {
        if (const auto memory = parseMeminfo(*text))
            snapshot_.memoryTotal = memory->total;
    }
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
    ++diskGeneration_;
    ++processGeneration_;
    diskInFlight_ = false;
    processInFlight_ = false;
    delayedPowerRefresh_.cancel();
    powerWatcher_.reset();
}

void SystemMonitor::refresh()
{
    ++updateCount_;
    SystemSnapshot next = snapshot_;
    next.cpuPercent = readCPUPercent();
    const MemoryUsage memory = readMemory();
    next.memoryPercent = memory.percent;
    next.memoryUsed = memory.used;
    next.memoryTotal = memory.total;
    std::tie(next.downloadBytesPerSecond, next.uploadBytesPerSecond) = readNetworkSpeeds();
    if (updateCount_ % 2 == 1) {
        applyBattery(next);
        reconcileDisplayPower(snapshot_, next, scheduler_.monotonicSeconds(), lastValidDisplayPowerAt_);
    }
    publish(std::move(next));

    MetricSample sample;
    sample.id = QUuid::createUuid();
    sample.time = scheduler_.currentDateTime();
    sample.cpu = snapshot_.cpuPercent;
    sample.memory = snapshot_.memoryPercent;
    sample.download = snapshot_.downloadBytesPerSecond;
    sample.upload = snapshot_.uploadBytesPerSecond;
    sample.systemPower = systemPowerWatts(snapshot_);
    sample.batteryPower = snapshot_.batteryPowerWatts;
    sample.isCharging = snapshot_.isCharging;
    history_.append(sample);
    if (history_.size() > historyLimit)
        history_.remove(0, history_.size() - historyLimit);
    emit historyChanged(history_);

    if (updateCount_ == 1 || updateCount_ % diskEvery == 0)
        refreshDiskInBackground();
    if (processTelemetryActive_ && updateCount_ % processesEvery == 0)
        refreshTopProcessesInBackground();
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
    if (!snapshot_.topProcesses.isEmpty()) {
        SystemSnapshot next = snapshot_;
        next.topProcesses.clear();
        publish(std::move(next));
    }
}

void SystemMonitor::refreshTopProcessesNow()
{
    if (processTelemetryActive_)
        refreshTopProcessesInBackground();
}

void SystemMonitor::publish(SystemSnapshot next)
{
    snapshot_ = std::move(next);
    emit snapshotChanged(snapshot_);
}

double SystemMonitor::readCPUPercent()
{
    const auto text = procStat_.read();
    const auto ticks = text ? parseProcStat(*text) : std::nullopt;
    if (!ticks)
        return snapshot_.cpuPercent;
    const double percent = cpuPercentBetween(previousCPUTicks_, *ticks);
    previousCPUTicks_ = ticks;
    return percent;
}

MemoryUsage SystemMonitor::readMemory()
{
    const auto text = procMeminfo_.read();
    const auto usage = text ? parseMeminfo(*text) : std::nullopt;
    if (!usage)
        return MemoryUsage{snapshot_.memoryPercent, snapshot_.memoryUsed, snapshot_.memoryTotal};
    return *usage;
}

std::pair<double, double> SystemMonitor::readNetworkSpeeds()
{
    auto counted = networkCounters_.read();
    if (!counted)
        return {snapshot_.downloadBytesPerSecond, snapshot_.uploadBytesPerSecond};

    const double now = scheduler_.monotonicSeconds();
    NetworkRates rates;
    if (previousNetwork_) {
        const double interval = std::max(now - previousNetwork_->time, 0.001);
        rates = networkRatesBetween(previousNetwork_->interfaces, *counted, interval);
    }
    previousNetwork_ = NetworkReading{std::move(*counted), now};
    return {rates.download, rates.upload};
}

void SystemMonitor::applyBattery(SystemSnapshot& next)
{
    if (const auto registry = telemetry_->readBattery())
        applyBatteryRegistry(*registry, next);
}

void SystemMonitor::refreshPowerState()
{
    SystemSnapshot next = snapshot_;
    applyBattery(next);
    reconcileDisplayPower(snapshot_, next, scheduler_.monotonicSeconds(), lastValidDisplayPowerAt_);
    publish(std::move(next));
}

void SystemMonitor::startPowerSourceNotifications()
{
    if (powerWatcher_)
        return;
    QPointer<SystemMonitor> self(this);
    powerWatcher_ = telemetry_->watchPowerSources([self] {
        if (self)
            self->powerSourceDidChange();
    });
}

void SystemMonitor::powerSourceDidChange()
{
    refreshPowerState();
    delayedPowerRefresh_.arm(scheduler_, trailingPowerRefreshSeconds, this, [this] { refreshPowerState(); });
}

void SystemMonitor::refreshDiskInBackground()
{
    if (diskInFlight_)
        return;
    diskInFlight_ = true;
    const quint64 generation = diskGeneration_;
    const DiskMetric fallback{snapshot_.diskPercent, snapshot_.diskUsed, snapshot_.diskTotal};
    std::shared_ptr<const TelemetryReaders> telemetry = telemetry_;
    background_.post(this, [this, telemetry, fallback, generation]() -> BackgroundRunner::Continuation {
        const DiskMetric disk = telemetry->readDisk().value_or(fallback);
        return [this, disk, generation] {
            if (generation != diskGeneration_)
                return;
            diskInFlight_ = false;
            hasReadDisk_ = true;
            SystemSnapshot next = snapshot_;
            next.diskPercent = disk.percent;
            next.diskUsed = disk.used;
            next.diskTotal = disk.total;
            publish(std::move(next));
        };
    });
}

void SystemMonitor::refreshTopProcessesInBackground()
{
    if (processInFlight_)
        return;
    processInFlight_ = true;
    const quint64 generation = processGeneration_;
    const int32_t ownPid = static_cast<int32_t>(::getpid());
    std::shared_ptr<const TelemetryReaders> telemetry = telemetry_;
    // Shares can only be measured against an earlier reading of the table.
    const bool measured = processHistory_.isValid;
    auto history = std::make_shared<ProcessHistory>(std::move(processHistory_));
    processHistory_ = {};
    const auto job = [this, telemetry, history, ownPid, generation, measured]() -> BackgroundRunner::Continuation {
        auto reading = std::make_shared<ProcessReading>(telemetry->readProcesses(std::move(*history), ownPid));
        return [this, reading, generation, measured] {
            if (generation != processGeneration_)
                return;  // stopped meanwhile
            processInFlight_ = false;
            processHistory_ = std::move(reading->history);
            if (!processTelemetryActive_)
                return;
            processSharesMeasured_ = measured || reading->top.isEmpty();
            SystemSnapshot next = snapshot_;
            next.topProcesses = std::move(reading->top);
            publish(std::move(next));
        };
    };
    background_.post(this, job);
}

}  // namespace moravel

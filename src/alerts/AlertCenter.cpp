#include "alerts/AlertCenter.h"

#include "alerts/AlertEpisodeFile.h"
#include "alerts/AlertPreferencesStore.h"
#include "monitor/SystemMonitor.h"
#include "support/DefaultsStore.h"

#include <QPointer>

namespace moravel {

AlertCenter::AlertCenter(SystemMonitor& monitor, Scheduler& scheduler, DefaultsStore& defaults,
                         std::unique_ptr<AlertNotifier> notifier, QString episodesPath, QObject* parent)
    : QObject(parent),
      systemMonitor_(monitor),
      defaults_(defaults),
      monitor_(scheduler, AlertPreferencesStore::load(defaults)),
      fleet_(scheduler, monitor_.preferences()),
      episodesPath_(std::move(episodesPath))
{
    if (!episodesPath_.isEmpty()) {
        monitor_.restoreOpenEpisodes(AlertEpisodeFile::read(episodesPath_));
        // Rare (an alert, its end) and small. A file that cannot be written
        // only means an alert may show once more after a restart.
        connect(&monitor_, &AlertMonitor::openEpisodesChanged, this,
                [this] { AlertEpisodeFile::write(episodesPath_, monitor_.openEpisodes()); });
    }
    connect(&systemMonitor_, &SystemMonitor::snapshotChanged, this, &AlertCenter::evaluate);
    connect(&monitor_, &AlertMonitor::alertRaised, this, &AlertCenter::deliver);
    connect(&fleet_, &FleetAlerts::alertRaised, this, &AlertCenter::deliver);
    setNotifier(std::move(notifier));
}

void AlertCenter::evaluate(const SystemSnapshot& snapshot)
{
    if (!snapshot.fleet) {
        monitor_.evaluate(snapshot);
        return;
    }
    // The snapshot's own readings are of the fleet's machines, which are
    // watched one by one, once per reading of the fleet (the list is shared
    // until the next one).
    if (snapshot.fleet->machines.constData() == evaluatedFleet_.constData())
        return;
    evaluatedFleet_ = snapshot.fleet->machines;
    fleet_.evaluate(*snapshot.fleet);
}

AlertCenter::~AlertCenter() = default;

void AlertCenter::setNotifier(std::unique_ptr<AlertNotifier> notifier)
{
    if (!notifier)
        return;
    notifier_ = std::move(notifier);
    connect(notifier_.get(), &AlertNotifier::activated, this, [this](const AlertNotification& notification) {
        emit openRequested(alertTab(notification), notification.isMachineDown ? QString() : notification.machine);
    });
    connect(notifier_.get(), &AlertNotifier::hasServiceChanged, this, &AlertCenter::canShowAlertsChanged);
    connect(notifier_.get(), &AlertNotifier::showFinished, this, &AlertCenter::setShowFailure);
    emit canShowAlertsChanged(canShowAlerts());
}

void AlertCenter::setShowFailure(const std::optional<QString>& failure)
{
    if (failure == showFailure_)
        return;
    const bool began = failure && !showFailure_;
    showFailure_ = failure;
    emit showFailureChanged(showFailure_);
    if (began)
        emit alertsLost(*failure);
}

double AlertCenter::threshold(AlertRule rule) const
{
    return effectiveThreshold(rule, monitor_.preferences()[static_cast<size_t>(rule)], systemMonitor_.snapshot());
}

void AlertCenter::setRuleSetting(AlertRule rule, const AlertRuleSetting& setting)
{
    if (monitor_.preferences()[static_cast<size_t>(rule)] == setting)
        return;
    monitor_.setRuleSetting(rule, setting);
    fleet_.setRuleSetting(rule, setting);
    emit preferencesChanged(monitor_.preferences());
    std::optional<QString> failure;
    if (!AlertPreferencesStore::save(monitor_.preferences(), defaults_))
        failure = defaults_.lastWriteFailure();
    if (failure != saveFailure_) {
        saveFailure_ = failure;
        emit preferencesSaveFailureChanged(saveFailure_);
    }
}

void AlertCenter::deliver(const Alert& alert)
{
    if (!notifier_)
        return;
    // A fleet's machines publish no process tables.
    if (!alertNamesBusiestProcess(alert.rule) || !alert.machine.isEmpty()) {
        notifier_->show(alertNotification(alert, std::nullopt));
        return;
    }
    QPointer<AlertCenter> self(this);
    systemMonitor_.readTopProcessesOnce(processSampleSpacing, [self, alert](const QList<ProcessMetric>& processes) {
        if (self && self->notifier_)
            self->notifier_->show(alertNotification(alert, busiestProcessFor(alert.rule, processes)));
    });
}

}  // namespace moravel

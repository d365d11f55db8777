#pragma once

#include "alerts/AlertMonitor.h"
#include "alerts/AlertNotifier.h"
#include "alerts/FleetAlerts.h"

#include <QObject>

#include <memory>
#include <optional>

namespace moravel {

class DefaultsStore;
class SystemMonitor;

// Alerts in the running application: watches the monitor's snapshots (each
// machine of a fleet on its own, each time the fleet is read), shows
// each alert through the notifier (naming the busiest process where it
// applies) and turns a click on one into a request to open its tab. Keeps the
// rules' settings in the defaults store, and the episodes that have warned in
// a file, so that a restart does not warn about them again.
class AlertCenter final : public QObject {
    Q_OBJECT

public:
    // Seconds between the two process readings that measure the busiest
    // process for a message while the dashboard is closed.
    static constexpr double processSampleSpacing = 2.0;

    // Without a notifier, rules are still kept and watched, and nothing is
    // shown. An empty `episodesPath` keeps the open episodes for this run only.
    AlertCenter(SystemMonitor& monitor, Scheduler& scheduler, DefaultsStore& defaults,
                std::unique_ptr<AlertNotifier> notifier, QString episodesPath = {}, QObject* parent = nullptr);
    ~AlertCenter() override;

    const AlertPreferences& preferences() const { return monitor_.preferences(); }
    bool isActive(AlertRule rule) const { return monitor_.isActive(rule); }
    // False without a notifier, or while no notification service is there.
    bool canShowAlerts() const { return notifier_ && notifier_->hasService(); }
    // Alerts are shown from now on (the session bus answered late).
    void setNotifier(std::unique_ptr<AlertNotifier> notifier);
    // Why the latest alert could not be shown (the notification service
    // refused it); nothing once one is shown.
    const std::optional<QString>& showFailure() const { return showFailure_; }
    // The threshold the rule watches now (its default may come from the
    // latest snapshot: the CPU sensor's critical temperature).
    double threshold(AlertRule rule) const;
    // Stores the setting and starts the rule over.
    void setRuleSetting(AlertRule rule, const AlertRuleSetting& setting);
    // Why the latest change of a rule could not be saved (it holds for this
    // run only); nothing once a save succeeds.
    const std::optional<QString>& preferencesSaveFailure() const { return saveFailure_; }

signals:
    void preferencesChanged(const moravel::AlertPreferences& preferences);
    void preferencesSaveFailureChanged(const std::optional<QString>& failure);
    // showFailure() changed.
    void showFailureChanged(const std::optional<QString>& failure);
    // Alerts began to be lost: told once for a spell of refusals, not once per alert.
    void alertsLost(const QString& why);
    // The user clicked an alert: open the island on this tab, showing this
    // machine of a fleet where one is named.
    void openRequested(moravel::MetricKind tab, const QString& machine);
    void canShowAlertsChanged(bool canShowAlerts);

private:
    void evaluate(const SystemSnapshot& snapshot);
    void deliver(const Alert& alert);
    void setShowFailure(const std::optional<QString>& failure);

    SystemMonitor& systemMonitor_;
    DefaultsStore& defaults_;
    AlertMonitor monitor_;
    // The machines of a fleet, each on its own; the fleet last evaluated.
    FleetAlerts fleet_;
    QList<MachineReading> evaluatedFleet_;
    std::unique_ptr<AlertNotifier> notifier_;
    std::optional<QString> saveFailure_;
    std::optional<QString> showFailure_;
    QString episodesPath_;
};

}  // namespace moravel

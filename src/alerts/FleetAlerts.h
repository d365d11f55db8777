#pragma once

#include "alerts/AlertMonitor.h"

#include <QHash>
#include <QObject>

#include <memory>

namespace moravel {

// The alert rules for each machine of a fleet on its own, as the user set
// them for the machine watched, and one more: a machine down for a minute.
// Each warns once per episode, as the rules do: a machine down warns again
// only after it has been back up for a minute. A machine that leaves the
// fleet is forgotten.
class FleetAlerts final : public QObject {
    Q_OBJECT

public:
    static constexpr double downHoldSeconds = 60;

    FleetAlerts(Scheduler& scheduler, const AlertPreferences& preferences, QObject* parent = nullptr);
    ~FleetAlerts() override;

    void setRuleSetting(AlertRule rule, const AlertRuleSetting& setting);
    void evaluate(const FleetReading& fleet);
    // Whether the machine has been warned about as down and is not yet back.
    bool isDownActive(const QString& instance) const;

signals:
    // Each carries its machine.
    void alertRaised(const moravel::Alert& alert);

private:
    struct Machine {
        std::unique_ptr<AlertMonitor> rules;
        EpisodeCourse down;
    };

    Machine& machine(const QString& instance);

    Scheduler& scheduler_;
    AlertPreferences preferences_;
    QHash<QString, std::shared_ptr<Machine>> machines_;
};

}  // namespace moravel

#include "alerts/FleetAlerts.h"

#include <QSet>

namespace moravel {

FleetAlerts::FleetAlerts(Scheduler& scheduler, const AlertPreferences& preferences, QObject* parent)
    : QObject(parent), scheduler_(scheduler), preferences_(preferences)
{
}

FleetAlerts::~FleetAlerts() = default;

void FleetAlerts::setRuleSetting(AlertRule rule, const AlertRuleSetting& setting)
{
    preferences_[static_cast<size_t>(rule)] = setting;
    for (const std::shared_ptr<Machine>& each : std::as_const(machines_))
        each->rules->setRuleSetting(rule, setting);
}

bool FleetAlerts::isDownActive(const QString& instance) const
{
    const auto found = machines_.constFind(instance);
    return found != machines_.constEnd() && (*found)->down.fired;
}

FleetAlerts::Machine& FleetAlerts::machine(const QString& instance)
{
    std::shared_ptr<Machine>& slot = machines_[instance];
    if (!slot) {
        slot = std::make_shared<Machine>();
        slot->rules = std::make_unique<AlertMonitor>(scheduler_, preferences_);
        connect(slot->rules.get(), &AlertMonitor::alertRaised, this, [this, instance](const Alert& alert) {
            Alert named = alert;
            named.machine = instance;
            emit alertRaised(named);
        });
    }
    return *slot;
}

void FleetAlerts::evaluate(const FleetReading& fleet)
{
    const double now = scheduler_.monotonicSeconds();
    QSet<QString> present;
    for (const MachineReading& reading : fleet.machines) {
        present.insert(reading.instance);
        Machine& state = machine(reading.instance);
        // A machine that is down has no readings: its rules neither hold nor settle.
        state.rules->evaluate(reading.readings);
        if (state.down.advance(!reading.isUp, reading.isUp, downHoldSeconds, now)) {
            Alert alert;
            alert.machine = reading.instance;
            alert.isMachineDown = true;
            alert.downSince = reading.since.value_or(QDateTime());
            emit alertRaised(alert);
        }
    }
    for (auto it = machines_.begin(); it != machines_.end();) {
        it = present.contains(it.key()) ? std::next(it) : machines_.erase(it);
    }
}

}  // namespace moravel

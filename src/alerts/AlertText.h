#pragma once

#include "alerts/AlertMonitor.h"

#include <QString>

#include <optional>

namespace moravel {

// What a desktop notification says about an alert.
struct AlertNotification {
    AlertRule rule = AlertRule::cpu;
    QString summary;  // one line naming the reading: "CPU busy for 5 minutes", "Battery at 5 %"
    QString body;     // the figure, and the busiest process where it applies
    bool isUrgent = false;
    // Of a fleet: the machine it is about (its instance), and whether it says
    // the machine is down rather than the rule.
    QString machine = {};
    bool isMachineDown = false;

    friend bool operator==(const AlertNotification&, const AlertNotification&) = default;
};

// What a notification is about: a new one replaces an earlier one of the same.
QString alertSubject(const AlertNotification& notification);
// Where choosing the notification opens the island.
MetricKind alertTab(const AlertNotification& notification);

// Whether the message names the busiest process (by processor for the CPU
// and its temperature, by memory for memory).
bool alertNamesBusiestProcess(AlertRule rule);
// The process the message names, from a list of the busiest ones.
std::optional<ProcessMetric> busiestProcessFor(AlertRule rule, const QList<ProcessMetric>& processes);

AlertNotification alertNotification(const Alert& alert, const std::optional<ProcessMetric>& busiest);

}  // namespace moravel

#pragma once

#include "alerts/AlertRules.h"

#include <QWidget>

class QLabel;

#include <array>

namespace moravel {

class AlertCenter;
class SettingsMessages;
class SettingsStepper;
class SettingsSwitch;

// The settings' "Alerts" section: one row per rule with its threshold
// stepper and on/off switch, and "Reset" for the rules' defaults. Every
// change goes straight to the running rules, which keep it. Says so while
// there is no notification service to show alerts.
class SettingsAlertsSection final : public QWidget {
    Q_OBJECT

public:
    // Its message lines go to `messages`.
    SettingsAlertsSection(AlertCenter& alerts, SettingsMessages& messages, QWidget* parent = nullptr);

    // The threshold `steps` steps down (negative) or up from `value`: onto
    // the multiples of the rule's step, within the rule's range.
    static double steppedThreshold(AlertRule rule, double value, int steps);
    static QString thresholdText(AlertRule rule, double value);

private:
    void step(AlertRule rule, int steps);
    void refresh();

    AlertCenter& alerts_;
    std::array<SettingsSwitch*, alertRuleCount> switches_{};
    std::array<SettingsStepper*, alertRuleCount> steppers_{};
    QLabel* noServiceLabel_ = nullptr;
};

}  // namespace moravel

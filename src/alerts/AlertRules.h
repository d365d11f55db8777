#pragma once

#include "monitor/MetricTypes.h"

#include <array>
#include <cstdint>
#include <optional>

namespace moravel {

// What Moravel warns about when it stays wrong.
enum class AlertRule : uint8_t { cpu, memory, disk, battery, cpuTemperature };
inline constexpr size_t alertRuleCount = static_cast<size_t>(AlertRule::cpuTemperature) + 1;
// Checked against the rule table (AlertRules.cpp) by the compiler.
inline constexpr std::array<AlertRule, alertRuleCount> allAlertRules = [] {
    std::array<AlertRule, alertRuleCount> rules{};
    for (size_t i = 0; i < rules.size(); ++i)
        rules[i] = static_cast<AlertRule>(i);
    return rules;
}();

// One row of the rule table (AlertRules.cpp).
struct AlertRuleDescriptor {
    AlertRule rule = AlertRule::cpu;
    const char* key = "";    // the stored form
    const char* label = "";  // the settings' row: "CPU busy"
    const char* unit = "";   // of the threshold, as the settings show it
    // The reading the rule watches, whose value the reading table gives.
    MetricKind reading = MetricKind::cpu;
    bool firesBelow = false;  // the battery warns when it falls to the threshold, the others when they rise to it
    double defaultThreshold = 0;
    // The default is the reading's own critical level where the machine sets
    // it (a sensor's critical figure), as the island colours it.
    bool defaultsToCriticalLevel = false;
    double minimumThreshold = 0;  // the settings offer, and stored files may hold, this range
    double maximumThreshold = 0;
    double step = 0;          // of the settings' stepper: the disk fills slowly and matters near full
    double holdSeconds = 0;   // how long the reading must stay past the threshold
    double rearmMargin = 0;   // how far back it must go before another episode can warn
    MetricKind tab = MetricKind::overview;  // where the notification's default action opens the island
    // Whether the machine's state lets the rule warn at all; without this, always.
    bool (*canFire)(const SystemSnapshot& snapshot) = nullptr;
};

const AlertRuleDescriptor& alertRuleDescriptor(AlertRule rule);
std::optional<AlertRule> alertRuleFromKey(QStringView key);

// A reading must stay on the safe side of threshold and margin this long
// before the rule can warn again: one notification per episode, however the
// reading wavers around the threshold.
inline constexpr double alertRearmSeconds = 60;
// A discharging battery warns at the threshold and once more at this level.
inline constexpr double batteryFinalWarningPercent = 5;

// The course of one warning: its reading held past a level for a while,
// the warning, and the reading settled back for a minute before the next
// can come.
struct EpisodeCourse {
    bool fired = false;
    std::optional<double> heldSince;     // the reading has been past the level since then
    std::optional<double> settledSince;  // after a warning: back on the safe side since then

    // One observation at `now`: whether the reading is past the level and may
    // warn, or, once it has warned, back on the safe side. True when this
    // completes `holdSeconds` and the warning is due.
    bool advance(bool isPast, bool isSettled, double holdSeconds, double now);
    // A reading that went missing neither holds nor settles.
    void lose();
};

// One level of one rule that has warned and not yet settled back (the
// battery has two levels: its threshold and the final warning).
struct AlertEpisode {
    AlertRule rule = AlertRule::cpu;
    bool isFinalWarning = false;
};

// One rule as the user set it. No threshold means the rule's default.
struct AlertRuleSetting {
    bool enabled = true;
    std::optional<double> threshold;

    friend bool operator==(const AlertRuleSetting&, const AlertRuleSetting&) = default;
};
using AlertPreferences = std::array<AlertRuleSetting, alertRuleCount>;

// The reading a rule watches; nothing when this machine does not have it (no
// battery, no CPU sensor, the disk not read yet).
std::optional<double> alertReading(AlertRule rule, const SystemSnapshot& snapshot);
// Whether the machine's state lets the rule warn at all (the battery only
// while it discharges).
bool alertCanFire(AlertRule rule, const SystemSnapshot& snapshot);
// The threshold in force for `setting`.
double effectiveThreshold(AlertRule rule, const AlertRuleSetting& setting, const SystemSnapshot& snapshot);

}  // namespace moravel

#include "alerts/AlertMonitor.h"

namespace moravel {

namespace {

bool isPast(const AlertRuleDescriptor& d, double reading, double level)
{
    return d.firesBelow ? reading <= level : reading >= level;
}

bool isSettled(const AlertRuleDescriptor& d, double reading, double level)
{
    return d.firesBelow ? reading > level + d.rearmMargin : reading < level - d.rearmMargin;
}

// The battery warns once more at a lower level, where its threshold is above it.
bool hasFinalWarning(AlertRule rule, double threshold)
{
    return rule == AlertRule::battery && batteryFinalWarningPercent < threshold;
}

}  // namespace

AlertMonitor::AlertMonitor(Scheduler& scheduler, const AlertPreferences& preferences, QObject* parent)
    : QObject(parent), scheduler_(scheduler), preferences_(preferences)
{
}

void AlertMonitor::setRuleSetting(AlertRule rule, const AlertRuleSetting& setting)
{
    const auto index = static_cast<size_t>(rule);
    if (preferences_[index] == setting)
        return;
    const uint32_t before = openMask();
    preferences_[index] = setting;
    episodes_[index] = {};
    tellWhetherOpenEpisodesChanged(before);
}

bool AlertMonitor::isActive(AlertRule rule) const
{
    for (const Episode& episode : episodes_[static_cast<size_t>(rule)]) {
        if (episode.fired)
            return true;
    }
    return false;
}

QList<AlertEpisode> AlertMonitor::openEpisodes() const
{
    QList<AlertEpisode> open;
    for (AlertRule rule : allAlertRules) {
        const auto& episodes = episodes_[static_cast<size_t>(rule)];
        for (size_t level = 0; level < maximumLevels; ++level) {
            if (episodes[level].fired)
                open.append({rule, level > 0});
        }
    }
    return open;
}

void AlertMonitor::restoreOpenEpisodes(const QList<AlertEpisode>& episodes)
{
    const uint32_t before = openMask();
    for (const AlertEpisode& episode : episodes) {
        const auto index = static_cast<size_t>(episode.rule);
        // A final warning the threshold in force no longer has would never settle.
        if (episode.isFinalWarning
            && !hasFinalWarning(episode.rule, effectiveThreshold(episode.rule, preferences_[index], {})))
            continue;
        episodes_[index][episode.isFinalWarning ? 1 : 0] = {true, std::nullopt, std::nullopt};
    }
    tellWhetherOpenEpisodesChanged(before);
}

uint32_t AlertMonitor::openMask() const
{
    static_assert(alertRuleCount * maximumLevels <= 32);
    uint32_t mask = 0;
    for (size_t rule = 0; rule < alertRuleCount; ++rule) {
        for (size_t level = 0; level < maximumLevels; ++level) {
            if (episodes_[rule][level].fired)
                mask |= 1u << (rule * maximumLevels + level);
        }
    }
    return mask;
}

void AlertMonitor::tellWhetherOpenEpisodesChanged(uint32_t before)
{
    if (openMask() != before)
        emit openEpisodesChanged();
}

void AlertMonitor::evaluate(const SystemSnapshot& snapshot)
{
    const double now = scheduler_.monotonicSeconds();
    const uint32_t before = openMask();
    for (AlertRule rule : allAlertRules)
        evaluateRule(rule, snapshot, now);
    tellWhetherOpenEpisodesChanged(before);
}

void AlertMonitor::evaluateRule(AlertRule rule, const SystemSnapshot& snapshot, double now)
{
    const auto index = static_cast<size_t>(rule);
    if (!preferences_[index].enabled)
        return;
    auto& episodes = episodes_[index];
    const std::optional<double> reading = alertReading(rule, snapshot);
    if (!reading) {
        // A reading that went missing neither holds nor settles.
        for (Episode& episode : episodes)
            episode.lose();
        return;
    }
    const double threshold = effectiveThreshold(rule, preferences_[index], snapshot);
    std::array<double, maximumLevels> levels{threshold, 0};
    size_t levelCount = 1;
    if (hasFinalWarning(rule, threshold))
        levels[levelCount++] = batteryFinalWarningPercent;

    // Deepest level first: a battery first seen at 4 % says so once, not
    // "10 %" and "5 %" together.
    const AlertRuleDescriptor& d = alertRuleDescriptor(rule);
    const bool canFire = alertCanFire(rule, snapshot);
    std::optional<Alert> raised;
    for (size_t level = levelCount; level-- > 0;) {
        const bool past = canFire && isPast(d, *reading, levels[level]);
        if (episodes[level].advance(past, isSettled(d, *reading, levels[level]), d.holdSeconds, now) && !raised)
            raised = Alert{rule, *reading, levels[level], level > 0, snapshot};
    }
    if (raised)
        emit alertRaised(*raised);
}

}  // namespace moravel

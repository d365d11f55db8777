#pragma once

#include "alerts/AlertRules.h"
#include "support/Scheduler.h"

#include <QObject>

#include <optional>

namespace moravel {

// One warning: the reading that raised it, the level it crossed and the
// snapshot it was seen in (for the message).
struct Alert {
    AlertRule rule = AlertRule::cpu;
    double reading = 0;
    double threshold = 0;
    bool isFinalWarning = false;  // the battery's second, lower level
    SystemSnapshot snapshot;
    // Of a fleet: the machine's instance, and whether it is down (the rule
    // and readings then say nothing). Empty for the machine watched.
    QString machine = {};
    bool isMachineDown = false;
    QDateTime downSince = {};  // invalid where not known
};

// Watches the published snapshots for the alert rules, on the scheduler's
// clock. A rule warns once when its reading has stayed past the threshold for
// the rule's hold time; it can warn again only after the reading has stayed on
// the safe side of the threshold, by the rule's margin, for a minute. A rule
// switched off, or given a new threshold, starts over.
class AlertMonitor final : public QObject {
    Q_OBJECT

public:
    AlertMonitor(Scheduler& scheduler, const AlertPreferences& preferences, QObject* parent = nullptr);

    const AlertPreferences& preferences() const { return preferences_; }
    void setRuleSetting(AlertRule rule, const AlertRuleSetting& setting);

    void evaluate(const SystemSnapshot& snapshot);
    // Whether the rule has warned and its reading has not yet settled back.
    bool isActive(AlertRule rule) const;
    // The levels that have warned and not yet settled back.
    QList<AlertEpisode> openEpisodes() const;
    // Takes up episodes an earlier run left open, as if they had warned in
    // this one: they warn again only after their reading has settled.
    void restoreOpenEpisodes(const QList<AlertEpisode>& episodes);

signals:
    void alertRaised(const moravel::Alert& alert);
    void openEpisodesChanged();

private:
    // One course per level of a rule: the CPU has one, the battery two.
    using Episode = EpisodeCourse;
    static constexpr size_t maximumLevels = 2;

    void evaluateRule(AlertRule rule, const SystemSnapshot& snapshot, double now);
    // One bit per rule and level that has warned.
    uint32_t openMask() const;
    void tellWhetherOpenEpisodesChanged(uint32_t before);

    Scheduler& scheduler_;
    AlertPreferences preferences_;
    std::array<std::array<Episode, maximumLevels>, alertRuleCount> episodes_{};
};

}  // namespace moravel

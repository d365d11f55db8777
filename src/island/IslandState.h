#pragma once

#include "island/ChartRange.h"
#include "island/CollapsedMetricLayout.h"
#include "island/IslandDisplayGeometry.h"
#include "island/IslandPreferences.h"
#include "support/Scheduler.h"

#include <QObject>

#include <optional>

namespace moravel {

class DefaultsStore;

// What the island looks like right now, shared by the panel controller and
// every view. Owns the timing of opening and closing, and saves the persisted
// choices whenever they change. Main thread only.
//
// Each published property has one notifying signal, emitted when its value
// changes; collapsedMetricPreferencesChanged is emitted on every write, equal
// or not, because the panel re-places itself on it.
class IslandState final : public QObject {
    Q_OBJECT

public:
    // Content appears this long after the panel starts growing.
    static constexpr double contentDelay = 0.065;
    // The panel starts shrinking this long after the content is hidden.
    static constexpr double closeStepDelay = 0.055;
    // Grace period after the pointer leaves.
    static constexpr double delayedCloseDelay = 0.38;
    // How long views treat a size change as under way.
    static constexpr double morphDuration = 0.34;

    // "1": start expanded and pinned; "hover": expanded, unpinned; anything else: collapsed.
    static constexpr char expandedEnvironmentVariable[] = "MORAVEL_ISLAND_EXPANDED";
    // The variable's earlier name, still read when the new one is not set.
    static constexpr char legacyExpandedEnvironmentVariable[] = "KORVEL_ISLAND_EXPANDED";
    static std::optional<QString> expandedEnvironmentFromProcess();

    IslandState(DefaultsStore& defaults, Scheduler& scheduler, std::optional<QString> islandExpandedEnvironment,
                QObject* parent = nullptr);

    bool isExpanded() const { return isExpanded_; }
    bool showsExpandedContent() const { return showsExpandedContent_; }
    bool isLockedOpen() const { return isLockedOpen_; }
    bool expandOnHover() const { return expandOnHover_; }
    const CollapsedMetricPreferences& collapsedMetricPreferences() const { return collapsedMetricPreferences_; }
    MetricKind selectedMetric() const { return selectedMetric_; }
    bool showPowerFlow() const { return showPowerFlow_; }
    // The island's size as chosen, in percent; nothing follows the screen.
    std::optional<int> sizePercent() const { return sizePercent_; }
    // The collapsed island reserves its room, so that maximised windows start below it.
    bool keepsWindowsClear() const { return keepsWindowsClear_; }
    const IslandDisplayGeometry& displayGeometry() const { return displayGeometry_; }
    bool isInteractionPresented() const { return isInteractionPresented_; }
    bool isMorphing() const { return isMorphing_; }
    bool isPointerInside() const { return isPointerInside_; }
    // Kept while Moravel runs, across openings of the island; each start shows five minutes.
    ChartRange chartRange() const { return chartRange_; }
    // Why the latest change of a persisted choice could not be saved (the
    // choice holds for this run only); nothing once a save succeeds.
    const std::optional<QString>& preferencesSaveFailure() const { return preferencesSaveFailure_; }

    // The kinds shown in the collapsed island, in list order.
    QList<MetricKind> visibleCollapsedMetricKinds() const;

    // Plain writes: they notify and do nothing else.
    void setLockedOpen(bool lockedOpen);
    void setInteractionPresented(bool presented);
    void setCollapsedMetricPreferences(const CollapsedMetricPreferences& preferences);
    void setDisplayGeometry(const IslandDisplayGeometry& geometry);
    void setChartRange(ChartRange range);
    // Persisted choices: a different value is saved with the other three.
    void setExpandOnHover(bool expandOnHover);
    void setSelectedMetric(MetricKind metric);
    void setShowPowerFlow(bool show);
    // One of islandSizePercents; any other value is ignored.
    void setSizePercent(int percent);
    // Kept under its own key, beside the preferences document.
    void setKeepsWindowsClear(bool keep);
    static constexpr char keepsWindowsClearKey[] = "keepWindowsClearOfIsland.v1";

    void requestExpansion();
    // Hides the content now and shrinks the panel a moment later. Unless forced,
    // the island re-opens instead when the pointer is inside, it is pinned, or
    // an interaction is presented by then.
    void requestCollapse(bool force);
    void scheduleCollapse();
    void toggleLockedOpen();
    void beginMorph();
    void persistPreferences();

    void setPointerInside(bool inside);
    void beginInteraction();
    void endInteraction();

    bool isCollapsedMetricVisible(MetricKind kind) const;
    // False only for the last visible reading.
    bool canHideCollapsedMetric(MetricKind kind) const;
    void setCollapsedMetric(MetricKind kind, bool isVisible);
    void applyLayoutPreset(CollapsedMetricLayoutPreset preset);
    // Moves the entries at `fromOffsets` so they sit, in their relative order,
    // before the entry that was at `toOffset` (the end when it equals the size).
    // Offsets outside the list are ignored.
    void moveCollapsedMetrics(const QList<int>& fromOffsets, int toOffset);

signals:
    void isExpandedChanged(bool isExpanded);
    void showsExpandedContentChanged(bool showsExpandedContent);
    void isLockedOpenChanged(bool isLockedOpen);
    void expandOnHoverChanged(bool expandOnHover);
    void collapsedMetricPreferencesChanged(const moravel::CollapsedMetricPreferences& preferences);
    void selectedMetricChanged(moravel::MetricKind metric);
    void showPowerFlowChanged(bool showPowerFlow);
    void sizePercentChanged(std::optional<int> sizePercent);
    void keepsWindowsClearChanged(bool keepsWindowsClear);
    void displayGeometryChanged(const moravel::IslandDisplayGeometry& geometry);
    void isInteractionPresentedChanged(bool isInteractionPresented);
    void isMorphingChanged(bool isMorphing);
    void chartRangeChanged(moravel::ChartRange range);
    void preferencesSaveFailureChanged(const std::optional<QString>& failure);

private:
    void setExpanded(bool expanded);
    void setShowsExpandedContent(bool shows);
    void setMorphing(bool morphing);
    void finishCollapse(bool force);
    void reportSave(bool saved);
    qsizetype indexOfCollapsedMetric(MetricKind kind) const;

    DefaultsStore& preferencesDefaults_;
    Scheduler& scheduler_;

    bool isExpanded_ = false;
    bool showsExpandedContent_ = false;
    bool isLockedOpen_ = false;
    bool expandOnHover_ = true;
    CollapsedMetricPreferences collapsedMetricPreferences_;
    MetricKind selectedMetric_ = MetricKind::overview;
    bool showPowerFlow_ = true;
    std::optional<int> sizePercent_;
    bool keepsWindowsClear_ = true;
    IslandDisplayGeometry displayGeometry_;
    bool isInteractionPresented_ = false;
    bool isMorphing_ = false;
    bool isPointerInside_ = false;
    ChartRange chartRange_ = ChartRange::fiveMinutes;
    std::optional<QString> preferencesSaveFailure_;

    TaskSlot collapseTask_;
    TaskSlot presentationTask_;
    TaskSlot morphCompletionTask_;
};

}  // namespace moravel

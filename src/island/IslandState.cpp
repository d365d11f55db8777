#include "island/IslandState.h"

#include "monitor/ReadingTable.h"
#include "support/DefaultsStore.h"

#include <algorithm>

namespace moravel {

std::optional<QString> IslandState::expandedEnvironmentFromProcess()
{
    for (const char* name : {expandedEnvironmentVariable, legacyExpandedEnvironmentVariable}) {
        if (qEnvironmentVariableIsSet(name))
            return qEnvironmentVariable(name);
    }
    return std::nullopt;
}

IslandState::IslandState(DefaultsStore& defaults, Scheduler& scheduler,
                         std::optional<QString> islandExpandedEnvironment, QObject* parent)
    : QObject(parent), preferencesDefaults_(defaults), scheduler_(scheduler)
{
    const IslandPreferences preferences = IslandPreferencesStore::load(defaults);
    collapsedMetricPreferences_ = preferences.collapsedMetrics;
    expandOnHover_ = preferences.expandOnHover;
    selectedMetric_ = preferences.selectedMetric;
    showPowerFlow_ = preferences.showPowerFlow;
    sizePercent_ = preferences.sizePercent;
    keepsWindowsClear_ = defaults.data(QString::fromLatin1(keepsWindowsClearKey)) != QByteArrayLiteral("false");

    const bool pinned = islandExpandedEnvironment == QLatin1StringView("1");
    const bool startsExpanded = pinned || islandExpandedEnvironment == QLatin1StringView("hover");
    isExpanded_ = startsExpanded;
    showsExpandedContent_ = startsExpanded;
    setLockedOpen(pinned);
}

QList<MetricKind> IslandState::visibleCollapsedMetricKinds() const
{
    return CollapsedMetricConfiguration::visibleKinds(collapsedMetricPreferences_);
}

// --- Property writes -------------------------------------------------------

void IslandState::setExpanded(bool expanded)
{
    if (isExpanded_ == expanded)
        return;
    isExpanded_ = expanded;
    emit isExpandedChanged(expanded);
}

void IslandState::setShowsExpandedContent(bool shows)
{
    if (showsExpandedContent_ == shows)
        return;
    showsExpandedContent_ = shows;
    emit showsExpandedContentChanged(shows);
}

void IslandState::setMorphing(bool morphing)
{
    if (isMorphing_ == morphing)
        return;
    isMorphing_ = morphing;
    emit isMorphingChanged(morphing);
}

void IslandState::setLockedOpen(bool lockedOpen)
{
    if (isLockedOpen_ == lockedOpen)
        return;
    isLockedOpen_ = lockedOpen;
    emit isLockedOpenChanged(lockedOpen);
}

void IslandState::setInteractionPresented(bool presented)
{
    if (isInteractionPresented_ == presented)
        return;
    isInteractionPresented_ = presented;
    emit isInteractionPresentedChanged(presented);
}

void IslandState::setCollapsedMetricPreferences(const CollapsedMetricPreferences& preferences)
{
    collapsedMetricPreferences_ = preferences;
    emit collapsedMetricPreferencesChanged(collapsedMetricPreferences_);
}

void IslandState::setDisplayGeometry(const IslandDisplayGeometry& geometry)
{
    if (displayGeometry_ == geometry)
        return;
    displayGeometry_ = geometry;
    emit displayGeometryChanged(displayGeometry_);
}

void IslandState::setChartRange(ChartRange range)
{
    if (chartRange_ == range)
        return;
    chartRange_ = range;
    emit chartRangeChanged(chartRange_);
}

void IslandState::setExpandOnHover(bool expandOnHover)
{
    if (expandOnHover_ == expandOnHover)
        return;
    expandOnHover_ = expandOnHover;
    emit expandOnHoverChanged(expandOnHover);
    persistPreferences();
}

void IslandState::setSelectedMetric(MetricKind metric)
{
    if (selectedMetric_ == metric || !ReadingTable::tabs().contains(metric))
        return;
    selectedMetric_ = metric;
    emit selectedMetricChanged(metric);
    persistPreferences();
}

void IslandState::setShowPowerFlow(bool show)
{
    if (showPowerFlow_ == show)
        return;
    showPowerFlow_ = show;
    emit showPowerFlowChanged(show);
    persistPreferences();
}

void IslandState::setSizePercent(int percent)
{
    if (sizePercent_ == percent
        || std::find(islandSizePercents.begin(), islandSizePercents.end(), percent) == islandSizePercents.end())
        return;
    sizePercent_ = percent;
    emit sizePercentChanged(sizePercent_);
    persistPreferences();
}

void IslandState::setKeepsWindowsClear(bool keep)
{
    if (keepsWindowsClear_ == keep)
        return;
    keepsWindowsClear_ = keep;
    emit keepsWindowsClearChanged(keep);
    reportSave(preferencesDefaults_.setData(QString::fromLatin1(keepsWindowsClearKey),
                                            keep ? QByteArrayLiteral("true") : QByteArrayLiteral("false")));
}

// --- Opening and closing ---------------------------------------------------

void IslandState::beginMorph()
{
    morphCompletionTask_.cancel();
    setMorphing(true);
    morphCompletionTask_.arm(scheduler_, morphDuration, this, [this] { setMorphing(false); });
}

void IslandState::requestExpansion()
{
    presentationTask_.cancel();
    if (isExpanded_ && showsExpandedContent_)
        return;
    beginMorph();
    setExpanded(true);
    if (!showsExpandedContent_)
        presentationTask_.arm(scheduler_, contentDelay, this, [this] { setShowsExpandedContent(true); });
}

void IslandState::requestCollapse(bool force)
{
    presentationTask_.cancel();
    if (!isExpanded_ && !showsExpandedContent_)
        return;
    beginMorph();
    setShowsExpandedContent(false);
    if (isExpanded_)
        presentationTask_.arm(scheduler_, closeStepDelay, this, [this, force] { finishCollapse(force); });
}

void IslandState::finishCollapse(bool force)
{
    const bool mustStayOpen = isPointerInside_ || isLockedOpen_ || isInteractionPresented_;
    if (!force && mustStayOpen)
        requestExpansion();
    else
        setExpanded(false);
}

void IslandState::scheduleCollapse()
{
    collapseTask_.cancel();
    collapseTask_.arm(scheduler_, delayedCloseDelay, this, [this] { requestCollapse(false); });
}

void IslandState::toggleLockedOpen()
{
    setLockedOpen(!isLockedOpen_);
    if (isLockedOpen_)
        requestExpansion();
    else
        requestCollapse(true);
}

void IslandState::setPointerInside(bool inside)
{
    isPointerInside_ = inside;
    if (inside) {
        collapseTask_.cancel();
        if (expandOnHover_)
            requestExpansion();
    } else if (!isLockedOpen_ && !isInteractionPresented_) {
        scheduleCollapse();
    }
}

void IslandState::beginInteraction()
{
    setInteractionPresented(true);
    collapseTask_.cancel();
    requestExpansion();
}

void IslandState::endInteraction()
{
    setInteractionPresented(false);
    if (!isPointerInside_ && !isLockedOpen_)
        scheduleCollapse();
}

// --- Persisted choices -----------------------------------------------------

void IslandState::persistPreferences()
{
    reportSave(IslandPreferencesStore::save(
        IslandPreferences{collapsedMetricPreferences_, expandOnHover_, selectedMetric_, showPowerFlow_, sizePercent_},
        preferencesDefaults_));
}

void IslandState::reportSave(bool saved)
{
    std::optional<QString> failure;
    if (!saved)
        failure = preferencesDefaults_.lastWriteFailure();
    if (failure == preferencesSaveFailure_)
        return;
    preferencesSaveFailure_ = std::move(failure);
    emit preferencesSaveFailureChanged(preferencesSaveFailure_);
}

qsizetype IslandState::indexOfCollapsedMetric(MetricKind kind) const
{
    const auto found = std::find_if(collapsedMetricPreferences_.cbegin(), collapsedMetricPreferences_.cend(),
                                    [kind](const CollapsedMetricPreference& p) { return p.kind == kind; });
    return found == collapsedMetricPreferences_.cend() ? -1 : found - collapsedMetricPreferences_.cbegin();
}

bool IslandState::isCollapsedMetricVisible(MetricKind kind) const
{
    const qsizetype index = indexOfCollapsedMetric(kind);
    return index >= 0 && collapsedMetricPreferences_[index].isVisible;
}

bool IslandState::canHideCollapsedMetric(MetricKind kind) const
{
    if (!isCollapsedMetricVisible(kind))
        return true;
    const auto visibleCount = std::count_if(collapsedMetricPreferences_.cbegin(), collapsedMetricPreferences_.cend(),
                                            [](const CollapsedMetricPreference& p) { return p.isVisible; });
    return visibleCount > 1;
}

void IslandState::setCollapsedMetric(MetricKind kind, bool isVisible)
{
    const qsizetype index = indexOfCollapsedMetric(kind);
    if (index < 0 || collapsedMetricPreferences_[index].isVisible == isVisible)
        return;
    if (!isVisible && !canHideCollapsedMetric(kind))
        return;
    collapsedMetricPreferences_[index].isVisible = isVisible;
    emit collapsedMetricPreferencesChanged(collapsedMetricPreferences_);
    persistPreferences();
}

void IslandState::applyLayoutPreset(CollapsedMetricLayoutPreset preset)
{
    setCollapsedMetricPreferences(preferences(preset));
    persistPreferences();
}

void IslandState::moveCollapsedMetrics(const QList<int>& fromOffsets, int toOffset)
{
    const qsizetype count = collapsedMetricPreferences_.size();
    QList<bool> moving(count, false);
    for (int offset : fromOffsets) {
        if (offset >= 0 && offset < count)
            moving[offset] = true;
    }
    const qsizetype destination = std::clamp<qsizetype>(toOffset, 0, count);

    CollapsedMetricPreferences moved;
    CollapsedMetricPreferences staying;
    qsizetype insertAt = 0;
    for (qsizetype i = 0; i < count; ++i) {
        if (moving[i]) {
            moved.append(collapsedMetricPreferences_[i]);
        } else {
            staying.append(collapsedMetricPreferences_[i]);
            if (i < destination)
                ++insertAt;
        }
    }
    for (qsizetype i = 0; i < moved.size(); ++i)
        staying.insert(insertAt + i, moved[i]);

    collapsedMetricPreferences_ = std::move(staying);
    emit collapsedMetricPreferencesChanged(collapsedMetricPreferences_);
    persistPreferences();
}

}  // namespace moravel

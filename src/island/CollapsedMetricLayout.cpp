#include "island/CollapsedMetricLayout.h"

#include "monitor/ReadingTable.h"

#include <algorithm>

namespace moravel {

namespace CollapsedMetricLayout {

double rowWidth(MetricKind kind)
{
    const auto& collapsed = ReadingTable::of(kind).collapsed;
    return collapsed ? collapsed->width : 0;
}

bool showsDash(MetricKind kind, const SystemSnapshot& snapshot)
{
    if (ReadingTable::isAbsent(kind, snapshot))
        return true;
    // Below 1 % the battery figure is no reading.
    const BatteryReading* battery = batteryOf(snapshot);
    return kind == MetricKind::power && !(battery && battery->percent && *battery->percent >= 1);
}

double shownWidth(MetricKind kind, const SystemSnapshot& snapshot)
{
    return kind == MetricKind::power && !batteryOf(snapshot) ? dashWidth : rowWidth(kind);
}

namespace {

double rangeWidth(const MetricKind* begin, const MetricKind* end, const WidthOf& widthOf)
{
    if (begin == end)
        return 0;
    double width = spacing * static_cast<double>(end - begin - 1);
    for (const MetricKind* kind = begin; kind != end; ++kind)
        width += widthOf ? widthOf(*kind) : rowWidth(*kind);
    return width;
}

}  // namespace

double rowWidth(const QList<MetricKind>& kinds, const WidthOf& widthOf)
{
    return rangeWidth(kinds.constData(), kinds.constData() + kinds.size(), widthOf);
}

namespace {

struct Cut {
    qsizetype position;
    double widerSide;
};

Cut bestCut(const QList<MetricKind>& kinds, const WidthOf& widthOf)
{
    const qsizetype count = kinds.size();
    const MetricKind* data = kinds.constData();
    if (count < 2)
        return {count, rangeWidth(data, data + count, widthOf)};
    Cut best{1, std::max(rangeWidth(data, data + 1, widthOf), rangeWidth(data + 1, data + count, widthOf))};
    for (qsizetype cut = 2; cut < count; ++cut) {
        const double widerSide =
            std::max(rangeWidth(data, data + cut, widthOf), rangeWidth(data + cut, data + count, widthOf));
        if (widerSide < best.widerSide)
            best = {cut, widerSide};
    }
    return best;
}

}  // namespace

qsizetype notchCutPosition(const QList<MetricKind>& kinds, const WidthOf& widthOf)
{
    return bestCut(kinds, widthOf).position;
}

double widerSideWidth(const QList<MetricKind>& kinds, const WidthOf& widthOf)
{
    return bestCut(kinds, widthOf).widerSide;
}

Split splitAroundNotch(const QList<MetricKind>& kinds, const WidthOf& widthOf)
{
    const qsizetype cut = notchCutPosition(kinds, widthOf);
    return Split{kinds.first(cut), kinds.sliced(cut)};
}

}  // namespace CollapsedMetricLayout

QString rawValue(CollapsedMetricLayoutPreset preset)
{
    switch (preset) {
    case CollapsedMetricLayoutPreset::minimal: return QStringLiteral("minimal");
    case CollapsedMetricLayoutPreset::balanced: return QStringLiteral("balanced");
    case CollapsedMetricLayoutPreset::power: return QStringLiteral("power");
    }
    return {};
}

QString title(CollapsedMetricLayoutPreset preset)
{
    switch (preset) {
    case CollapsedMetricLayoutPreset::minimal: return QStringLiteral("Minimal");
    case CollapsedMetricLayoutPreset::balanced: return QStringLiteral("Balanced");
    case CollapsedMetricLayoutPreset::power: return QStringLiteral("Power");
    }
    return {};
}

QList<MetricKind> visibleKinds(CollapsedMetricLayoutPreset preset)
{
    using K = MetricKind;
    switch (preset) {
    case CollapsedMetricLayoutPreset::minimal: return {K::cpu, K::memory};
    case CollapsedMetricLayoutPreset::balanced: return {K::network, K::cpu, K::memory, K::power};
    case CollapsedMetricLayoutPreset::power: return {K::power, K::cpu, K::memory};
    }
    return {};
}

CollapsedMetricPreferences preferences(CollapsedMetricLayoutPreset preset)
{
    const QList<MetricKind> shown = visibleKinds(preset);
    CollapsedMetricPreferences list;
    for (MetricKind kind : shown)
        list.append({kind, true});
    for (MetricKind kind : ReadingTable::collapsedKinds()) {
        if (!shown.contains(kind))
            list.append({kind, false});
    }
    return CollapsedMetricConfiguration::normalized(list);
}

std::optional<CollapsedMetricLayoutPreset> matchingLayoutPreset(const CollapsedMetricPreferences& preferences)
{
    const QList<MetricKind> shown = CollapsedMetricConfiguration::visibleKinds(preferences);
    for (CollapsedMetricLayoutPreset preset : allCollapsedMetricLayoutPresets) {
        if (visibleKinds(preset) == shown)
            return preset;
    }
    return std::nullopt;
}

}  // namespace moravel

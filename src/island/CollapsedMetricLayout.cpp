#include "island/CollapsedMetricLayout.h"

#include <algorithm>

namespace moravel {

namespace CollapsedMetricLayout {

double rowWidth(CollapsedMetricKind kind)
{
    switch (kind) {
    case CollapsedMetricKind::network: return 90;
    case CollapsedMetricKind::cpu: return 48;
    case CollapsedMetricKind::memory: return 48;
    case CollapsedMetricKind::power: return 94;
    }
    return 0;
}

namespace {

double rangeWidth(const CollapsedMetricKind* begin, const CollapsedMetricKind* end)
{
    if (begin == end)
        return 0;
    double width = spacing * static_cast<double>(end - begin - 1);
    for (const CollapsedMetricKind* kind = begin; kind != end; ++kind)
        width += rowWidth(*kind);
    return width;
}

}  // namespace

double rowWidth(const QList<CollapsedMetricKind>& kinds)
{
    return rangeWidth(kinds.constData(), kinds.constData() + kinds.size());
}

namespace {

struct Cut {
    qsizetype position;
    double widerSide;
};

Cut bestCut(const QList<CollapsedMetricKind>& kinds)
{
    const qsizetype count = kinds.size();
    const CollapsedMetricKind* data = kinds.constData();
    if (count < 2)
        return {count, rangeWidth(data, data + count)};
    Cut best{1, std::max(rangeWidth(data, data + 1), rangeWidth(data + 1, data + count))};
    for (qsizetype cut = 2; cut < count; ++cut) {
        const double widerSide = std::max(rangeWidth(data, data + cut), rangeWidth(data + cut, data + count));
        if (widerSide < best.widerSide)
            best = {cut, widerSide};
    }
    return best;
}

}  // namespace

qsizetype notchCutPosition(const QList<CollapsedMetricKind>& kinds)
{
    return bestCut(kinds).position;
}

double widerSideWidth(const QList<CollapsedMetricKind>& kinds)
{
    return bestCut(kinds).widerSide;
}

Split splitAroundNotch(const QList<CollapsedMetricKind>& kinds)
{
    const qsizetype cut = notchCutPosition(kinds);
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

QList<CollapsedMetricKind> visibleKinds(CollapsedMetricLayoutPreset preset)
{
    using K = CollapsedMetricKind;
    switch (preset) {
    case CollapsedMetricLayoutPreset::minimal: return {K::cpu, K::memory};
    case CollapsedMetricLayoutPreset::balanced: return {K::network, K::cpu, K::memory, K::power};
    case CollapsedMetricLayoutPreset::power: return {K::power, K::cpu, K::memory};
    }
    return {};
}

CollapsedMetricPreferences preferences(CollapsedMetricLayoutPreset preset)
{
    const QList<CollapsedMetricKind> shown = visibleKinds(preset);
    CollapsedMetricPreferences list;
    for (CollapsedMetricKind kind : shown)
        list.append({kind, true});
    for (CollapsedMetricKind kind : allCollapsedMetricKinds) {
        if (!shown.contains(kind))
            list.append({kind, false});
    }
    return CollapsedMetricConfiguration::normalized(list);
}

std::optional<CollapsedMetricLayoutPreset> matchingLayoutPreset(const CollapsedMetricPreferences& preferences)
{
    const QList<CollapsedMetricKind> shown = CollapsedMetricConfiguration::visibleKinds(preferences);
    for (CollapsedMetricLayoutPreset preset : allCollapsedMetricLayoutPresets) {
        if (visibleKinds(preset) == shown)
            return preset;
    }
    return std::nullopt;
}

}  // namespace moravel

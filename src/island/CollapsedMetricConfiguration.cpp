#include "island/CollapsedMetricConfiguration.h"

#include "island/IslandJson.h"
#include "monitor/ReadingTable.h"
#include "support/DefaultsStore.h"

namespace moravel {

namespace CollapsedMetricConfiguration {

const CollapsedMetricPreferences& defaultPreferences()
{
    static const CollapsedMetricPreferences defaults = [] {
        CollapsedMetricPreferences list;
        for (MetricKind kind : ReadingTable::collapsedKinds())
            list.append({kind, ReadingTable::of(kind).collapsed->addedVisible});
        return list;
    }();
    return defaults;
}

CollapsedMetricPreferences normalized(const CollapsedMetricPreferences& preferences)
{
    std::array<bool, metricKindCount> seen{};
    CollapsedMetricPreferences result;
    result.reserve(ReadingTable::collapsedKinds().size());
    for (const CollapsedMetricPreference& preference : preferences) {
        if (!ReadingTable::of(preference.kind).collapsed)
            continue;  // a tab, not a collapsed reading
        bool& kindSeen = seen[static_cast<size_t>(preference.kind)];
        if (!kindSeen)
            result.append(preference);
        kindSeen = true;
    }
    for (MetricKind kind : ReadingTable::collapsedKinds()) {
        if (!seen[static_cast<size_t>(kind)])
            result.append({kind, ReadingTable::of(kind).collapsed->addedVisible});
    }
    const bool anyVisible = std::any_of(result.cbegin(), result.cend(),
                                        [](const CollapsedMetricPreference& p) { return p.isVisible; });
    if (!anyVisible && !result.isEmpty())
        result.first().isVisible = true;
    return result;
}

CollapsedMetricPreferences load(const DefaultsStore& defaults)
{
    if (const std::optional<QByteArray> stored = defaults.data(QString::fromLatin1(storageKey))) {
        if (const auto decoded = decodeCollapsedMetricPreferences(*stored))
            return normalized(*decoded);
    }
    return defaultPreferences();
}

void save(const CollapsedMetricPreferences& preferences, DefaultsStore& defaults)
{
    defaults.setData(QString::fromLatin1(storageKey), encodeCollapsedMetricPreferences(normalized(preferences)));
}

QList<MetricKind> visibleKinds(const CollapsedMetricPreferences& preferences)
{
    QList<MetricKind> kinds;
    kinds.reserve(preferences.size());
    for (const CollapsedMetricPreference& preference : preferences) {
        if (preference.isVisible)
            kinds.append(preference.kind);
    }
    return kinds;
}

}  // namespace CollapsedMetricConfiguration

}  // namespace moravel

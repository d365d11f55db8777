#include "island/CollapsedMetricConfiguration.h"

#include "island/IslandJson.h"
#include "support/DefaultsStore.h"

namespace moravel {

QString rawValue(CollapsedMetricKind kind)
{
    switch (kind) {
    case CollapsedMetricKind::network: return QStringLiteral("network");
    case CollapsedMetricKind::cpu: return QStringLiteral("cpu");
    case CollapsedMetricKind::memory: return QStringLiteral("memory");
    case CollapsedMetricKind::power: return QStringLiteral("power");
    }
    return {};
}

std::optional<CollapsedMetricKind> collapsedMetricKindFromRawValue(QStringView raw)
{
    for (CollapsedMetricKind kind : allCollapsedMetricKinds) {
        if (raw == rawValue(kind))
            return kind;
    }
    return std::nullopt;
}

namespace CollapsedMetricConfiguration {

const CollapsedMetricPreferences& defaultPreferences()
{
    static const CollapsedMetricPreferences defaults = [] {
        CollapsedMetricPreferences list;
        for (CollapsedMetricKind kind : allCollapsedMetricKinds)
            list.append({kind, true});
        return list;
    }();
    return defaults;
}

CollapsedMetricPreferences normalized(const CollapsedMetricPreferences& preferences)
{
    std::array<bool, allCollapsedMetricKinds.size()> seen{};
    CollapsedMetricPreferences result;
    result.reserve(allCollapsedMetricKinds.size());
    for (const CollapsedMetricPreference& preference : preferences) {
        bool& kindSeen = seen[static_cast<size_t>(preference.kind)];
        if (!kindSeen)
            result.append(preference);
        kindSeen = true;
    }
    for (CollapsedMetricKind kind : allCollapsedMetricKinds) {
        if (!seen[static_cast<size_t>(kind)])
            result.append({kind, true});
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

QList<CollapsedMetricKind> visibleKinds(const CollapsedMetricPreferences& preferences)
{
    QList<CollapsedMetricKind> kinds;
    kinds.reserve(preferences.size());
    for (const CollapsedMetricPreference& preference : preferences) {
        if (preference.isVisible)
            kinds.append(preference.kind);
    }
    return kinds;
}

}  // namespace CollapsedMetricConfiguration

}  // namespace moravel

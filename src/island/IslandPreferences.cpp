#include "island/IslandPreferences.h"

#include "island/IslandJson.h"
#include "monitor/ReadingTable.h"
#include "support/DefaultsStore.h"

#include <algorithm>

namespace moravel {

int defaultIslandSizePercent(double devicePixelRatio)
{
    return devicePixelRatio < 1.5 ? 125 : 100;
}

}  // namespace moravel

namespace moravel::IslandPreferencesStore {

IslandPreferences normalized(IslandPreferences preferences)
{
    // Only a tab can be stored as the selected one.
    if (!ReadingTable::tabs().contains(preferences.selectedMetric))
        preferences.selectedMetric = MetricKind::overview;
    // A size that is not offered follows the screen again.
    if (preferences.sizePercent
        && std::find(islandSizePercents.begin(), islandSizePercents.end(), *preferences.sizePercent)
               == islandSizePercents.end())
        preferences.sizePercent.reset();
    preferences.collapsedMetrics = CollapsedMetricConfiguration::normalized(preferences.collapsedMetrics);
    return preferences;
}

IslandPreferences load(DefaultsStore& defaults)
{
    if (const std::optional<QByteArray> stored = defaults.data(QString::fromLatin1(storageKey))) {
        if (std::optional<IslandPreferences> decoded = decodeIslandPreferences(*stored))
            return normalized(std::move(*decoded));
    }
    IslandPreferences rebuilt;
    rebuilt.collapsedMetrics = CollapsedMetricConfiguration::load(defaults);
    save(rebuilt, defaults);
    return rebuilt;
}

bool save(const IslandPreferences& preferences, DefaultsStore& defaults)
{
    const IslandPreferences normal = normalized(preferences);
    // When the document cannot be written, leave the older key alone too, so
    // the two keys keep agreeing with each other.
    if (!defaults.setData(QString::fromLatin1(storageKey), encodeIslandPreferences(normal)))
        return false;
    CollapsedMetricConfiguration::save(normal.collapsedMetrics, defaults);
    return true;
}

}  // namespace moravel::IslandPreferencesStore

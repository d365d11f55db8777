#pragma once

#include "island/CollapsedMetricConfiguration.h"
#include "monitor/MetricTypes.h"

namespace moravel {

class DefaultsStore;

// The four island choices kept between runs.
struct IslandPreferences {
    CollapsedMetricPreferences collapsedMetrics = CollapsedMetricConfiguration::defaultPreferences();
    bool expandOnHover = true;
    MetricKind selectedMetric = MetricKind::overview;
    bool showPowerFlow = true;

    friend bool operator==(const IslandPreferences&, const IslandPreferences&) = default;
};

// Loads and saves IslandPreferences as one JSON document, and keeps the older
// collapsed-list key written alongside it so the two never drift apart.
namespace IslandPreferencesStore {

inline constexpr char storageKey[] = "islandPreferences.v1";

IslandPreferences normalized(IslandPreferences preferences);

// Never fails. An unreadable or missing document is rebuilt from the defaults
// and the older list (when that is readable) and written back at once.
IslandPreferences load(DefaultsStore& defaults);
// Writes the normalised document, then the list under its older key. A
// failure leaves what was stored; the result tells whether the document was
// written (the store says why not).
bool save(const IslandPreferences& preferences, DefaultsStore& defaults);

}  // namespace IslandPreferencesStore

}  // namespace moravel

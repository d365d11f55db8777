#pragma once

#include "island/CollapsedMetricConfiguration.h"
#include "monitor/MetricTypes.h"

#include <array>
#include <optional>

namespace moravel {

class DefaultsStore;

// The island's sizes people can choose, in percent of its designed size.
inline constexpr std::array<int, 3> islandSizePercents{100, 125, 150};

// The island's size where nobody chose one: 125 % on a screen of one device
// pixel per logical pixel (most 1080p laptops and monitors), where the
// designed sizes come out small, 100 % on dense screens (1.5 or more).
int defaultIslandSizePercent(double devicePixelRatio);

// The island choices kept between runs.
struct IslandPreferences {
    CollapsedMetricPreferences collapsedMetrics = CollapsedMetricConfiguration::defaultPreferences();
    bool expandOnHover = true;
    MetricKind selectedMetric = MetricKind::overview;
    bool showPowerFlow = true;
    // One of islandSizePercents, once chosen; nothing follows the screen.
    std::optional<int> sizePercent = std::nullopt;

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

#pragma once

#include "monitor/MetricTypes.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

namespace moravel {

class DefaultsStore;

// One entry of the user's ordered list of collapsed readings.
struct CollapsedMetricPreference {
    MetricKind kind = MetricKind::network;  // one of ReadingTable::collapsedKinds()
    bool isVisible = true;

    friend bool operator==(const CollapsedMetricPreference&, const CollapsedMetricPreference&) = default;
};

inline size_t qHash(const CollapsedMetricPreference& preference, size_t seed = 0)
{
    return qHashMulti(seed, static_cast<int>(preference.kind), preference.isVisible);
}

using CollapsedMetricPreferences = QList<CollapsedMetricPreference>;

namespace CollapsedMetricConfiguration {

inline constexpr char storageKey[] = "collapsedMetricPreferences.v1";

// Every collapsed reading in the table's order: network, cpu, memory and
// power visible, later additions hidden.
const CollapsedMetricPreferences& defaultPreferences();

// Each collapsed kind exactly once (the first entry of a kind wins, user order
// first, missing kinds appended as the table says) and at least one entry
// visible. Idempotent.
CollapsedMetricPreferences normalized(const CollapsedMetricPreferences& preferences);

// The stored list, normalised; the defaults when nothing readable is stored.
CollapsedMetricPreferences load(const DefaultsStore& defaults);
// Stores the normalised list. Failures are silent: the old value stays.
void save(const CollapsedMetricPreferences& preferences, DefaultsStore& defaults);

// The kinds of the visible entries, in list order.
QList<MetricKind> visibleKinds(const CollapsedMetricPreferences& preferences);

}  // namespace CollapsedMetricConfiguration

}  // namespace moravel

#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

namespace moravel {

class DefaultsStore;

// The readings the collapsed island can show. Declaration order is also the
// order in which missing kinds are appended to a user's list.
enum class CollapsedMetricKind { network, cpu, memory, power };

inline constexpr std::array<CollapsedMetricKind, 4> allCollapsedMetricKinds{
    CollapsedMetricKind::network, CollapsedMetricKind::cpu, CollapsedMetricKind::memory, CollapsedMetricKind::power};

// The stored form: "network", "cpu", "memory", "power".
QString rawValue(CollapsedMetricKind kind);
// Exact, case-sensitive match of the stored form; nothing for any other text.
std::optional<CollapsedMetricKind> collapsedMetricKindFromRawValue(QStringView raw);

// One entry of the user's ordered list of collapsed readings.
struct CollapsedMetricPreference {
    CollapsedMetricKind kind = CollapsedMetricKind::network;
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

// network, cpu, memory, power, all visible.
const CollapsedMetricPreferences& defaultPreferences();

// Each kind exactly once (the first entry of a kind wins, user order first,
// missing kinds appended visible) and at least one entry visible. Idempotent.
CollapsedMetricPreferences normalized(const CollapsedMetricPreferences& preferences);

// The stored list, normalised; the defaults when nothing readable is stored.
CollapsedMetricPreferences load(const DefaultsStore& defaults);
// Stores the normalised list. Failures are silent: the old value stays.
void save(const CollapsedMetricPreferences& preferences, DefaultsStore& defaults);

// The kinds of the visible entries, in list order.
QList<CollapsedMetricKind> visibleKinds(const CollapsedMetricPreferences& preferences);

}  // namespace CollapsedMetricConfiguration

}  // namespace moravel

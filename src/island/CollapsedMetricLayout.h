#pragma once

#include "island/CollapsedMetricConfiguration.h"

#include <functional>

namespace moravel {

// Width arithmetic of the collapsed row and its split around the notch.
namespace CollapsedMetricLayout {

inline constexpr double spacing = 17;

// Points reserved for one reading in the collapsed row.
double rowWidth(MetricKind kind);
// How wide each reading is drawn; none: its width in the table.
using WidthOf = std::function<double(MetricKind)>;
// The kinds side by side with `spacing` between neighbours; 0 for none.
double rowWidth(const QList<MetricKind>& kinds, const WidthOf& widthOf = {});
// Whether the reading shows only its icon and a dash: the machine does not
// have it, or has no battery reading for the power reading.
bool showsDash(MetricKind kind, const SystemSnapshot& snapshot);
// The points a power reading takes without a battery: its icon and a dash.
inline constexpr double dashWidth = 28;
// The points the reading takes as the snapshot has it: its width in the
// table, whether its figures are measured yet or not, so that no frame
// changes when a reading arrives a second after the rest; a power reading
// without a battery (a desktop's, read with the first reading) a dash's.
double shownWidth(MetricKind kind, const SystemSnapshot& snapshot);

struct Split {
    QList<MetricKind> left;
    QList<MetricKind> right;

    friend bool operator==(const Split&, const Split&) = default;
};

// Cuts the kinds, order kept, into a left and a right run whose wider side is
// as narrow as possible (the earliest such cut on ties). One kind goes left.
Split splitAroundNotch(const QList<MetricKind>& kinds, const WidthOf& widthOf = {});
// The position of that cut: left = kinds[0..cut), right = kinds[cut..).
qsizetype notchCutPosition(const QList<MetricKind>& kinds, const WidthOf& widthOf = {});
// The width of the wider run of that split; both sides of the notch get it.
double widerSideWidth(const QList<MetricKind>& kinds, const WidthOf& widthOf = {});

}  // namespace CollapsedMetricLayout

// The named layouts offered in settings.
enum class CollapsedMetricLayoutPreset { minimal, balanced, power };

inline constexpr std::array<CollapsedMetricLayoutPreset, 3> allCollapsedMetricLayoutPresets{
    CollapsedMetricLayoutPreset::minimal, CollapsedMetricLayoutPreset::balanced, CollapsedMetricLayoutPreset::power};

// "minimal", "balanced", "power".
QString rawValue(CollapsedMetricLayoutPreset preset);
// "Minimal", "Balanced", "Power".
QString title(CollapsedMetricLayoutPreset preset);
// The kinds the preset shows, left to right.
QList<MetricKind> visibleKinds(CollapsedMetricLayoutPreset preset);
// The full list the preset stands for: its kinds visible, every other kind hidden after them.
CollapsedMetricPreferences preferences(CollapsedMetricLayoutPreset preset);
// The first preset whose visible kinds equal, in order, the visible kinds of the list.
std::optional<CollapsedMetricLayoutPreset> matchingLayoutPreset(const CollapsedMetricPreferences& preferences);

}  // namespace moravel

#pragma once

#include "monitor/ReadingTable.h"

#include <QColor>

#include <cstdint>
#include <optional>

namespace moravel {

// The palette colours of the reading table's levels and tones.
const QColor& levelColor(Level level);
const QColor& toneColor(Tone tone);

// A reading's colour at `value`: by its thresholds where it has them,
// otherwise its tone.
const QColor& readingColor(MetricKind kind, double value);
// A reading's colour in `snapshot`, by the machine's own thresholds where it
// has them; the secondary colour where the machine has no such reading.
const QColor& readingColor(MetricKind kind, const SystemSnapshot& snapshot);

// The battery's figures: amber or red while it runs low, else `calm`.
// An unknown level is no warning.
const QColor& batteryColor(std::optional<int64_t> percent, const QColor& calm);

}  // namespace moravel

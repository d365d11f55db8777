#pragma once

#include "monitor/Formatters.h"
#include "monitor/MetricTypes.h"

#include <span>

namespace moravel {

// What each series of the history is: its name in JSON output and stored
// history, and how it is read off a snapshot (NaN where the snapshot lacks it).
struct SeriesDescriptor {
    Series series;
    const char* jsonName;
    double (*value)(const SystemSnapshot& snapshot);
    FigureUnit unit;
};

// Every series, in the order of the enumeration.
std::span<const SeriesDescriptor, seriesCount> allSeries();
const SeriesDescriptor& descriptor(Series series);

// The history's point for a snapshot taken at `time`.
MetricSample sampleOf(const SystemSnapshot& snapshot, const QDateTime& time);

}  // namespace moravel

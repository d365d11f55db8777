#pragma once

#include "monitor/MetricTypes.h"

#include <array>
#include <optional>

namespace moravel {

// What each series of the history is: its name in JSON output and stored
// history, and how it is read off a snapshot.
struct SeriesDescriptor {
    Series series;
    const char* jsonName;
    double (*value)(const SystemSnapshot& snapshot);
    // The readings whose absence (another machine not publishing them) leaves
    // the series without values.
    std::optional<ReadingGroup> group;
};

// Every series, in the order of the enumeration.
const std::array<SeriesDescriptor, seriesCount>& allSeries();
const SeriesDescriptor& descriptor(Series series);

// The history's point for a snapshot taken at `time`.
MetricSample sampleOf(const SystemSnapshot& snapshot, const QDateTime& time);

}  // namespace moravel

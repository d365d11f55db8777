#pragma once

#include "island/CollapsedMetricConfiguration.h"
#include "monitor/ReadingTable.h"

namespace moravel::testing {

// The readings added after people had stored their lists, as the table has
// them appended: hidden, in its order.
inline CollapsedMetricPreferences laterReadings()
{
    CollapsedMetricPreferences later;
    for (MetricKind kind : ReadingTable::collapsedKinds()) {
        if (!ReadingTable::of(kind).collapsed->addedVisible)
            later.append({kind, false});
    }
    return later;
}

}  // namespace moravel::testing

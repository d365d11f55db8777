#pragma once

#include "monitor/MetricTypes.h"

#include <QByteArray>
#include <QDateTime>

namespace moravel {

// One snapshot as a single-line JSON object: "time" (ISO 8601, UTC), each
// reading's fields in the reading table's order, then "topProcesses". Absent
// values are null.
QByteArray snapshotJsonLine(const SystemSnapshot& snapshot, const QDateTime& time);

}  // namespace moravel

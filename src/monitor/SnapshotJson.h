#pragma once

#include "monitor/MetricTypes.h"

#include <QByteArray>
#include <QDateTime>

namespace moravel {

// One snapshot as a single-line JSON object, fields in snapshot order after
// "time" (ISO 8601, UTC). Absent optionals are null.
QByteArray snapshotJsonLine(const SystemSnapshot& snapshot, const QDateTime& time);

}  // namespace moravel

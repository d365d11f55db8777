#pragma once

#include "monitor/MetricTypes.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace moravel {

// One snapshot as a single-line JSON object: "time" (ISO 8601, UTC), each
// reading's fields in the reading table's order, then "topProcesses". Absent
// values, and every field of a slice the source does not have, are null.
// Another machine's line ends with "source", its address.
QByteArray snapshotJsonLine(const SystemSnapshot& snapshot, const QDateTime& time, const QString& source = {});

}  // namespace moravel

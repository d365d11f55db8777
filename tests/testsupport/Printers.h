#pragma once

// How the tests print Moravel's values when an expectation fails: their
// fields, not byte dumps. Every test file sees these: the test binaries'
// precompiled header includes this file.

#include "island/IslandPreferences.h"
#include "monitor/MetricTypes.h"

#include <QByteArray>
#include <QString>

#include <ostream>

void PrintTo(const QString& text, std::ostream* out);
void PrintTo(const QByteArray& bytes, std::ostream* out);

namespace moravel {

void PrintTo(MetricKind kind, std::ostream* out);
void PrintTo(const CollapsedMetricPreference& preference, std::ostream* out);
void PrintTo(const IslandPreferences& preferences, std::ostream* out);
// As its JSON line: every reading, null where the snapshot lacks it.
void PrintTo(const SystemSnapshot& snapshot, std::ostream* out);
void PrintTo(const CpuReading& cpu, std::ostream* out);
void PrintTo(const NetworkReading& network, std::ostream* out);
void PrintTo(const SensorReading& sensor, std::ostream* out);
void PrintTo(const ProcessMetric& process, std::ostream* out);

}  // namespace moravel

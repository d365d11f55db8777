#pragma once

#include "monitor/MetricTypes.h"

namespace moravel {

// The most tasks Linux can hold at once (its largest pid_max): a load average
// above it is no machine's.
inline constexpr double largestLoadAverage = 4'194'304;

// A load average a machine can have: from 0 to largestLoadAverage.
bool isPlausibleLoadAverage(double load);

// Drops the figures no hardware gives from a snapshot about to be published,
// whatever source read them (this computer's files, another machine's
// exporter): temperatures outside what a sensor can read (isPlausibleCelsius),
// a GPU's memory used above its total or a load outside 0 to 100 %, load
// averages that are negative or absurd. What is dropped is absent, as a
// reading the source does not have. The power figures are judged where the
// power reading is made (PowerRules), a process's memory where it is read.
void dropImplausibleFigures(SystemSnapshot& snapshot);

}  // namespace moravel

#pragma once

#include "monitor/MetricTypes.h"

#include <QDateTime>

namespace moravel::fixtures {

// Readings for the views, the rules and the benchmarks: snapshots of a few
// typical machines and histories to chart.

// This computer just read, with nothing going on: every slice it has, at zero
// (no battery, no sensor or fan, no GPU, no load average).
SystemSnapshot computerAtRest();
SystemSnapshot loads(double cpu, double memory, double disk = 0);
// A laptop running on its battery at `percent`, drawing `watts` from it.
SystemSnapshot onBattery(std::optional<int64_t> percent, double watts = 7.5);
// A laptop on its adapter at `percent`: `input` watts come in, `intoBattery`
// of them go to the battery while `charging`.
SystemSnapshot onAdapter(std::optional<int64_t> percent, double input = 7.5, double intoBattery = 0,
                         bool charging = false);
// A computer without a battery, taking `input` watts from its power supply.
SystemSnapshot withoutBattery(double input);
// Hard at work: high loads, charging from a 96 W adapter, twelve processes.
SystemSnapshot busySnapshot();

// A fleet of `count` machines named web1.lan:9100 on, worst first, with
// loads spread over every level and every seventh machine down.
FleetReading fleetOf(int count);

MetricSample sampleAt(const QDateTime& time, double cpu = 0, double memory = 0);
// `count` one-second samples up to `newest`, every series in waves, charging.
MetricHistory busyHistory(const QDateTime& newest, int count = 300);

}  // namespace moravel::fixtures

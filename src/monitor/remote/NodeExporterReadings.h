#pragma once

#include "monitor/MetricTypes.h"
#include "monitor/TelemetrySource.h"
#include "monitor/linux/CpuReader.h"
#include "monitor/linux/MemoryReader.h"
#include "monitor/linux/NetworkCounters.h"
#include "monitor/remote/ExpositionFormat.h"
#include "monitor/remote/MetricFamilies.h"

#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace moravel {

// How the exporter's processor modes count, as this computer's /proc/stat
// fields do: busy, idle, or neither (guest time, already counted in user).
inline constexpr std::string_view busyCpuModes[] = {"user", "nice", "system", "irq", "softirq", "steal"};
inline constexpr std::string_view idleCpuModes[] = {"idle", "iowait"};

// What one node exporter page tells of its machine: its gauges (memory, swap,
// the volume mounted at "/", load, sensors, power) as the slices of a
// snapshot, and the counters whose growth between two pages gives the rates.
// What is nothing was not published (its collector is off, or the page is
// another exporter's).
struct NodePage {
    SystemSnapshot gauges;
    std::optional<CpuTicks> cpu;  // all processors, in milliseconds
    std::vector<CpuTicks> cores;  // in processor order
    std::optional<std::vector<DeviceCounters>> network;  // the ones this computer's rule counts; by name
    std::optional<std::vector<DeviceCounters>> diskActivity;  // whole disks by name: bytes read, written
};

NodePage readNodePage(const ExpositionPage& page);
NodePage readNodePage(const MetricFamilies& families);

// Every reading a page gives: its gauges, and the rates from its counters'
// growth since `previous`, read `seconds` earlier (0 without a previous page,
// or for counters that one lacked). What the page lacks, the processes and
// the GPUs are absent.
SystemSnapshot snapshotOfNodePage(const NodePage& page, const NodePage* previous, double seconds);

}  // namespace moravel

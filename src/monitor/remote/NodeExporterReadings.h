#pragma once

#include "monitor/MetricTypes.h"
#include "monitor/TelemetrySource.h"
#include "monitor/linux/CpuReader.h"
#include "monitor/linux/MemoryReader.h"
#include "monitor/linux/NetworkCounters.h"
#include "monitor/remote/ExpositionFormat.h"

#include <array>
#include <optional>
#include <vector>

namespace moravel {

// What one node exporter page tells of its machine: gauges as they are,
// counters for the rates between two pages. A group that is nothing was not
// published (its collector is off, or the page is another exporter's).
struct NodePage {
    std::optional<CpuTicks> cpu;  // all processors, in milliseconds
    std::vector<CpuTicks> cores;  // in processor order
    std::optional<MemoryUsage> memory;
    std::optional<std::array<uint64_t, 2>> swap;  // used, total
    std::optional<std::vector<InterfaceCounters>> network;  // loopback left out; by name
    std::optional<DiskMetric> disk;  // the volume mounted at "/"
    std::optional<std::vector<InterfaceCounters>> diskActivity;  // whole disks by name: bytes read, written
    std::optional<std::array<double, 3>> load;
    std::optional<QList<TemperatureReading>> temperatures;
    std::optional<BatteryRegistry> power;

    // Whether the page holds any of the readings at all.
    bool hasReadings() const;
};

NodePage readNodePage(const ExpositionPage& page);

// Fills every field a page can give: gauges from `page`, rates from the
// counters' growth since `previous`, read `seconds` earlier. Without a
// previous page, or a counter group that one lacked, the rates keep the
// values `next` holds. Groups the page lacks, and the processes, are marked
// absent and cleared.
void applyNodePage(const NodePage& page, const NodePage* previous, double seconds, SystemSnapshot& next);

}  // namespace moravel

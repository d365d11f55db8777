#pragma once

#include "monitor/TelemetrySource.h"
#include "monitor/linux/TextFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace moravel {

// Cumulative processor ticks of all cores; busy = everything but idle time,
// so used never exceeds total.
struct CpuTicks {
    uint64_t used = 0;
    uint64_t total = 0;

    friend bool operator==(const CpuTicks&, const CpuTicks&) = default;
};

// One core's ticks, under the number of its cpuN line.
struct CoreTicks {
    unsigned core = 0;
    CpuTicks ticks;

    friend bool operator==(const CoreTicks&, const CoreTicks&) = default;
};

// The aggregate "cpu" line of /proc/stat. Nothing when it is missing, short or
// its counters add up past 64 bits.
std::optional<CpuTicks> parseProcStat(std::string_view text);
// The cpuN lines of /proc/stat into `cores`, in file order (offline cores
// have no line). False, with `cores` undefined, when any of them is garbled
// or there are none.
bool parseCoreTicks(std::string_view text, std::vector<CoreTicks>& cores);
// Busy share between two readings in percent, never outside 0 to 100. 0 when
// there is no previous reading, the total did not grow, or either the busy or
// the idle ticks went backwards (iowait may, and a bad counter can).
double cpuPercentBetween(const std::optional<CpuTicks>& previous, const CpuTicks& current);
// Each current core's share since the previous reading of the same core
// number, by the rules above; 0 for a core that just came online. Both lists
// in ascending core order.
QList<double> corePercentsBetween(const std::vector<CoreTicks>& previous, const std::vector<CoreTicks>& current);

// The processor's busy share, in all and per core, once a second, from one
// read of <proc>/stat.
class CpuReader {
public:
    explicit CpuReader(const std::string& procRoot);

    // Empty when the file cannot be read: the snapshot keeps its values. The
    // per-core shares are kept as they were when a core line is garbled.
    SnapshotUpdate read();
    // False only for a first reading, which is a baseline: a file that
    // cannot be read gives no figure to wait for.
    bool isMeasured() const { return isMeasured_; }

private:
    std::optional<QList<double>> readCores(std::string_view text);

    KernelFile stat_;
    std::optional<CpuTicks> previous_;
    std::vector<CoreTicks> previousCores_;
    std::vector<CoreTicks> cores_;  // reused, so a reading allocates nothing but its result
    bool isMeasured_ = true;
};

}  // namespace moravel

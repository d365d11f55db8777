#pragma once

#include "monitor/TelemetrySource.h"
#include "monitor/linux/TextFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace moravel {

// Cumulative processor ticks of all cores; busy = everything but idle time,
// so used never exceeds total.
struct CpuTicks {
    uint64_t used = 0;
    uint64_t total = 0;
};

// The aggregate "cpu" line of /proc/stat. Nothing when it is missing, short or
// its counters add up past 64 bits.
std::optional<CpuTicks> parseProcStat(std::string_view text);
// Busy share between two readings in percent, never outside 0 to 100. 0 when
// there is no previous reading, the total did not grow, or either the busy or
// the idle ticks went backwards (iowait may, and a bad counter can).
double cpuPercentBetween(const std::optional<CpuTicks>& previous, const CpuTicks& current);

// The processor's busy share, once a second, from <proc>/stat.
class CpuReader {
public:
    explicit CpuReader(const std::string& procRoot);

    // Empty when the file cannot be read: the snapshot keeps its value.
    SnapshotUpdate read();
    // Whether the last reading had an earlier one to measure against.
    bool isMeasured() const { return isMeasured_; }

private:
    KernelFile stat_;
    std::optional<CpuTicks> previous_;
    bool isMeasured_ = false;
};

}  // namespace moravel

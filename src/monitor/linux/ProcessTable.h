#pragma once

#include "monitor/MetricTypes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace moravel {

// What one <proc>/<pid>/stat line says about its process.
struct ProcessStat {
    std::string comm;  // the kernel's short name, at most 15 bytes for user processes
    uint64_t cpuTicks = 0;       // utime + stime, clock ticks
    uint64_t startTime = 0;      // clock ticks after boot
    uint64_t residentPages = 0;
};

// Nothing for a truncated or garbled line. The name may hold spaces and
// parentheses, so it ends at the last ')'.
std::optional<ProcessStat> parseProcessStat(std::string_view text);

// Seconds since boot, the first figure of <proc>/uptime.
std::optional<double> parseUptimeSeconds(std::string_view text);

// The row name: the last path component of the first cmdline argument when it
// begins with `comm` (so names past the kernel's 15 bytes come out whole),
// else `comm`. Never empty; bytes that are not UTF-8 become U+FFFD.
QString processName(std::string_view comm, std::string_view cmdline, int32_t pid);

// Positions in `rows` of the top 6 by processor, then the top 6 by memory not
// already listed; both orders stable, so ties keep the table's order.
std::vector<size_t> topProcessPositions(const QList<ProcessMetric>& rows);
QList<ProcessMetric> selectTopProcesses(const QList<ProcessMetric>& rows);

}  // namespace moravel

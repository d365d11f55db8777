#pragma once

#include "monitor/TelemetrySource.h"
#include "monitor/linux/TextFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace moravel {

struct MemoryUsage {
    double percent = 0;
    uint64_t used = 0;   // bytes, never above total
    uint64_t total = 0;  // bytes of physical memory
};

// /proc/meminfo. Nothing when MemTotal is missing.
std::optional<MemoryUsage> parseMeminfo(std::string_view text);

// Copies a reading into the snapshot's memory fields.
void applyMemoryUsage(const MemoryUsage& usage, SystemSnapshot& next);

// Memory use, once a second, from <proc>/meminfo.
class MemoryReader {
public:
    explicit MemoryReader(const std::string& procRoot);

    // Empty when the file cannot be read: the snapshot keeps its values.
    SnapshotUpdate read();

private:
    KernelFile meminfo_;
};

}  // namespace moravel

#pragma once

#include "monitor/TelemetrySource.h"
#include "monitor/linux/TextFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace moravel {

// The /proc/meminfo fields memory use is read from, in bytes.
struct MeminfoFields {
    std::optional<uint64_t> total, available, free, buffers, cached, reclaimable, shmem;
};

// Memory in use: MemTotal less what is available. Nothing when MemTotal is missing.
std::optional<MemoryReading> memoryReadingOf(const MeminfoFields& fields);

// /proc/meminfo. Nothing when MemTotal is missing.
std::optional<MemoryReading> parseMeminfo(std::string_view text);

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

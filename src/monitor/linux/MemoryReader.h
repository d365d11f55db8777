#pragma once

#include "monitor/TelemetrySource.h"
#include "monitor/linux/TextFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace moravel {

// The /proc/meminfo fields memory and swap use are read from, in bytes.
struct MeminfoFields {
    std::optional<uint64_t> total, available, free, buffers, cached, reclaimable, shmem;
    std::optional<uint64_t> swapTotal, swapFree;
};

// Memory in use: MemTotal less what is available. Nothing when MemTotal is missing.
std::optional<MemoryReading> memoryReadingOf(const MeminfoFields& fields);

// Swap in use: SwapTotal less SwapFree, capped at the total; none known to be
// used without SwapFree. Nothing when SwapTotal is missing.
std::optional<SwapReading> swapReadingOf(const MeminfoFields& fields);

// The fields of /proc/meminfo's text that are there.
MeminfoFields parseMeminfoFields(std::string_view text);

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

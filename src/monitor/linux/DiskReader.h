#pragma once

#include "monitor/MetricTypes.h"

#include <cstdint>
#include <optional>
#include <string>

namespace moravel {

// Used space from a volume's total and the space still writable by a normal
// user; available above total (quota or reporting quirks) counts as nothing used.
DiskReading diskReadingFrom(uint64_t totalBytes, uint64_t availableBytes);

// The volume holding `path`; nothing when it cannot be queried.
std::optional<DiskReading> readDiskUsage(const std::string& path = "/");

}  // namespace moravel

#pragma once

#include "monitor/DiskUse.h"
#include "monitor/MetricTypes.h"

#include <optional>
#include <string>

namespace moravel {

// The volume holding `path`, as df tells it (see diskReadingFrom); nothing
// when it cannot be queried.
std::optional<DiskReading> readDiskUsage(const std::string& path = "/");

}  // namespace moravel

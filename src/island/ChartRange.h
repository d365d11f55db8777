#pragma once

#include <cstdint>

namespace moravel {

// How far back the dashboard's activity chart looks: five minutes sample by
// sample, or the last hour or day as averages with their min-max band.
enum class ChartRange : uint8_t { fiveMinutes, hour, day };

}  // namespace moravel

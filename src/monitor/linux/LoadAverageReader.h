#pragma once

#include "monitor/TelemetrySource.h"
#include "monitor/linux/TextFile.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace moravel {

// The three figures at the start of /proc/loadavg (1, 5 and 15 minutes).
// Nothing unless all three are decimals; whether they are loads a machine
// can have is judged with every source's (PlausibleFigures).
std::optional<std::array<double, 3>> parseLoadAverage(std::string_view text);

// The load average, once a second, from <proc>/loadavg.
class LoadAverageReader {
public:
    explicit LoadAverageReader(const std::string& procRoot);

    // Empty when the file cannot be read or makes no sense: the snapshot keeps its value.
    SnapshotUpdate read();

private:
    KernelFile loadavg_;
};

}  // namespace moravel

// Feeds arbitrary bytes to the /proc/diskstats and /proc/loadavg parsers.
// Every disk read must have a name without blanks, and the rates between a
// reading and itself must be nothing at all; a load average that reaches the
// snapshot is three plausible figures.
#include "monitor/PlausibleFigures.h"
#include "monitor/linux/DiskIoReader.h"
#include "monitor/linux/LoadAverageReader.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

using namespace moravel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<DeviceCounters> disks;
    parseDiskstats(text, [](std::string_view) { return true; }, disks);
    for (const DeviceCounters& disk : disks) {
        if (disk.name.empty() || disk.name.find_first_of(" \t\n") != std::string::npos)
            std::abort();
    }
    orderByName(disks);
    if (ratesBetween(disks, disks, 1.0) != ByteRates{})
        std::abort();

    SystemSnapshot snapshot;
    snapshot.loadAverage = parseLoadAverage(text);
    dropImplausibleFigures(snapshot);
    if (snapshot.loadAverage) {
        for (const double figure : *snapshot.loadAverage) {
            if (!std::isfinite(figure) || figure < 0 || figure > largestLoadAverage)
                std::abort();
        }
    }
    return 0;
}

// Feeds arbitrary bytes to the /proc/diskstats and /proc/loadavg parsers.
// Every disk read must have a name without blanks, and the rates between a
// reading and itself must be nothing at all; a load average is three finite
// figures, none below 0.
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

    if (const auto load = parseLoadAverage(text)) {
        for (const double figure : *load) {
            if (!std::isfinite(figure) || figure < 0)
                std::abort();
        }
    }
    return 0;
}

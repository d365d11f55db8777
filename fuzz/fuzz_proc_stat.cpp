// Feeds arbitrary bytes to the /proc/stat parser. Whatever it accepts must be
// a busy count within the total, so that shares stay between 0 and 100 %.
#include "monitor/linux/CpuReader.h"

#include <cstdint>
#include <cstdlib>

using namespace moravel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto ticks = parseProcStat(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!ticks)
        return 0;
    if (ticks->used > ticks->total)
        std::abort();
    const double share = cpuPercentBetween(CpuTicks{0, 0}, *ticks);
    if (!(share >= 0 && share <= 100))
        std::abort();
    return 0;
}

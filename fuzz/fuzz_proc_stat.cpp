// Feeds arbitrary bytes to the /proc/stat parsers. Whatever they accept must
// be busy counts within their totals, so that shares stay between 0 and 100 %,
// and cores in ascending order, one share each.
#include "monitor/linux/CpuReader.h"

#include <cstdint>
#include <cstdlib>

using namespace moravel;

namespace {
bool isShare(double share)
{
    return share >= 0 && share <= 100;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto ticks = parseProcStat(text);
    if (ticks && (ticks->used > ticks->total || !isShare(cpuPercentBetween(CpuTicks{0, 0}, *ticks))))
        std::abort();
    std::vector<CoreTicks> cores;
    if (!parseCoreTicks(text, cores))
        return 0;
    for (size_t i = 0; i < cores.size(); ++i) {
        if (cores[i].ticks.used > cores[i].ticks.total || (i > 0 && cores[i].core <= cores[i - 1].core))
            std::abort();
    }
    // Against itself and against nothing: every share 0.
    for (const auto& previous : {cores, std::vector<CoreTicks>{}}) {
        const QList<double> shares = corePercentsBetween(previous, cores);
        if (shares.size() != static_cast<qsizetype>(cores.size()))
            std::abort();
        for (const double share : shares) {
            if (share != 0)
                std::abort();
        }
    }
    return 0;
}

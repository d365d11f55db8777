#include "monitor/linux/CpuReader.h"

#include "monitor/linux/TextFields.h"

namespace moravel {

std::optional<CpuTicks> parseProcStat(std::string_view text)
{
    std::optional<CpuTicks> result;
    forEachLine(text, [&](std::string_view line) {
        const auto parts = splitFields(line);
        if (parts.empty() || parts[0] != "cpu")
            return true;
        // user nice system idle iowait irq softirq steal [guest guest_nice]
        if (parts.size() < 9)
            return false;
        uint64_t value[8];
        for (int i = 0; i < 8; ++i) {
            const auto parsed = parseUnsigned(parts[static_cast<size_t>(i) + 1]);
            if (!parsed)
                return false;
            value[i] = *parsed;
        }
        // Guest time is already inside user and nice.
        const auto used = checkedSum({value[0], value[1], value[2], value[5], value[6], value[7]});
        const auto idle = checkedSum({value[3], value[4]});
        const auto total = used && idle ? checkedSum({*used, *idle}) : std::nullopt;
        if (total)
            result = CpuTicks{*used, *total};
        return false;
    });
    return result;
}

double cpuPercentBetween(const std::optional<CpuTicks>& previous, const CpuTicks& current)
{
    if (!previous || current.total <= previous->total || current.used < previous->used
        || current.total - current.used < previous->total - previous->used)
        return 0;
    // Both deltas are now at least 0 and the busy one is part of the total.
    const double usedDelta = static_cast<double>(current.used - previous->used);
    const double totalDelta = static_cast<double>(current.total - previous->total);
    return usedDelta / totalDelta * 100.0;
}

CpuReader::CpuReader(const std::string& procRoot) : stat_(procRoot + "/stat") {}

SnapshotUpdate CpuReader::read()
{
    const auto text = stat_.read();
    const auto ticks = text ? parseProcStat(*text) : std::nullopt;
    if (!ticks)
        return {};
    const double percent = cpuPercentBetween(previous_, *ticks);
    isMeasured_ = previous_.has_value();
    previous_ = ticks;
    return [percent](SystemSnapshot& next) { next.cpuPercent = percent; };
}

}  // namespace moravel

#include "monitor/linux/CpuReader.h"

#include "monitor/linux/TextFields.h"

#include <algorithm>
#include <charconv>

namespace moravel {

namespace {

// The numbers after a cpu line's name: user nice system idle iowait irq
// softirq steal [guest guest_nice].
std::optional<CpuTicks> ticksOfLine(FieldCursor fields)
{
    uint64_t value[8];
    for (uint64_t& v : value) {
        const auto parsed = fields.nextUnsigned();
        if (!parsed)
            return std::nullopt;
        v = *parsed;
    }
    // Guest time is already inside user and nice.
    const auto used = checkedSum({value[0], value[1], value[2], value[5], value[6], value[7]});
    const auto idle = checkedSum({value[3], value[4]});
    const auto total = used && idle ? checkedSum({*used, *idle}) : std::nullopt;
    if (!total)
        return std::nullopt;
    return CpuTicks{*used, *total};
}

}  // namespace

std::optional<CpuTicks> parseProcStat(std::string_view text)
{
    std::optional<CpuTicks> result;
    forEachLine(text, [&](std::string_view line) {
        FieldCursor fields(line);
        if (fields.next() != "cpu")
            return true;
        result = ticksOfLine(fields);
        return false;
    });
    return result;
}

bool parseCoreTicks(std::string_view text, std::vector<CoreTicks>& cores)
{
    cores.clear();
    bool sound = true;
    forEachLine(text, [&](std::string_view line) {
        FieldCursor fields(line);
        const std::string_view name = fields.next();
        if (name == "cpu")
            return true;
        // The core lines follow the aggregate one; the interrupt counts after
        // them can be long, and are not read.
        if (!name.starts_with("cpu"))
            return cores.empty();
        unsigned core = 0;
        const auto [end, error] = std::from_chars(name.data() + 3, name.data() + name.size(), core);
        const auto ticks = ticksOfLine(fields);
        sound = error == std::errc() && end == name.data() + name.size() && name.size() > 3 && ticks
                && (cores.empty() || core > cores.back().core);
        if (sound)
            cores.push_back({core, *ticks});
        return sound;
    });
    return sound && !cores.empty();
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

QList<double> corePercentsBetween(const std::vector<CoreTicks>& previous, const std::vector<CoreTicks>& current)
{
    QList<double> percents;
    percents.reserve(static_cast<qsizetype>(current.size()));
    auto before = previous.begin();
    for (const CoreTicks& now : current) {
        before = std::find_if(before, previous.end(), [&](const CoreTicks& c) { return c.core >= now.core; });
        const bool seen = before != previous.end() && before->core == now.core;
        percents.append(cpuPercentBetween(seen ? std::optional(before->ticks) : std::nullopt, now.ticks));
    }
    return percents;
}

CpuReader::CpuReader(const std::string& procRoot) : stat_(procRoot + "/stat") {}

std::optional<QList<double>> CpuReader::readCores(std::string_view text)
{
    if (!parseCoreTicks(text, cores_))
        return std::nullopt;
    QList<double> percents = corePercentsBetween(previousCores_, cores_);
    std::swap(previousCores_, cores_);
    return percents;
}

SnapshotUpdate CpuReader::read()
{
    const auto text = stat_.read();
    if (!text)
        return {};
    const auto ticks = parseProcStat(*text);
    auto cores = readCores(*text);
    if (!ticks && !cores)
        return {};
    std::optional<double> percent;
    if (ticks) {
        percent = cpuPercentBetween(previous_, *ticks);
        isMeasured_ = previous_.has_value();
        previous_ = ticks;
    }
    // The first reading is only a baseline: no load to show yet.
    if (!isMeasured_)
        return {};
    return [percent, cores = std::move(cores)](SystemSnapshot& next) {
        CpuReading& cpu = next.cpu ? *next.cpu : next.cpu.emplace();
        if (percent)
            cpu.percent = *percent;
        if (cores)
            cpu.corePercents = *cores;
    };
}

}  // namespace moravel

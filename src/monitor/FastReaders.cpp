#include "monitor/FastReaders.h"

#include "monitor/TextFile.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>

namespace moravel {

namespace {

// Splits on blanks, skipping runs of them.
std::vector<std::string_view> fields(std::string_view line)
{
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start)
            out.push_back(line.substr(start, i - start));
    }
    return out;
}

template <typename Visit>
void forEachLine(std::string_view text, Visit visit)
{
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        if (!visit(line))
            return;
        if (end == std::string_view::npos)
            return;
        text.remove_prefix(end + 1);
    }
}

// Nothing when the sum does not fit: counters that large are garbage.
std::optional<uint64_t> checkedSum(std::initializer_list<uint64_t> parts)
{
    uint64_t sum = 0;
    for (const uint64_t part : parts) {
        if (__builtin_add_overflow(sum, part, &sum))
            return std::nullopt;
    }
    return sum;
}

}  // namespace

std::optional<CpuTicks> parseProcStat(std::string_view text)
{
    std::optional<CpuTicks> result;
    forEachLine(text, [&](std::string_view line) {
        const auto parts = fields(line);
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

std::optional<MemoryUsage> parseMeminfo(std::string_view text)
{
    std::optional<uint64_t> total, available, free, buffers, cached, reclaimable, shmem;
    forEachLine(text, [&](std::string_view line) {
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            return true;
        const std::string_view key = line.substr(0, colon);
        const auto kilobytes = parseUnsigned(line.substr(colon + 1));
        if (!kilobytes || *kilobytes > UINT64_MAX / 1024)
            return true;
        const uint64_t bytes = *kilobytes * 1024;
        if (key == "MemTotal") total = bytes;
        else if (key == "MemAvailable") available = bytes;
        else if (key == "MemFree") free = bytes;
        else if (key == "Buffers") buffers = bytes;
        else if (key == "Cached") cached = bytes;
        else if (key == "SReclaimable") reclaimable = bytes;
        else if (key == "Shmem") shmem = bytes;
        return true;
    });
    if (!total)
        return std::nullopt;

    uint64_t availableBytes = 0;
    if (available) {
        availableBytes = *available;
    } else {
        // Kernels before 3.14 have no MemAvailable: estimate it the way free(1) did.
        const uint64_t reclaimableSum = free.value_or(0) + buffers.value_or(0) + cached.value_or(0)
                                        + reclaimable.value_or(0);
        availableBytes = reclaimableSum - std::min(reclaimableSum, shmem.value_or(0));
    }
    MemoryUsage usage;
    usage.total = *total;
    usage.used = *total - std::min(*total, availableBytes);
    usage.percent = usage.total > 0 ? static_cast<double>(usage.used) / static_cast<double>(usage.total) * 100.0 : 0;
    return usage;
}

std::vector<InterfaceCounters> parseNetDev(std::string_view text)
{
    std::vector<InterfaceCounters> interfaces;
    forEachLine(text, [&](std::string_view line) {
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            return true;  // the two header lines
        const std::string_view name = trimmed(line.substr(0, colon));
        const auto values = fields(line.substr(colon + 1));
        // bytes packets errs drop fifo frame compressed multicast | bytes ...
        if (name.empty() || values.size() < 9)
            return true;
        const auto received = parseUnsigned(values[0]);
        const auto sent = parseUnsigned(values[8]);
        if (received && sent)
            interfaces.push_back(InterfaceCounters{std::string(name), *received, *sent});
        return true;
    });
    return interfaces;
}

NetworkRates networkRatesBetween(const std::vector<InterfaceCounters>& previous,
                                 const std::vector<InterfaceCounters>& current, double seconds)
{
    double received = 0;
    double sent = 0;
    auto before = previous.begin();
    for (const InterfaceCounters& now : current) {
        while (before != previous.end() && before->name < now.name)
            ++before;
        if (before == previous.end())
            break;
        if (before->name != now.name)
            continue;
        if (now.received >= before->received)
            received += static_cast<double>(now.received - before->received);
        if (now.sent >= before->sent)
            sent += static_cast<double>(now.sent - before->sent);
    }
    return {received / seconds, sent / seconds};
}

std::optional<unsigned> parseInterfaceFlags(std::string_view text)
{
    text = trimmed(text);
    if (text.starts_with("0x") || text.starts_with("0X"))
        text.remove_prefix(2);
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end == text.data())
        return std::nullopt;
    return value;
}

}  // namespace moravel

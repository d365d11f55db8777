#include "monitor/linux/MemoryReader.h"

#include "monitor/linux/TextFields.h"

#include <algorithm>

namespace moravel {

std::optional<MemoryReading> memoryReadingOf(const MeminfoFields& fields)
{
    if (!fields.total)
        return std::nullopt;
    uint64_t availableBytes = 0;
    if (fields.available) {
        availableBytes = *fields.available;
    } else {
        // Kernels before 3.14 have no MemAvailable: estimate it the way free(1) did.
        const uint64_t reclaimableSum = fields.free.value_or(0) + fields.buffers.value_or(0)
                                        + fields.cached.value_or(0) + fields.reclaimable.value_or(0);
        availableBytes = reclaimableSum - std::min(reclaimableSum, fields.shmem.value_or(0));
    }
    const uint64_t total = *fields.total;
    MemoryReading usage;
    usage.total = total;
    usage.used = total - std::min(total, availableBytes);
    usage.percent = usage.total > 0 ? static_cast<double>(usage.used) / static_cast<double>(usage.total) * 100.0 : 0;
    return usage;
}

std::optional<SwapReading> swapReadingOf(const MeminfoFields& fields)
{
    if (!fields.swapTotal)
        return std::nullopt;
    const uint64_t total = *fields.swapTotal;
    return SwapReading{total - std::min(total, fields.swapFree.value_or(total)), total};
}

MeminfoFields parseMeminfoFields(std::string_view text)
{
    MeminfoFields fields;
    forEachLine(text, [&](std::string_view line) {
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            return true;
        const std::string_view key = line.substr(0, colon);
        const auto kilobytes = parseUnsigned(line.substr(colon + 1));
        if (!kilobytes || *kilobytes > UINT64_MAX / 1024)
            return true;
        const uint64_t bytes = *kilobytes * 1024;
        if (key == "MemTotal") fields.total = bytes;
        else if (key == "MemAvailable") fields.available = bytes;
        else if (key == "MemFree") fields.free = bytes;
        else if (key == "Buffers") fields.buffers = bytes;
        else if (key == "Cached") fields.cached = bytes;
        else if (key == "SReclaimable") fields.reclaimable = bytes;
        else if (key == "Shmem") fields.shmem = bytes;
        else if (key == "SwapTotal") fields.swapTotal = bytes;
        else if (key == "SwapFree") fields.swapFree = bytes;
        return true;
    });
    return fields;
}

std::optional<MemoryReading> parseMeminfo(std::string_view text)
{
    return memoryReadingOf(parseMeminfoFields(text));
}

MemoryReader::MemoryReader(const std::string& procRoot) : meminfo_(procRoot + "/meminfo") {}

SnapshotUpdate MemoryReader::read()
{
    const auto text = meminfo_.read();
    const MeminfoFields fields = text ? parseMeminfoFields(*text) : MeminfoFields{};
    const auto usage = memoryReadingOf(fields);
    if (!usage)
        return {};
    // A kernel that counts no swap has none.
    return [usage = *usage, swap = swapReadingOf(fields).value_or(SwapReading{})](SystemSnapshot& next) {
        next.memory = usage;
        next.swap = swap;
    };
}

}  // namespace moravel

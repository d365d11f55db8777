#include "monitor/linux/DiskReader.h"

#include <sys/statvfs.h>

namespace moravel {

DiskReading diskReadingFrom(uint64_t totalBytes, uint64_t availableBytes)
{
    const uint64_t used = totalBytes > availableBytes ? totalBytes - availableBytes : 0;
    const double percent = totalBytes == 0 ? 0 : static_cast<double>(used) / static_cast<double>(totalBytes) * 100.0;
    return DiskReading{percent, used, totalBytes};
}

std::optional<DiskReading> readDiskUsage(const std::string& path)
{
    struct statvfs volume;
    if (::statvfs(path.c_str(), &volume) != 0)
        return std::nullopt;
    uint64_t total = 0;
    uint64_t available = 0;
    // f_bavail, not f_bfree: the blocks reserved for root are no use to the user.
    if (__builtin_mul_overflow(static_cast<uint64_t>(volume.f_blocks), static_cast<uint64_t>(volume.f_frsize), &total)
        || __builtin_mul_overflow(static_cast<uint64_t>(volume.f_bavail), static_cast<uint64_t>(volume.f_frsize),
                                  &available))
        return std::nullopt;
    return diskReadingFrom(total, available);
}

}  // namespace moravel

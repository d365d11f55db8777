#include "monitor/linux/DiskReader.h"

#include <sys/statvfs.h>

namespace moravel {

std::optional<DiskReading> readDiskUsage(const std::string& path)
{
    struct statvfs volume;
    if (::statvfs(path.c_str(), &volume) != 0)
        return std::nullopt;
    const auto bytes = [&](fsblkcnt_t blocks, uint64_t& result) {
        return !__builtin_mul_overflow(static_cast<uint64_t>(blocks), static_cast<uint64_t>(volume.f_frsize), &result);
    };
    uint64_t total = 0;
    uint64_t free = 0;
    uint64_t available = 0;
    if (!bytes(volume.f_blocks, total) || !bytes(volume.f_bfree, free) || !bytes(volume.f_bavail, available))
        return std::nullopt;
    return diskReadingFrom(total, free, available);
}

}  // namespace moravel

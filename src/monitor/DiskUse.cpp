#include "monitor/DiskUse.h"

namespace moravel {

DiskReading diskReadingFrom(uint64_t totalBytes, uint64_t freeBytes, uint64_t availableBytes)
{
    const uint64_t used = totalBytes > freeBytes ? totalBytes - freeBytes : 0;
    // In doubles: another machine's figures may add up past 64 bits.
    const double counted = static_cast<double>(used) + static_cast<double>(availableBytes);
    const double percent = counted > 0 ? static_cast<double>(used) / counted * 100.0 : 0;
    return DiskReading{percent, used, totalBytes, availableBytes};
}

}  // namespace moravel

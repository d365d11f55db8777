#pragma once

#include "monitor/MetricTypes.h"

#include <cstdint>

namespace moravel {

// A volume's use as df and every Linux tool tell it, from its size, its free
// space and the space a normal user may still write (the free space less the
// blocks kept for root), whoever read them: this computer's statvfs or
// another machine's exporter. Used is the size less the free space, and the
// share in use is used over used and available, so the blocks kept for root
// are neither in use nor room. Free space above the size (a reporting quirk)
// counts as nothing used.
DiskReading diskReadingFrom(uint64_t totalBytes, uint64_t freeBytes, uint64_t availableBytes);

}  // namespace moravel

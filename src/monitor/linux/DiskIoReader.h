#pragma once

#include "monitor/DeviceRates.h"
#include "monitor/TelemetrySource.h"
#include "monitor/linux/TextFile.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace moravel {

// The devices of /proc/diskstats that `counts` accepts by name, in file order,
// into `disks`: the bytes each has read (in) and written (out). Short or
// garbled lines are left out.
void parseDiskstats(std::string_view text, const std::function<bool(std::string_view)>& counts,
                    std::vector<DeviceCounters>& disks);

// Read and write rates of the whole physical disks, once a second, from
// <proc>/diskstats. A whole physical disk is listed in <sys>/block and has a
// `device` entry there, so partitions, loop, device-mapper, md and zram
// devices, which would count the same bytes twice, are left out. Whether a
// name is such a disk is looked up once, while the name stays listed.
class DiskIoReader {
public:
    DiskIoReader(const std::string& procRoot, const std::string& sysRoot);

    // Empty when the list cannot be read: the snapshot keeps its values.
    SnapshotUpdate read(double monotonicSeconds);
    // False only for a first reading, which is a baseline.
    bool isMeasured() const { return rates_.isMeasured(); }

private:
    bool isWholeDisk(std::string_view name);

    struct Known {
        bool isWholeDisk = false;
        uint64_t seenInReading = 0;
    };

    std::string sysBlock_;
    KernelFile diskstats_;
    std::map<std::string, Known, std::less<>> known_;
    uint64_t reading_ = 0;
    std::vector<DeviceCounters> disks_;  // reused, so a reading allocates nothing but its result
    RateMeter rates_;
};

}  // namespace moravel

#pragma once

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

// One block device's cumulative sectors (always 512 bytes in /proc/diskstats,
// whatever the device's own sector size).
struct DiskCounters {
    std::string name;
    uint64_t sectorsRead = 0;
    uint64_t sectorsWritten = 0;

    friend bool operator==(const DiskCounters&, const DiskCounters&) = default;
};

// The devices of /proc/diskstats that `counts` accepts by name, in file order,
// into `disks`; short or garbled lines are left out.
void parseDiskstats(std::string_view text, const std::function<bool(std::string_view)>& counts,
                    std::vector<DiskCounters>& disks);

// Sorts `disks` by name for diskRatesBetween, keeping the first of any name
// listed twice (a garbled copy of the file).
void orderByName(std::vector<DiskCounters>& disks);

struct DiskRates {
    double read = 0;  // bytes per second
    double write = 0;
};

// Throughput between two readings, both sorted by name. As for network
// interfaces, only disks present in both add to it (a disk plugged in or out
// is no burst), and a counter that went backwards gives 0 for that disk alone.
DiskRates diskRatesBetween(const std::vector<DiskCounters>& previous, const std::vector<DiskCounters>& current,
                           double seconds);

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
    bool isMeasured() const { return isMeasured_; }

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
    std::vector<DiskCounters> previous_;
    std::vector<DiskCounters> current_;
    std::optional<double> previousTime_;
    bool isMeasured_ = true;
};

}  // namespace moravel

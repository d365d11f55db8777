#pragma once

#include "monitor/MetricTypes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace moravel {

// What one process reading leaves for the next: each process's CPU time, so
// the next reading can report the share since then. It travels with the one
// reading in flight and comes back with its result.
struct ProcessHistory {
    struct Entry {
        int32_t pid = 0;
        uint64_t startTime = 0;  // tells a reused pid from the process that had it before
        uint64_t cpuTicks = 0;
    };
    std::vector<Entry> entries;  // by ascending pid
    double takenAtSeconds = 0;   // monotonic
    bool isValid = false;

    const Entry* find(int32_t pid) const;
};

struct ProcessReading {
    QList<ProcessMetric> top;  // empty when the table could not be read
    ProcessHistory history;
};

// The machine's constants behind <proc>'s figures.
struct ProcessClock {
    double ticksPerSecond = 100;
    uint64_t pageSize = 4096;
    double processors = 1;  // online cores: the most a process can keep busy

    static ProcessClock ofThisMachine();
};

// The top processes of <procRoot>, read straight from the kernel's files. A
// row's processor share is measured since `previous` where that saw the same
// process (same pid and start time), else averaged over the process's life;
// it stays between 0 and all processors busy, whatever the counters say.
// Time is <procRoot>/uptime, so the whole reading follows the tree it is given.
// An unreadable table gives no rows and hands `previous` back.
ProcessReading readProcessTable(const std::string& procRoot, ProcessHistory previous, int32_t ownPid,
                                const ProcessClock& clock = ProcessClock::ofThisMachine());

}  // namespace moravel

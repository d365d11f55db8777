#pragma once

#include "monitor/FastReaders.h"
#include "monitor/TextFile.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace moravel {

// Reads the byte counters of the interfaces that count, once a second. Only
// the interface list stays open between readings: a machine may have
// thousands of interfaces (containers, tunnels), and a descriptor each would
// starve every other reader. Whether an interface is backed by a device is
// looked up once per interface.
class NetworkCounters {
public:
    NetworkCounters(const std::string& procRoot, const std::string& sysRoot);

    // The counted interfaces, sorted by name; nothing when the interface list
    // cannot be read or is empty.
    std::optional<std::vector<InterfaceCounters>> read();

private:
    std::optional<InterfaceState> stateOf(const std::string& name);

    struct Known {
        bool hasDevice = false;
        uint64_t seenInReading = 0;
    };

    std::string classNet_;
    KernelFile netDev_;
    std::unordered_map<std::string, Known> known_;
    uint64_t reading_ = 0;
};

}  // namespace moravel

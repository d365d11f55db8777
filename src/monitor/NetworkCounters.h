#pragma once

#include "monitor/FastReaders.h"
#include "monitor/TextFile.h"

#include <optional>
#include <string>
#include <unordered_map>

namespace moravel {

// Reads the byte totals of the interfaces that count, once a second. Each
// interface's flags file stays open between readings, and whether it is
// backed by a device is looked up once per interface.
class NetworkCounters {
public:
    NetworkCounters(const std::string& procRoot, const std::string& sysRoot);

    // Nothing when the interface list cannot be read or is empty.
    std::optional<NetworkTotals> read();

private:
    struct Interface {
        KernelFile flags;
        bool hasDevice = false;
    };

    std::optional<InterfaceState> stateOf(const std::string& name);

    std::string classNet_;
    KernelFile netDev_;
    std::unordered_map<std::string, Interface> interfaces_;
};

}  // namespace moravel

#pragma once

#include "monitor/DeviceRates.h"
#include "monitor/TelemetrySource.h"
#include "monitor/linux/TextFile.h"

#include <cstdint>
#include <string_view>

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace moravel {

// /proc/net/dev: one entry per interface, in file order, with the bytes it
// received (in) and sent (out).
std::vector<DeviceCounters> parseNetDev(std::string_view text);

// The hexadecimal flags of /sys/class/net/NAME/flags.
std::optional<unsigned> parseInterfaceFlags(std::string_view text);

inline constexpr unsigned interfaceUpFlag = 0x1;
inline constexpr unsigned interfaceLoopbackFlag = 0x8;

struct InterfaceState {
    unsigned flags = 0;
    bool hasDevice = false;  // backed by hardware rather than a bridge, veth or tunnel
};

// The interfaces that count, in the order given: up, not loopback, backed by a
// device; where no such interface has a device (a container), every up
// non-loopback interface counts. `stateOf` gives each interface's state.
template <typename StateOf>
std::vector<DeviceCounters> countedInterfaces(std::vector<DeviceCounters> interfaces, StateOf stateOf)
{
    std::vector<DeviceCounters> withDevice;
    std::vector<DeviceCounters> anyUp;
    for (DeviceCounters& counters : interfaces) {
        const std::optional<InterfaceState> state = stateOf(counters.name);
        if (!state || !(state->flags & interfaceUpFlag) || (state->flags & interfaceLoopbackFlag))
            continue;
        if (state->hasDevice)
            withDevice.push_back(counters);
        anyUp.push_back(std::move(counters));
    }
    return withDevice.empty() ? anyUp : withDevice;
}

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
    std::optional<std::vector<DeviceCounters>> read();

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

// Download and upload rates, once a second, from the counters' growth since
// the previous reading.
class NetworkReader {
public:
    NetworkReader(const std::string& procRoot, const std::string& sysRoot);

    // Empty when the interface list cannot be read: the snapshot keeps its values.
    SnapshotUpdate read(double monotonicSeconds);
    // False only for a first reading, which is a baseline.
    bool isMeasured() const { return rates_.isMeasured(); }

private:
    NetworkCounters counters_;
    RateMeter rates_;
};

}  // namespace moravel

#pragma once

#include "monitor/TelemetrySource.h"
#include "monitor/linux/TextFile.h"

#include <cstdint>
#include <string_view>

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace moravel {

struct InterfaceCounters {
    std::string name;
    uint64_t received = 0;
    uint64_t sent = 0;

    friend bool operator==(const InterfaceCounters&, const InterfaceCounters&) = default;
};

// /proc/net/dev: one entry per interface, in file order.
std::vector<InterfaceCounters> parseNetDev(std::string_view text);

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
std::vector<InterfaceCounters> countedInterfaces(std::vector<InterfaceCounters> interfaces, StateOf stateOf)
{
    std::vector<InterfaceCounters> withDevice;
    std::vector<InterfaceCounters> anyUp;
    for (InterfaceCounters& counters : interfaces) {
        const std::optional<InterfaceState> state = stateOf(counters.name);
        if (!state || !(state->flags & interfaceUpFlag) || (state->flags & interfaceLoopbackFlag))
            continue;
        if (state->hasDevice)
            withDevice.push_back(counters);
        anyUp.push_back(std::move(counters));
    }
    return withDevice.empty() ? anyUp : withDevice;
}

struct NetworkRates {
    double download = 0;  // bytes per second
    double upload = 0;
};

// Throughput between two readings of the counted interfaces, both sorted by
// name. Only interfaces counted in both readings add to it, so an interface
// joining or leaving the counted set (a radio switched off, a cable pulled,
// a link coming back with counters that grew meanwhile) never shows up as a
// burst; a counter that went backwards gives 0 for that interface alone.
NetworkRates networkRatesBetween(const std::vector<InterfaceCounters>& previous,
                                 const std::vector<InterfaceCounters>& current, double seconds);

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

// Download and upload rates, once a second, from the counters' growth since
// the previous reading.
class NetworkReader {
public:
    NetworkReader(const std::string& procRoot, const std::string& sysRoot);

    // Empty when the interface list cannot be read: the snapshot keeps its values.
    SnapshotUpdate read(double monotonicSeconds);
    // False only for a first reading, which is a baseline.
    bool isMeasured() const { return isMeasured_; }

private:
    NetworkCounters counters_;
    std::vector<InterfaceCounters> previous_;  // the counted ones, by name
    std::optional<double> previousTime_;
    bool isMeasured_ = true;
};

}  // namespace moravel

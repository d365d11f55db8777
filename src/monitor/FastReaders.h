#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace moravel {

// Cumulative processor ticks of all cores; busy = everything but idle time.
struct CpuTicks {
    uint64_t used = 0;
    uint64_t total = 0;
};

// The aggregate "cpu" line of /proc/stat. Nothing when it is missing or short.
std::optional<CpuTicks> parseProcStat(std::string_view text);
// Busy share between two readings in percent; 0 when there is no previous
// reading or the total did not grow.
double cpuPercentBetween(const std::optional<CpuTicks>& previous, const CpuTicks& current);

struct MemoryUsage {
    double percent = 0;
    uint64_t used = 0;   // bytes, never above total
    uint64_t total = 0;  // bytes of physical memory
};

// /proc/meminfo. Nothing when MemTotal is missing.
std::optional<MemoryUsage> parseMeminfo(std::string_view text);

struct InterfaceCounters {
    std::string name;
    uint64_t received = 0;
    uint64_t sent = 0;
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

struct NetworkTotals {
    uint64_t received = 0;
    uint64_t sent = 0;
};

// Sums the counters of the interfaces that count: up, not loopback, backed by
// a device; where no such interface has a device (a container), every up
// non-loopback interface counts. `stateOf` gives each interface's state.
template <typename StateOf>
NetworkTotals sumCountedInterfaces(const std::vector<InterfaceCounters>& interfaces, StateOf stateOf)
{
    NetworkTotals withDevice;
    NetworkTotals anyUp;
    bool sawDevice = false;
    for (const InterfaceCounters& counters : interfaces) {
        const std::optional<InterfaceState> state = stateOf(counters.name);
        if (!state || !(state->flags & interfaceUpFlag) || (state->flags & interfaceLoopbackFlag))
            continue;
        anyUp.received += counters.received;
        anyUp.sent += counters.sent;
        if (state->hasDevice) {
            sawDevice = true;
            withDevice.received += counters.received;
            withDevice.sent += counters.sent;
        }
    }
    return sawDevice ? withDevice : anyUp;
}

}  // namespace moravel

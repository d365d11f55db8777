#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace moravel {

// Cumulative processor ticks of all cores; busy = everything but idle time,
// so used never exceeds total.
struct CpuTicks {
    uint64_t used = 0;
    uint64_t total = 0;
};

// The aggregate "cpu" line of /proc/stat. Nothing when it is missing, short or
// its counters add up past 64 bits.
std::optional<CpuTicks> parseProcStat(std::string_view text);
// Busy share between two readings in percent, never outside 0 to 100. 0 when
// there is no previous reading, the total did not grow, or either the busy or
// the idle ticks went backwards (iowait may, and a bad counter can).
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

}  // namespace moravel

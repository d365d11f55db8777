// Feeds arbitrary bytes to the /proc/net/dev parser, counts what it finds as
// if every interface were up and backed by a device, and takes the rates
// between that reading and itself, which must be nothing at all.
#include "monitor/linux/NetworkCounters.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

using namespace moravel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto interfaces = parseNetDev(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const InterfaceCounters& counters : interfaces) {
        // The name is what stands trimmed before the first colon of its line.
        const std::string& name = counters.name;
        if (name.empty() || name.find_first_of(":\n") != std::string::npos || name.front() == ' '
            || name.back() == ' ')
            std::abort();
    }
    const auto everyInterfaceUp = [](const std::string&) {
        return std::optional<InterfaceState>(InterfaceState{interfaceUpFlag, true});
    };
    auto counted = countedInterfaces(interfaces, everyInterfaceUp);
    // Sorted by name, each name once, as a kernel lists them.
    const auto sameName = [](const InterfaceCounters& a, const InterfaceCounters& b) { return a.name == b.name; };
    std::stable_sort(counted.begin(), counted.end(),
                     [](const InterfaceCounters& a, const InterfaceCounters& b) { return a.name < b.name; });
    counted.erase(std::unique(counted.begin(), counted.end(), sameName), counted.end());
    const NetworkRates still = networkRatesBetween(counted, counted, 1.0);
    if (still.download != 0 || still.upload != 0)
        std::abort();
    return 0;
}

// Feeds arbitrary bytes to the /proc/net/dev parser, counts what it finds as
// if every interface were up and backed by a device, and takes the rates
// between that reading and itself, which must be nothing at all.
#include "monitor/linux/NetworkCounters.h"

#include <cstdint>
#include <cstdlib>

using namespace moravel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto interfaces = parseNetDev(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const DeviceCounters& counters : interfaces) {
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
    orderByName(counted);
    if (ratesBetween(counted, counted, 1.0) != ByteRates{})
        std::abort();
    return 0;
}

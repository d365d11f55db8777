// Feeds arbitrary bytes to the /proc/net/dev parser and sums what it finds as
// if every interface were up and backed by a device.
#include "monitor/FastReaders.h"

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
    (void)sumCountedInterfaces(interfaces, everyInterfaceUp);
    return 0;
}

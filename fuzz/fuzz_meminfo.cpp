// Feeds arbitrary bytes to the /proc/meminfo parser. Used memory must never
// exceed the total, and the share must stay between 0 and 100 %.
#include "monitor/linux/MemoryReader.h"

#include <cstdint>
#include <cstdlib>

using namespace moravel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto usage = parseMeminfo(std::string_view(reinterpret_cast<const char*>(data), size));
    if (usage && (usage->used > usage->total || !(usage->percent >= 0 && usage->percent <= 100)))
        std::abort();
    return 0;
}

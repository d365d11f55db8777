// Feeds arbitrary bytes to the parser of a process's stat line, and the same
// bytes as its command line to the row naming. A row always has a name.
#include "monitor/linux/ProcessTable.h"

#include <cstdint>
#include <cstdlib>

using namespace moravel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto stat = parseProcessStat(text);
    if (stat && stat->comm.size() > size)
        std::abort();
    if (processName(stat ? stat->comm : std::string_view(), text, 42).isEmpty())
        std::abort();
    (void)parseUptimeSeconds(text);
    return 0;
}

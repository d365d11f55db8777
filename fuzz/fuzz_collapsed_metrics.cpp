// Feeds arbitrary bytes to the collapsed-metric list decoder. Whatever it
// accepts must survive normalisation (every collapsed reading once) and encode
// back to the same list.
#include "island/IslandJson.h"
#include "monitor/ReadingTable.h"

#include <cstdint>
#include <cstdlib>

using namespace moravel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<CollapsedMetricPreferences> decoded = decodeCollapsedMetricPreferences(input);
    if (!decoded)
        return 0;
    if (decodeCollapsedMetricPreferences(encodeCollapsedMetricPreferences(*decoded)) != decoded)
        std::abort();
    const CollapsedMetricPreferences normal = CollapsedMetricConfiguration::normalized(*decoded);
    if (normal.size() != ReadingTable::collapsedKinds().size() || CollapsedMetricConfiguration::visibleKinds(normal).isEmpty()
        || CollapsedMetricConfiguration::normalized(normal) != normal)
        std::abort();
    return 0;
}

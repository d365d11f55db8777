#include "views/dashboard/HealthGauges.h"

#include "monitor/ReadingTable.h"
#include "views/kit/ReadingColors.h"

namespace moravel {

std::array<HealthMetric, 4> healthMetrics(const SystemSnapshot& snapshot)
{
    std::array<HealthMetric, 4> gauges;
    const QList<MetricKind>& kinds = ReadingTable::gaugeKinds();
    for (size_t i = 0; i < gauges.size() && i < static_cast<size_t>(kinds.size()); ++i) {
        const ReadingDescriptor& reading = ReadingTable::of(kinds[static_cast<qsizetype>(i)]);
        // Colour by the reading before it is rounded for display.
        gauges[i] = {QString::fromLatin1(reading.icon), QString::fromLatin1(reading.shortLabel),
                     ReadingTable::valueText(reading.kind, snapshot), readingColor(reading.kind, snapshot),
                     reading.gaugeDetail ? reading.gaugeDetail(snapshot) : QString(),
                     QString::fromLatin1(reading.title), ReadingTable::spoken(reading.kind, snapshot)};
    }
    return gauges;
}

}  // namespace moravel

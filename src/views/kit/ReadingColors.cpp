#include "views/kit/ReadingColors.h"

#include "monitor/PowerRules.h"
#include "views/kit/IslandPalette.h"

#include <cmath>

namespace moravel {

const QColor& levelColor(Level level)
{
    switch (level) {
    case Level::critical: return IslandPalette::red();
    case Level::high: return IslandPalette::amber();
    case Level::elevated: return IslandPalette::yellow();
    case Level::normal: break;
    }
    return IslandPalette::primary();
}

const QColor& toneColor(Tone tone)
{
    switch (tone) {
    case Tone::mint: return IslandPalette::mint();
    case Tone::cyan: return IslandPalette::cyan();
    case Tone::primary: break;
    }
    return IslandPalette::primary();
}

const QColor& readingColor(MetricKind kind, double value)
{
    const ReadingDescriptor& reading = ReadingTable::of(kind);
    return reading.thresholds ? levelColor(levelFor(value, *reading.thresholds)) : toneColor(reading.tone);
}

const QColor& readingColor(MetricKind kind, const SystemSnapshot& snapshot)
{
    const ReadingDescriptor& reading = ReadingTable::of(kind);
    if (reading.value && !std::isfinite(ReadingTable::value(kind, snapshot)))
        return IslandPalette::secondary();
    if (reading.thresholds || reading.thresholdsFor)
        return levelColor(ReadingTable::level(kind, snapshot));
    return toneColor(reading.tone);
}

}  // namespace moravel

namespace moravel {

const QColor& batteryColor(std::optional<int64_t> percent, const QColor& calm)
{
    if (!percent)
        return calm;
    const Level level = batteryLevel(*percent);
    return level == Level::normal ? calm : levelColor(level);
}

}  // namespace moravel

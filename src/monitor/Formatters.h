#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace moravel {

// Short display texts for readings. Decimal units but for amounts of memory,
// a period as the decimal separator whatever the user's locale.
namespace MetricFormat {

QString bytes(uint64_t value);
// An amount of memory (a process's, the swap, a graphics card's) in the
// binary units memory comes in: "734 MiB", "8.0 GiB", "1.5 TiB".
QString memory(uint64_t value);
QString speed(double bytesPerSecond);
QString power(std::optional<double> watts);
QString compactWatts(std::optional<double> watts);
// "40%", "Full", or a dash for a level no battery figure tells.
QString compactBattery(std::optional<int64_t> percent, bool isFull);

// printf-style "%.Nf" that ignores the locale.
QString fixed(double value, int decimals);
// "38%", rounded; a dash for a value that is not a number.
QString percent(double value);
// What a screen reader says of a figure: the whole number cut towards zero
// (37.8 is "37").
QString spokenWhole(double value);

}  // namespace MetricFormat

namespace BatterySymbol {
// The battery drawn at its level; "battery.unknown" where none is known.
QString name(std::optional<int64_t> percent);
}

}  // namespace moravel

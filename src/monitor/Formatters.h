#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace moravel {

// The unit a figure is in, for texts that take figures of any kind.
enum class FigureUnit : uint8_t { percent, bytesPerSecond, watts, celsius };

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
// (37.8 is "37"); "not available" for a value that is not a number.
QString spokenWhole(double value);

// The units a screen reader says in full, from the same scales as the short
// texts above: "1.2 megabytes a second" where speed() shows "1.2M".
inline constexpr char notAvailableSpoken[] = "not available";
QString spokenPercent(double value);          // "23 percent"
QString spokenSpeed(double bytesPerSecond);   // "40 kilobytes a second"
// An amount of memory with the figure memory() shows: "3.7 gigabytes" for "3.7 GiB".
QString spokenMemory(uint64_t value);
QString spokenWatts(std::optional<double> watts);  // "7.5 watts"; not available where power() shows a dash
QString spokenCelsius(double celsius);        // "52 degrees Celsius"
QString spokenDuration(int64_t minutes);      // "1 hour 20 minutes"
// The figure with its unit in full, as the functions above say it.
QString spokenFigure(FigureUnit unit, double value);

}  // namespace MetricFormat

namespace BatterySymbol {
// The battery drawn at its level; "battery.unknown" where none is known.
QString name(std::optional<int64_t> percent);
}

}  // namespace moravel

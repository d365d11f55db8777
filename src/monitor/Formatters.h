#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace moravel {

// Short display texts for readings. Decimal units, a period as the decimal
// separator whatever the user's locale.
namespace MetricFormat {

QString bytes(uint64_t value);
QString speed(double bytesPerSecond);
QString power(std::optional<double> watts);
QString compactWatts(std::optional<double> watts);
QString compactBattery(int64_t percent, bool isFull);

// printf-style "%.Nf" that ignores the locale.
QString fixed(double value, int decimals);

}  // namespace MetricFormat

namespace BatterySymbol {
QString name(int64_t percent);
}

}  // namespace moravel

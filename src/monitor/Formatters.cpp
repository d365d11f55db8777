#include "monitor/Formatters.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace moravel {

namespace MetricFormat {

QString fixed(double value, int decimals)
{
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc())
        return QStringLiteral("—");
    return QString::fromLatin1(buffer, static_cast<int>(result.ptr - buffer));
}

QString percent(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("—");
    return fixed(value, 0) + QLatin1Char('%');
}

QString spokenWhole(double value)
{
    // A value that is not a number must not reach the integer conversion.
    if (!std::isfinite(value))
        return QStringLiteral("0");
    return QString::number(static_cast<qint64>(std::clamp(std::trunc(value), -1e15, 1e15)));
}

QString bytes(uint64_t value)
{
    const double x = static_cast<double>(value);
    if (value >= 1'000'000'000'000ULL)
        return fixed(x / 1e12, 1) + QStringLiteral(" TB");
    if (value < 1'000'000'000ULL)
        return fixed(x / 1e6, 0) + QStringLiteral(" MB");
    const double gigabytes = x / 1e9;
    return fixed(gigabytes, gigabytes < 100 ? 1 : 0) + QStringLiteral(" GB");
}

QString memory(uint64_t value)
{
    constexpr double mebi = 1024.0 * 1024.0;
    constexpr double gibi = 1024.0 * mebi;
    constexpr double tebi = 1024.0 * gibi;
    const double x = static_cast<double>(value);
    if (x >= tebi)
        return fixed(x / tebi, 1) + QStringLiteral(" TiB");
    if (x < gibi)
        return fixed(x / mebi, 0) + QStringLiteral(" MiB");
    const double gibibytes = x / gibi;
    return fixed(gibibytes, gibibytes < 100 ? 1 : 0) + QStringLiteral(" GiB");
}

QString speed(double value)
{
    if (value >= 1e9)
        return fixed(value / 1e9, 1) + QLatin1Char('G');
    if (value >= 1e6)
        return fixed(value / 1e6, 1) + QLatin1Char('M');
    if (value >= 1000)
        return fixed(value / 1000, 0) + QLatin1Char('K');
    return fixed(value, 0) + QLatin1Char('B');
}

namespace {
bool isShowable(std::optional<double> watts)
{
    return watts && std::isfinite(*watts) && *watts > 0.05;
}
}  // namespace

QString power(std::optional<double> watts)
{
    if (!isShowable(watts))
        return QStringLiteral("— W");
    return fixed(*watts, *watts < 10 ? 1 : 0) + QStringLiteral(" W");
}

QString compactWatts(std::optional<double> watts)
{
    if (!isShowable(watts))
        return QStringLiteral("—");
    return fixed(*watts, *watts < 10 ? 1 : 0) + QLatin1Char('W');
}

QString compactBattery(std::optional<int64_t> percent, bool isFull)
{
    if (isFull)
        return QStringLiteral("Full");
    if (!percent)
        return QStringLiteral("—");
    return QString::number(std::clamp<int64_t>(*percent, 0, 100)) + QLatin1Char('%');
}

}  // namespace MetricFormat

QString BatterySymbol::name(std::optional<int64_t> level)
{
    if (!level)
        return QStringLiteral("battery.unknown");
    const int64_t percent = *level;
    if (percent >= 88)
        return QStringLiteral("battery.100percent");
    if (percent >= 63)
        return QStringLiteral("battery.75percent");
    if (percent >= 38)
        return QStringLiteral("battery.50percent");
    if (percent >= 13)
        return QStringLiteral("battery.25percent");
    return QStringLiteral("battery.0percent");
}

}  // namespace moravel

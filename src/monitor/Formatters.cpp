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

namespace {

// A figure in the unit it is shown in: the scaled number, its decimals, and
// the unit as shown and as said. The short and the spoken texts both come
// from here, so they never disagree on where a unit begins.
struct Scaled {
    double value = 0;
    int decimals = 0;
    const char* shortUnit = "";
    const char* spokenUnit = "";
};

Scaled speedScale(double value)
{
    if (value >= 1e9)
        return {value / 1e9, 1, "G", "gigabytes"};
    if (value >= 1e6)
        return {value / 1e6, 1, "M", "megabytes"};
    if (value >= 1000)
        return {value / 1000, 0, "K", "kilobytes"};
    return {value, 0, "B", "bytes"};
}

Scaled byteScale(uint64_t value)
{
    const double x = static_cast<double>(value);
    if (value >= 1'000'000'000'000ULL)
        return {x / 1e12, 1, " TB", "terabytes"};
    if (value < 1'000'000'000ULL)
        return {x / 1e6, 0, " MB", "megabytes"};
    const double gigabytes = x / 1e9;
    return {gigabytes, gigabytes < 100 ? 1 : 0, " GB", "gigabytes"};
}

// An amount of memory in the binary units it is shown in; said as the
// gigabytes people call them, with the figure as shown.
Scaled memoryScale(uint64_t value)
{
    constexpr double mebi = 1024.0 * 1024.0;
    constexpr double gibi = 1024.0 * mebi;
    constexpr double tebi = 1024.0 * gibi;
    const double x = static_cast<double>(value);
    if (x >= tebi)
        return {x / tebi, 1, " TiB", "terabytes"};
    if (x < gibi)
        return {x / mebi, 0, " MiB", "megabytes"};
    const double gibibytes = x / gibi;
    return {gibibytes, gibibytes < 100 ? 1 : 0, " GiB", "gigabytes"};
}

Scaled wattScale(double watts)
{
    return {watts, watts < 10 ? 1 : 0, " W", "watts"};
}

QString shortText(const Scaled& scaled)
{
    return fixed(scaled.value, scaled.decimals) + QLatin1String(scaled.shortUnit);
}

// "1.2 megabytes", "40 kilobytes", "1 megabyte": a whole figure says no ".0",
// and one of a unit is singular.
QString spokenText(const Scaled& scaled)
{
    QString number = fixed(scaled.value, scaled.decimals);
    if (number.endsWith(QLatin1String(".0")))
        number.chop(2);
    QString unit = QLatin1String(scaled.spokenUnit);
    if (number == QLatin1String("1"))
        unit.chop(1);
    return number + QLatin1Char(' ') + unit;
}

QString notAvailable()
{
    return QLatin1String(notAvailableSpoken);
}

QString countOf(int64_t count, const char* one, const char* many)
{
    return QString::number(count) + QLatin1Char(' ') + QLatin1String(count == 1 ? one : many);
}

}  // namespace

QString spokenWhole(double value)
{
    // A value that is not a number must not reach the integer conversion.
    if (!std::isfinite(value))
        return notAvailable();
    return QString::number(static_cast<qint64>(std::clamp(std::trunc(value), -1e15, 1e15)));
}

QString spokenPercent(double value)
{
    return std::isfinite(value) ? spokenWhole(value) + QStringLiteral(" percent") : notAvailable();
}

QString spokenSpeed(double bytesPerSecond)
{
    return std::isfinite(bytesPerSecond) ? spokenText(speedScale(bytesPerSecond)) + QStringLiteral(" a second")
                                         : notAvailable();
}

QString spokenMemory(uint64_t value)
{
    return spokenText(memoryScale(value));
}

QString spokenCelsius(double celsius)
{
    return std::isfinite(celsius) ? fixed(celsius, 0) + QStringLiteral(" degrees Celsius") : notAvailable();
}

QString spokenDuration(int64_t minutes)
{
    const int64_t whole = std::max<int64_t>(minutes, 0);
    const int64_t hours = whole / 60;
    const QString rest = countOf(whole % 60, "minute", "minutes");
    if (hours == 0)
        return rest;
    const QString hoursText = countOf(hours, "hour", "hours");
    return whole % 60 == 0 ? hoursText : hoursText + QLatin1Char(' ') + rest;
}

QString spokenFigure(FigureUnit unit, double value)
{
    switch (unit) {
    case FigureUnit::percent:
        return spokenPercent(value);
    case FigureUnit::bytesPerSecond:
        return spokenSpeed(value);
    case FigureUnit::watts:
        // A chart's 0 W (a battery at rest) is a figure; only the draw's weak readings are not.
        return std::isfinite(value) ? spokenText(wattScale(value)) : notAvailable();
    case FigureUnit::celsius:
        return spokenCelsius(value);
    }
    return notAvailable();
}

QString bytes(uint64_t value)
{
    return shortText(byteScale(value));
}

QString memory(uint64_t value)
{
    return shortText(memoryScale(value));
}

QString speed(double value)
{
    return shortText(speedScale(value));
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
    return shortText(wattScale(*watts));
}

QString spokenWatts(std::optional<double> watts)
{
    return isShowable(watts) ? spokenText(wattScale(*watts)) : notAvailable();
}

QString compactWatts(std::optional<double> watts)
{
    if (!isShowable(watts))
        return QStringLiteral("—");
    const Scaled scaled = wattScale(*watts);
    return fixed(scaled.value, scaled.decimals) + QLatin1Char('W');
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
